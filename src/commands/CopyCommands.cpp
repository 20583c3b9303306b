#include "commands/CopyCommands.h"

#include "commands/AbilityActions.h"
#include "commands/CopyCommandTexts.h"
#include "commands/DatabaseChoice.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseCopy.h"
#include "records/CaseDatabase.h"
#include "records/PostgresBackend.h"
#include "records/ServerAddress.h"
#include "session/CaseSession.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <optional>

using namespace CopyCommandTexts;

namespace
{

QString number(qint64 n)
{
    return QLocale().toString(n);
}

// Runs `work` beside the window; the error it threw, if any.
std::optional<DataError>
beside(QWidget *window, const BackgroundJob::Label &label, bool cancellable,
       const std::function<void(const std::atomic<bool> &, BackgroundJob::Progress &)> &work)
{
    std::optional<DataError> failure;
    BackgroundJob::run(window, label, cancellable,
                       [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
                           try {
                               work(cancel, progress);
                           } catch (const DataError &e) {
                               failure = e;
                           }
                       });
    return failure;
}

CaseCopyOptions withProgress(const std::atomic<bool> &cancel, BackgroundJob::Progress &progress)
{
    CaseCopyOptions options;
    options.cancel = &cancel;
    options.progress = [&progress](qint64 done, qint64 total) {
        progress.total = total;
        progress.done = done;
    };
    return options;
}

BackgroundJob::Label copyingLabel()
{
    return [](qint64 done, qint64 total) {
        return QString::fromUtf8(Copying).arg(number(done), number(total));
    };
}

} // namespace

CopyCommands::CopyCommands(CaseSession &session, QWidget *parent)
    : m_session(session), m_parent(parent)
{
}

void CopyCommands::addTo(QMenu *menu)
{
    m_toServer = menu->addAction(QString::fromUtf8(ToServerItem));
    m_toServer->setObjectName(QStringLiteral("mnuFileCopyToServer"));
    QObject::connect(m_toServer, &QAction::triggered, m_parent, [this] { copyToServer(); });
    m_toFile = menu->addAction(QString::fromUtf8(ToFileItem));
    m_toFile->setObjectName(QStringLiteral("mnuFileCopyToFile"));
    QObject::connect(m_toFile, &QAction::triggered, m_parent, [this] { copyToFile(); });
    AbilityActions::follow(m_session, m_toServer, Ability::CopyToServer);
    AbilityActions::follow(m_session, m_toFile, Ability::CopyToFile);
}

void CopyCommands::report(const QString &done)
{
    m_session.tell(done);
    Dialogs::instance().message(done, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}

void CopyCommands::copyToServer()
{
    const std::shared_ptr<CaseDatabase> db = m_session.database();
    if (!AbilityActions::mayRun(m_session, Ability::CopyToServer) || !db->isOpen())
        return;
    // What the boxes show is what the server gets.
    if (!m_session.saveEditedRecords())
        return;
    Dialogs &dialogs = Dialogs::instance();
    const QString location =
        dialogs
            .input(QString::fromUtf8(ServerPrompt), QString::fromUtf8(ToServerTitle), m_lastServer)
            .trimmed();
    if (location.isEmpty())
        return;
    if (!PostgresBackend::isServerLocation(location)) {
        dialogs.message(QString::fromUtf8(NotAServer).arg(ServerAddress::withoutPassword(location)),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    // Offered again next time, never with the password typed into it.
    m_lastServer = ServerAddress::withoutPassword(location);
    PostgresBackend server(location);
    DatabaseChoice::useKnownPassword(location, server);
    auto fail = [&dialogs](const DataError &e) {
        dialogs.message(QString::fromUtf8(CopyFailed).arg(e.numbered()), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
    };

    // Counting is the first connection to the server: a server that wants
    // a password asks for it in the program's password box and is counted
    // again; one that turns the password away says so.
    CaseCopyCounts there, here;
    while (auto failure = beside(
               m_parent, [](qint64, qint64) { return QString::fromUtf8(Counting); }, false,
               [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
                   there = CaseCopy::rowsIn(server);
                   here = CaseCopy::rowsIn(db->backend());
               })) {
        if (server.passwordNeed(*failure, nullptr) != DatabaseBackend::PasswordNeed::Missing)
            return fail(*failure);
        if (!DatabaseChoice::askPassword(location, server, QString(), false))
            return;
    }
    CaseCopyOptions options;
    if (there.employees || there.complaints) {
        if (dialogs.message(
                QString::fromUtf8(ReplaceQuestion)
                    .arg(server.describe(), number(there.employees), number(there.complaints),
                         number(here.employees), number(here.complaints)),
                Dialogs::Buttons::YesNo, Dialogs::Icon::Question) != Dialogs::Answer::Yes)
            return;
        options.replace = true;
    }
    CaseCopyCounts copied;
    if (auto failure =
            beside(m_parent, copyingLabel(), true,
                   [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
                       CaseCopyOptions o = withProgress(cancel, progress);
                       o.replace = options.replace;
                       copied = CaseCopy::copy(db->backend(), server, o);
                   }))
        return fail(*failure);
    report(QString::fromUtf8(CopiedToServer)
               .arg(number(copied.employees), number(copied.complaints), server.describe()));
}

void CopyCommands::copyToFile()
{
    const std::shared_ptr<CaseDatabase> db = m_session.database();
    if (!AbilityActions::mayRun(m_session, Ability::CopyToFile) || !db->isOpen())
        return;
    if (!m_session.saveEditedRecords())
        return;
    Dialogs &dialogs = Dialogs::instance();
    const QString path = dialogs.saveFileName(
        QString::fromUtf8(ToFileTitle),
        QDir(UserFolders::documents()).filePath(QString::fromUtf8(SuggestedFile)),
        QString::fromUtf8(FileFilter));
    if (path.isEmpty())
        return;
    // The file dialog may have asked whether to replace it; the copy never
    // does.
    if (QFileInfo::exists(path)) {
        dialogs.message(QString::fromUtf8(FileExists).arg(path), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    CaseCopyCounts copied;
    if (auto failure =
            beside(m_parent, copyingLabel(), true,
                   [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
                       copied =
                           CaseCopy::toNewFile(db->backend(), path, withProgress(cancel, progress));
                   })) {
        dialogs.message(QString::fromUtf8(CopyFailed).arg(failure->numbered()),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    report(QString::fromUtf8(CopiedToFile)
               .arg(number(copied.employees), number(copied.complaints),
                    QDir::toNativeSeparators(path)));
}
