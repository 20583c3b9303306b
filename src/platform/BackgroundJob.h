#pragma once

#include <QString>
#include <atomic>
#include <functional>

class QWidget;

// Work that must not freeze the window (a backup, an export, an import)
// run on a thread of its own while the caller waits behind a progress
// dialog. The dialog appears only when the work takes longer than a
// moment; until the work ends the steward's keys and clicks reach no
// window but the dialog, whose Cancel (when offered) asks the work to stop.
class BackgroundJob
{
  public:
    struct Progress {
        std::atomic<qint64> done{0};
        std::atomic<qint64> total{0}; // 0: unknown
    };
    using Work = std::function<void(const std::atomic<bool> &cancel, Progress &progress)>;
    // The dialog's text for the progress so far.
    using Label = std::function<QString(qint64 done, qint64 total)>;

    static constexpr int ShowAfterMs = 400;

    // Returns when the work has ended; true unless the steward cancelled.
    static bool run(QWidget *parent, const Label &label, bool cancellable, const Work &work);
};
