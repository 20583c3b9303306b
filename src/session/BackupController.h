#pragma once

#include "safekeeping/BackupKeeper.h"
#include "session/SessionPrompts.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

// The automatic backups of the case database the window has open: one in
// the background once the file is open, one when the window closes.
//
// The background backup runs on a thread and a connection of its own, so
// start-up and typing never wait for it. Closing waits for a backup still
// running, and takes the closing one, behind a progress dialog. A backup
// that cannot be written is told to the steward once, on the status bar;
// the program goes on either way.
class BackupController : public QObject
{
    Q_OBJECT
  public:
    using Report = std::function<void(const QString &text)>;
    // Waits for work behind a progress dialog (SessionPrompts::wait).
    using Wait = std::function<bool(const QString &label, bool cancellable,
                                    const SessionPrompts::Work &work)>;

    // Makes the keeper of one backup, on the window's thread (it may ask
    // the session for a password it knows); the backup runs elsewhere.
    using MakeKeeper = std::function<BackupKeeper()>;

    BackupController(const QString &databasePath, Report report, Wait wait,
                     QObject *parent = nullptr);
    // The backups of a shared server's records: `databasePath` empty.
    BackupController(MakeKeeper makeKeeper, Report report, Wait wait, QObject *parent = nullptr);
    // Stops a backup still running (no half file is left) and waits for it.
    ~BackupController() override;

    const QString &databasePath() const { return m_databasePath; }

    // Starts the backup taken when the file was opened; returns at once.
    void startInBackground();
    // A background backup is running, or has ended and is not yet handled.
    bool isRunning() const { return m_thread != nullptr; }
    // Waits for the background backup (behind a progress dialog when it
    // takes long) and handles its result; at once when none is running.
    // False when the steward cancelled the wait (the backup then stopped,
    // leaving no file that counts as a backup).
    bool finishBackground(bool cancellable = false);
    // Stops the background backup between two steps (it leaves no file
    // that counts as a backup) and waits for it to end.
    void stopBackground();

    // A backup now, waiting for it behind a progress dialog (first for one
    // still running in the background): before the window closes, before a
    // restore replaces the records. `label`: the dialog's text, when not
    // the usual one.
    KeeperResult runAndWait(bool cancellable, const QString &label = {});

    const KeeperResult &lastResult() const { return m_last; }

    // Pauses the rotation of every backup this controller takes (a Restore
    // list open, a restore under way) for as long as a guard on it lives.
    BackupHold &hold() { return *m_hold; }

  Q_SIGNALS:
    // A backup ended (in the background or waited for).
    void finished(const KeeperResult &result);

  private:
    void handle(const KeeperResult &result);

    QString m_databasePath;
    MakeKeeper m_makeKeeper;
    Report m_report;
    Wait m_wait;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    KeeperResult m_background;
    KeeperResult m_last;
    QString m_reported; // the failure the status bar was told
    std::shared_ptr<BackupHold> m_hold = std::make_shared<BackupHold>();
};
