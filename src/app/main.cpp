#include "app/CommandLine.h"
#include "app/Module1.h"
#include "app/QuitSignals.h"
#include "app/frmMain.h"
#include "commands/DatabaseChoice.h"
#include "platform/AppIcon.h"
#include "platform/core/AppInfo.h"
#include "safekeeping/AccessImportUnattended.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace
{

void print(std::FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
}

// --import-access: the import without a window, for an office's move.
int importAccess(int argc, char **argv, const CommandLine::Request &request)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(AppInfo::title());
    AccessImportChoices choices;
    if (request.skipKnownEmployees)
        choices.knownEmployees = AccessImportChoices::Known::Skip;
    if (request.addKnownEmployees)
        choices.knownEmployees = AccessImportChoices::Known::Add;
    if (request.renumberCollisions)
        choices.collisions = AccessImportChoices::Collisions::Renumber;
    // A file the line or the variable names that is not there (a typo) is
    // never made without a window to ask in: it is refused.
    const DatabaseChoice::Start start = DatabaseChoice::atStart(request.database);
    const bool named = start.decidedBy == DatabaseChoice::DecidedBy::CommandLine ||
                       start.decidedBy == DatabaseChoice::DecidedBy::Environment;
    QTextStream out(stdout), err(stderr);
    return AccessImportUnattended::run(request.accessFile, start.location, choices, out, err,
                                       !named || QFileInfo::exists(start.location));
}

} // namespace

int main(int argc, char **argv)
{
    QuitSignals::install();

    // Help and version are answered before the window system is reached, so
    // they work in a terminal without a display.
    const QString program =
        QFileInfo(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString()).fileName();
    const CommandLine::Request early = CommandLine::parse(CommandLine::arguments(argc, argv));
    if (early.action == CommandLine::Action::ShowHelp) {
        print(stdout, CommandLine::helpText(program));
        return 0;
    }
    if (early.action == CommandLine::Action::ShowVersion) {
        print(stdout, CommandLine::versionText());
        return 0;
    }
    if (early.action == CommandLine::Action::ImportAccess)
        return importAccess(argc, argv, early);

    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(AppInfo::versionMajor)
                                            .arg(AppInfo::versionMinor)
                                            .arg(AppInfo::versionRevision));
    QGuiApplication::setDesktopFileName(AppInfo::desktopId());
    QApplication::setWindowIcon(AppIcon::icon());
    QApplication::setQuitOnLastWindowClosed(true);

    // QApplication has taken its own options (-platform, -style, ...) off the
    // line; what is left must be ours.
    const CommandLine::Request request = CommandLine::parse(QCoreApplication::arguments());
    if (request.action == CommandLine::Action::Refuse) {
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                          .arg(program, request.error));
        return CommandLine::UsageError;
    }

    Module1::useClassicFont();
    const DatabaseChoice::Start start = DatabaseChoice::atStart(request.database);
    DatabaseChoice::setSessionDecidedBy(start.decidedBy);
    // The main window deletes itself when closed, by the steward or on a signal.
    frmMain *window = Module1::Main(start.location);
    QuitSignals quitSignals(window, 1);
    return app.exec();
}
