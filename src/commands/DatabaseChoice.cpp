#include "commands/DatabaseChoice.h"

#include "commands/ChooseDatabaseDialog.h"
#include "commands/DialogPrompts.h"
#include "commands/PasswordDialog.h"
#include "platform/Dialogs.h"
#include "platform/core/AppInfo.h"
#include "platform/core/SettingsStore.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"
#include "records/PostgresBackend.h"
#include "records/ServerAddress.h"
#include "session/CaseSession.h"

#include <QFileInfo>
#include <QHash>
#include <QSettings>

namespace DatabaseChoice
{

namespace
{

const char *const SettingsGroup = "Settings";
const char *const SettingsKey = "Database";
const char *const EnvironmentDecides =
    "QUILLMARK_DATABASE names the database for this session. The choice you make here is kept "
    "for later starts without it.";
const char *const CommandLineDecides =
    "The command line (--database) names the database for this session. The choice you make "
    "here is kept for later starts without it.";
const char *const KeptForLater = "The choice is kept. Quillmark Wizard opens it at the next "
                                 "start without %1.";
const char *const NotChanged = "The case database was not changed: %1\n\nQuillmark Wizard stays "
                               "on %2.";
const char *const TestOpens = "The connection works: %1 opens as a case database.";
const char *const TestConnectedOnly = "The connection works, but: %1";
const char *const NoFileAtStart =
    "%1 names a case database that does not exist:\n%2\n\nMake a new, empty case database "
    "there? No opens none.";
const char *const TestNoFileYet =
    "There is no file %1 yet. Choosing it makes a new case database there.";

DecidedBy g_decidedBy = DecidedBy::Default;

// Passwords a server took in this session, by location; memory only.
QHash<QString, QString> &sessionPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

QSettings settings()
{
    return SettingsStore::open();
}

} // namespace

Start atStart(const QString &commandLineDatabase)
{
    if (!commandLineDatabase.isEmpty())
        return {commandLineDatabase, DecidedBy::CommandLine};
    const QString env = qEnvironmentVariable("QUILLMARK_DATABASE");
    if (!env.isEmpty())
        return {env, DecidedBy::Environment};
    const QString chosen = stored();
    if (!chosen.isEmpty())
        return {chosen, DecidedBy::Stored};
    return {CaseDatabase::defaultFile(), DecidedBy::Default};
}

DecidedBy sessionDecidedBy()
{
    return g_decidedBy;
}

void setSessionDecidedBy(DecidedBy decidedBy)
{
    g_decidedBy = decidedBy;
}

QString stored()
{
    QSettings s = settings();
    return s
        .value(
            QStringLiteral("%1/%2").arg(QLatin1String(SettingsGroup), QLatin1String(SettingsKey)))
        .toString();
}

void store(const QString &location)
{
    QSettings s = settings();
    // A password given in a server's address serves this session only.
    s.setValue(
        QStringLiteral("%1/%2").arg(QLatin1String(SettingsGroup), QLatin1String(SettingsKey)),
        PostgresBackend::isServerLocation(location) ? ServerAddress::withoutPassword(location)
                                                    : location);
    s.sync();
}

std::optional<QString> knownPassword(const QString &location)
{
    const auto known = sessionPasswords().constFind(location);
    if (known == sessionPasswords().constEnd())
        return std::nullopt;
    return *known;
}

bool promptPassword(const QString &location, const QString &server, const QString &reason,
                    bool refused, QString &password)
{
    PasswordDialog dialog(server, refused ? reason : QString(), refused);
    if (Dialogs::instance().exec(dialog) != QDialog::Accepted)
        return false;
    password = dialog.password();
    sessionPasswords().insert(location, password);
    return true;
}

void useKnownPassword(const QString &location, DatabaseBackend &backend)
{
    if (const std::optional<QString> known = knownPassword(location))
        backend.setPassword(*known);
}

bool askPassword(const QString &location, DatabaseBackend &backend, const QString &reason,
                 bool refused)
{
    QString password;
    if (!promptPassword(location, backend.displayName(), reason, refused, password))
        return false;
    backend.setPassword(password);
    return true;
}

std::shared_ptr<CaseDatabase> caseDatabase(const QString &location)
{
    // Lives as long as the program: every database it makes keeps it.
    static DialogPrompts prompts;
    return CaseSession::makeDatabase(location, &prompts);
}

QString testConnection(const QString &location)
{
    if (!PostgresBackend::isServerLocation(location) && !QFileInfo::exists(location))
        return QString::fromUtf8(TestNoFileYet).arg(location);
    auto db = caseDatabase(location);
    try {
        db->openExisting();
    } catch (const DataError &e) {
        if (e.number() == DataErrors::NotCaseDatabase)
            return QString::fromUtf8(TestConnectedOnly).arg(e.description());
        return e.description();
    }
    return QString::fromUtf8(TestOpens).arg(db->backend().displayName());
}

bool mayCreateAtStart(const QString &location)
{
    const DecidedBy by = sessionDecidedBy();
    if ((by != DecidedBy::CommandLine && by != DecidedBy::Environment) ||
        PostgresBackend::isServerLocation(location))
        return true;
    const QFileInfo file(location);
    if (file.exists() || file.isSymLink() ||
        file.absoluteFilePath() == QFileInfo(CaseDatabase::defaultFile()).absoluteFilePath())
        return true;
    return Dialogs::instance().message(
               QString::fromUtf8(NoFileAtStart)
                   .arg(by == DecidedBy::Environment ? QStringLiteral("QUILLMARK_DATABASE")
                                                     : QStringLiteral("--database"),
                        file.absoluteFilePath()),
               Dialogs::Buttons::YesNo, Dialogs::Icon::Question) == Dialogs::Answer::Yes;
}

void choose(CaseSession &session, QWidget *parent)
{
    const DecidedBy decidedBy = sessionDecidedBy();
    const bool forThisSession =
        decidedBy != DecidedBy::CommandLine && decidedBy != DecidedBy::Environment;
    const QString notice = forThisSession ? QString()
                                          : QString::fromUtf8(decidedBy == DecidedBy::Environment
                                                                  ? EnvironmentDecides
                                                                  : CommandLineDecides);
    const std::shared_ptr<CaseDatabase> current = session.database();
    const QString currentLocation = current ? current->path() : stored();
    ChooseDatabaseDialog dialog(forThisSession ? currentLocation : stored(), notice, parent);
    if (Dialogs::instance().exec(dialog) != QDialog::Accepted)
        return;
    const QString location = dialog.location();
    if (location.isEmpty())
        return;
    if (!forThisSession) {
        store(location);
        Dialogs::instance().message(QString::fromUtf8(KeptForLater)
                                        .arg(decidedBy == DecidedBy::Environment
                                                 ? QStringLiteral("QUILLMARK_DATABASE")
                                                 : QStringLiteral("--database")),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        return;
    }
    // What the steward typed is saved on the database it was typed for.
    if (!session.saveEditedRecords())
        return;
    auto next = session.makeDatabase(location);
    try {
        next->open();
    } catch (const DataError &e) {
        Dialogs::instance().message(QString::fromUtf8(NotChanged)
                                        .arg(e.description(), current
                                                                  ? current->backend().displayName()
                                                                  : QStringLiteral("no database")),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    store(location);
    session.use(next);
}

} // namespace DatabaseChoice
