#pragma once

#include <QString>
#include <QStringList>

// What the program is asked to do from its command line. Without options it
// starts as it always has; the options follow the habits of Linux programs.
namespace CommandLine
{

enum class Action { Start, ShowHelp, ShowVersion, Refuse, ImportAccess };

struct Request {
    Action action = Action::Start;
    // The case database given with --database; empty when none was.
    QString database;
    // --import-access: the Access file, and the answers to its questions.
    QString accessFile;
    bool skipKnownEmployees = false;
    bool addKnownEmployees = false;
    bool renumberCollisions = false;
    // Why the command line was refused, for standard error.
    QString error;
};

// Reads the arguments, the program's name first. Help and version answer
// whatever else the line holds, so they work even where the rest would be
// refused (and before the window system is reached).
Request parse(const QStringList &arguments);

// The command line as the operating system passed it.
QStringList arguments(int argc, char **argv);

QString helpText(const QString &programName);
QString versionText();

// The case database to open: --database when given, otherwise the
// QUILLMARK_DATABASE variable, otherwise the steward's stored choice,
// otherwise the per-user default file.
QString databaseLocation(const Request &request);

// The exit status for a refused command line, as Linux tools use it.
constexpr int UsageError = 2;

} // namespace CommandLine
