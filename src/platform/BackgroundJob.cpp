#include "platform/BackgroundJob.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <memory>

namespace
{

constexpr const char *Stopping = "Stopping...";

// While the work runs the window stays painted, but what the steward types
// or clicks there would change records under the work: only the progress
// dialog takes input.
class InputOnlyFor : public QObject
{
  public:
    explicit InputOnlyFor(QWidget *dialog) : m_dialog(dialog) { qApp->installEventFilter(this); }
    ~InputOnlyFor() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Close: {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (!widget)
                return event->type() == QEvent::Shortcut;
            return !m_dialog || widget->window() != m_dialog->window();
        }
        default:
            return false;
        }
    }

  private:
    QPointer<QWidget> m_dialog;
};

} // namespace

bool BackgroundJob::run(QWidget *parent, const Label &label, bool cancellable, const Work &work)
{
    std::atomic<bool> cancel{false};
    Progress progress;
    QProgressDialog dialog(label(0, 0), QString(), 0, 0, parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(ShowAfterMs);
    if (cancellable) {
        dialog.setCancelButtonText(QProgressDialog::tr("Cancel"));
        QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
            cancel = true;
            dialog.setLabelText(QString::fromUtf8(Stopping));
        });
    } else {
        dialog.setCancelButton(nullptr);
    }
    const InputOnlyFor blocker(&dialog);

    std::unique_ptr<QThread> thread(QThread::create([&] { work(cancel, progress); }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, &dialog, [&] {
        const qint64 done = progress.done, total = progress.total;
        if (!cancel)
            dialog.setLabelText(label(done, total));
        // Per mille: a row count may not fit the dialog's int.
        if (total > 0) {
            dialog.setMaximum(1000);
            dialog.setValue(int(std::min<qint64>(1000, done * 1000 / total)));
        } else {
            dialog.setValue(0);
        }
    });
    thread->start();
    tick.start();
    loop.exec();
    thread->wait();
    return !cancel;
}
