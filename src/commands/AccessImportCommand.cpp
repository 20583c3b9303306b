#include "commands/AccessImportCommand.h"

#include "commands/AccessCommandTexts.h"
#include "commands/AccessImportDialog.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseDatabase.h"
#include "safekeeping/AccessImport.h"
#include "session/BackupController.h"
#include "session/CaseSession.h"
#include "session/SafeCommandTexts.h"

#include <QFileInfo>
#include <QLocale>

using namespace AccessCommandTexts;

namespace
{

QString number(qint64 n)
{
    return QLocale().toString(n);
}

// Rows of every table read so far, for one progress count over them all.
struct Counter {
    QString table;
    qint64 before = 0; // rows of the tables before this one
    qint64 last = 0;

    qint64 at(const QString &t, qint64 done)
    {
        if (t != table) {
            before += last;
            table = t;
        }
        last = done;
        return before + done;
    }
};

} // namespace

AccessImportCommand::AccessImportCommand(QWidget *parent, const DatabaseBackend &database,
                                         Hooks hooks)
    : m_parent(parent), m_database(database), m_hooks(std::move(hooks))
{
}

namespace
{

AccessImportCommand::Hooks sessionHooks(CaseSession &session)
{
    AccessImportCommand::Hooks hooks;
    hooks.saveEdited = [&session] { return session.saveEditedRecords(); };
    // Through the session's own backups, so that no automatic one runs
    // beside it; the import's own then finds the records unchanged.
    if (session.backups())
        hooks.backUp = [&session] { return session.backups()->runAndWait(false); };
    hooks.reload = [&session] { session.reload(); };
    hooks.status = [&session](const QString &t) { session.tell(t); };
    return hooks;
}

} // namespace

AccessImportCommand::AccessImportCommand(QWidget *parent, CaseSession &session)
    : AccessImportCommand(parent, session.database()->backend(), sessionHooks(session))
{
}

void AccessImportCommand::run()
{
    const QString path = Dialogs::instance().openFileName(
        QString::fromUtf8(Title), UserFolders::documents(), QString::fromUtf8(Filter));
    if (!path.isEmpty())
        importFile(path);
}

void AccessImportCommand::importFile(const QString &path)
{
    Dialogs &dialogs = Dialogs::instance();
    const QString name = QFileInfo(path).fileName();
    const AccessImport importer(path, m_database);
    auto failed = [&](const QString &why, bool cancelled) {
        dialogs.message(QString::fromUtf8(Failed).arg(why), Dialogs::Buttons::Ok,
                        cancelled ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
    };

    // The file read through without writing: its tables, the previews and
    // the counts the questions below need.
    auto read = [&](const QList<AccessMapping> &mappings) {
        AccessSurvey s;
        BackgroundJob::run(
            m_parent,
            [name](qint64 done, qint64) {
                return QString::fromUtf8(Reading).arg(name, number(done));
            },
            true,
            [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
                Counter counter;
                AccessImportChoices choices;
                choices.mappings = mappings;
                choices.cancel = &cancel;
                choices.progress = [&](const QString &table, qint64 done, qint64) {
                    progress.done = counter.at(table, done);
                };
                s = importer.survey(choices);
            });
        return s;
    };

    const AccessSurvey first = read({});
    if (first.tables.isEmpty() && !first.ok)
        return failed(first.error, false);
    AccessImportDialog dialog(path, first, read, m_parent);
    if (dialogs.exec(dialog) != QDialog::Accepted || !dialog.survey().ok)
        return;
    const AccessSurvey &plan = dialog.survey();

    AccessImportChoices choices;
    choices.mappings = dialog.mappings();
    if (plan.knownEmployees > 0) {
        const auto answer =
            dialogs.message(QString::fromUtf8(KnownQuestion)
                                .arg(number(plan.knownEmployees), number(plan.employees)),
                            Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question);
        if (answer == Dialogs::Answer::Cancel)
            return;
        choices.knownEmployees = answer == Dialogs::Answer::Yes ? AccessImportChoices::Known::Add
                                                                : AccessImportChoices::Known::Skip;
    }
    if (plan.collisions > 0) {
        if (dialogs.message(QString::fromUtf8(CollisionsQuestion).arg(number(plan.collisions)),
                            Dialogs::Buttons::YesNo,
                            Dialogs::Icon::Question) != Dialogs::Answer::Yes)
            return;
        choices.collisions = AccessImportChoices::Collisions::Renumber;
    }
    if (m_hooks.saveEdited && !m_hooks.saveEdited())
        return;
    // Through the window's own backups, so that no automatic one runs
    // beside it; the import's own then finds the records unchanged.
    if (m_hooks.backUp) {
        const KeeperResult kept = m_hooks.backUp();
        if (kept.outcome != KeeperResult::Outcome::Made &&
            kept.outcome != KeeperResult::Outcome::Unchanged)
            return failed(QString::fromUtf8(SafeCommandTexts::ImportNoBackup).arg(kept.message),
                          false);
    }

    AccessImportResult result;
    const qint64 total = plan.employees + plan.complaints;
    BackgroundJob::run(
        m_parent,
        [name](qint64 done, qint64 all) {
            return QString::fromUtf8(Importing).arg(name, number(done), number(all));
        },
        true,
        [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
            progress.total = total;
            Counter counter;
            choices.cancel = &cancel;
            choices.progress = [&](const QString &table, qint64 done, qint64) {
                progress.done = counter.at(table, done);
            };
            result = importer.run(choices, plan);
        });
    if (!result.ok)
        return failed(result.error, result.cancelled);
    if (m_hooks.reload)
        m_hooks.reload();
    QString done =
        QString::fromUtf8(Done).arg(number(result.employees), number(result.complaints), name);
    if (result.skipped > 0)
        done += QString::fromUtf8(DoneSkipped).arg(number(result.skipped));
    if (result.renumbered > 0)
        done += QString::fromUtf8(DoneRenumbered).arg(number(result.renumbered), result.report);
    if (m_hooks.status)
        m_hooks.status(done);
    if (!result.backupNote.isEmpty())
        done += QStringLiteral("\n\n") + result.backupNote;
    dialogs.message(done, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}
