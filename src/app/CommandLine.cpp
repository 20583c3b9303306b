#include "app/CommandLine.h"

#include "commands/DatabaseChoice.h"
#include "platform/core/AppInfo.h"
#include "records/CaseDatabase.h"
#include "records/PostgresBackend.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <QUrl>

namespace CommandLine
{

namespace
{

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption database{
        QStringLiteral("database"),
        QStringLiteral("Open the case database PATH-OR-URI instead of the usual one. Takes "
                       "precedence over the QUILLMARK_DATABASE environment variable."),
        QStringLiteral("PATH-OR-URI")};
    QCommandLineOption importAccess{
        QStringLiteral("import-access"),
        QStringLiteral("Import the employees and complaints of an old Access database file "
                       "(its tables Employee and Complaints) into the case database, without a "
                       "window; prints the counts. Anything refused changes nothing."),
        QStringLiteral("FILE.mdb")};
    QCommandLineOption skipKnown{
        QStringLiteral("skip-known-employees"),
        QStringLiteral("With --import-access: leave out the employees whose file number the "
                       "case database holds already.")};
    QCommandLineOption addKnown{QStringLiteral("add-known-employees"),
                                QStringLiteral("With --import-access: add them as well.")};
    QCommandLineOption renumber{
        QStringLiteral("renumber-collisions"),
        QStringLiteral("With --import-access: give complaints whose Grievance Number is taken "
                       "new numbers, listed old and new in a file beside the backups.")};
};

const char *const Description =
    "Keeps a union steward's case file of employees and their grievances and prints the\n"
    "First Step complaint form.\n"
    "\n"
    "Without options it opens the case database named by QUILLMARK_DATABASE or, when\n"
    "that is not set, the one chosen with File > Choose Database, or else Quillmark.db\n"
    "in the per-user data folder (~/.local/share/Quillmark_Wizard), creating it on\n"
    "first use.";

void describe(QCommandLineParser &parser, const Options &o)
{
    parser.setApplicationDescription(QString::fromUtf8(Description));
    // Qt's own options are single-dash words (-platform, -reverse): read as
    // letters they would spell -h or -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(
        {o.help, o.version, o.database, o.importAccess, o.skipKnown, o.addKnown, o.renumber});
}

// The case database a --database value names: a file (a path, or a file:
// URI) or a shared database's postgresql:// URI, which stays as it is. Any
// other URI is refused rather than taken for a file name, which would make
// folders named after its scheme and host.
QString databaseFile(const QString &value, QString &error)
{
    if (value.trimmed().isEmpty()) {
        error = QStringLiteral("--database needs the path of a case database.");
        return {};
    }
    // A colon alone may be part of a file's name; a scheme followed by //
    // is a URI.
    static const QRegularExpression uri(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    const bool fileUri = value.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
    if (!fileUri && !uri.match(value).hasMatch())
        return value;
    if (PostgresBackend::isServerLocation(value))
        return value;
    const QUrl url(value);
    if (url.isLocalFile() && !url.toLocalFile().isEmpty())
        return url.toLocalFile();
    error = QStringLiteral("'%1' is not a file; --database takes the path of a case database file "
                           "or a postgresql:// address.")
                .arg(value);
    return {};
}

} // namespace

Request parse(const QStringList &arguments)
{
    Options o;
    QCommandLineParser parser;
    describe(parser, o);
    const bool understood = parser.parse(arguments.isEmpty() ? QStringList{QString()} : arguments);

    Request r;
    if (parser.isSet(o.help))
        r.action = Action::ShowHelp;
    else if (parser.isSet(o.version))
        r.action = Action::ShowVersion;
    if (r.action != Action::Start)
        return r;

    if (!understood) {
        r.action = Action::Refuse;
        r.error = parser.errorText();
        return r;
    }
    if (!parser.positionalArguments().isEmpty()) {
        r.action = Action::Refuse;
        r.error =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return r;
    }
    if (parser.isSet(o.database)) {
        QString error;
        r.database = databaseFile(parser.values(o.database).last(), error);
        if (!error.isEmpty()) {
            r.action = Action::Refuse;
            r.error = error;
        }
    }
    r.skipKnownEmployees = parser.isSet(o.skipKnown);
    r.addKnownEmployees = parser.isSet(o.addKnown);
    r.renumberCollisions = parser.isSet(o.renumber);
    const bool answers = r.skipKnownEmployees || r.addKnownEmployees || r.renumberCollisions;
    if (r.action == Action::Start && parser.isSet(o.importAccess)) {
        r.action = Action::ImportAccess;
        r.accessFile = parser.values(o.importAccess).last();
        if (r.skipKnownEmployees && r.addKnownEmployees) {
            r.action = Action::Refuse;
            r.error = QStringLiteral(
                "--skip-known-employees and --add-known-employees cannot be given together.");
        }
    } else if (r.action == Action::Start && answers) {
        r.action = Action::Refuse;
        r.error = QStringLiteral("--skip-known-employees, --add-known-employees and "
                                 "--renumber-collisions go with --import-access only.");
    }
    return r;
}

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

QString helpText(const QString &programName)
{
    Options o;
    QCommandLineParser parser;
    describe(parser, o);
    QString text = parser.helpText();
    // The parser names the program as it was started only while an
    // application object exists; the help must not depend on that.
    const int lineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1 [options]").arg(programName) + text.mid(lineEnd);
}

QString versionText()
{
    return QStringLiteral("%1 %2.%3.%4\n")
        .arg(AppInfo::displayName())
        .arg(AppInfo::versionMajor)
        .arg(AppInfo::versionMinor)
        .arg(AppInfo::versionRevision);
}

QString databaseLocation(const Request &request)
{
    return DatabaseChoice::atStart(request.database).location;
}

} // namespace CommandLine
