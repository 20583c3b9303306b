#include "session/BackupController.h"

#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QDeadlineTimer>
#include <QThread>

BackupController::BackupController(const QString &databasePath, Report report, Wait wait,
                                   QObject *parent)
    : QObject(parent), m_databasePath(databasePath),
      m_makeKeeper([databasePath] { return BackupKeeper(databasePath, CaseShapes::caseShape()); }),
      m_report(std::move(report)), m_wait(std::move(wait))
{
}

BackupController::BackupController(MakeKeeper makeKeeper, Report report, Wait wait, QObject *parent)
    : QObject(parent), m_makeKeeper(std::move(makeKeeper)), m_report(std::move(report)),
      m_wait(std::move(wait))
{
}

BackupController::~BackupController()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
    }
}

void BackupController::startInBackground()
{
    if (m_thread)
        return;
    m_cancel = false;
    BackupKeeper made = m_makeKeeper();
    made.setHold(m_hold);
    m_thread.reset(QThread::create([this, keeper = std::move(made)]() mutable {
        BackupOptions options;
        options.cancel = &m_cancel;
        m_background = keeper.run(options);
    }));
    m_thread->setObjectName(QStringLiteral("backup"));
    const QThread *started = m_thread.get();
    connect(
        m_thread.get(), &QThread::finished, this,
        [this, started] {
            if (m_thread.get() != started)
                return; // already waited for and handled
            m_thread->wait();
            m_thread.reset();
            handle(m_background);
        },
        Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
}

bool BackupController::finishBackground(bool cancellable)
{
    if (!m_thread)
        return true;
    // Taken over before the wait: the wait's event loop may deliver the
    // thread's own end notice, which must then find nothing to handle (nor
    // delete the thread being waited for).
    const std::unique_ptr<QThread> thread = std::move(m_thread);
    const bool waited =
        m_wait(QString::fromUtf8(SafeCommandTexts::BackingUp), cancellable,
               [&](const std::atomic<bool> &cancel, std::atomic<qint64> &, std::atomic<qint64> &) {
                   // Cancelled, the backup stops between two steps of its copy.
                   while (!thread->wait(QDeadlineTimer(100))) {
                       if (cancel)
                           m_cancel = true;
                   }
               });
    handle(m_background);
    return waited;
}

void BackupController::stopBackground()
{
    if (!m_thread)
        return;
    m_cancel = true;
    const std::unique_ptr<QThread> thread = std::move(m_thread);
    thread->wait();
    handle(m_background);
}

KeeperResult BackupController::runAndWait(bool cancellable, const QString &label)
{
    KeeperResult result;
    if (!finishBackground(cancellable)) {
        // The steward would rather not wait: no second backup either.
        result.outcome = KeeperResult::Outcome::Cancelled;
        return result;
    }
    const QString text = label.isEmpty() ? QString::fromUtf8(SafeCommandTexts::BackingUp) : label;
    BackupKeeper keeper = m_makeKeeper();
    keeper.setHold(m_hold);
    m_wait(text, cancellable,
           [&](const std::atomic<bool> &cancel, std::atomic<qint64> &done,
               std::atomic<qint64> &total) {
               BackupOptions options;
               options.cancel = &cancel;
               options.progress = [&done, &total](qint64 d, qint64 t) {
                   done = d;
                   total = t;
               };
               result = keeper.run(options);
           });
    handle(result);
    return result;
}

void BackupController::handle(const KeeperResult &result)
{
    m_last = result;
    if (result.outcome == KeeperResult::Outcome::Failed && result.message != m_reported) {
        // Once: a folder that cannot be written fails the same way at every
        // backup, and the status bar must not keep saying it.
        m_reported = result.message;
        // A damaged database is said as it is, not as a failed backup.
        if (m_report)
            m_report(result.sourceDamaged
                         ? result.message
                         : QString::fromUtf8(SafeCommandTexts::AutomaticBackupFailed)
                               .arg(result.message));
    }
    Q_EMIT finished(result);
}
