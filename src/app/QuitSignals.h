#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QSocketNotifier;
class QWidget;

// Ends the program the way the steward's close box does when the desktop
// session or a terminal asks it to (SIGTERM, SIGINT, SIGHUP): an edited
// record is saved and the window's placement written, where the default
// action of those signals would lose both.
class QuitSignals : public QObject
{
    Q_OBJECT
  public:
    // Catches the signals from here on (and unblocks them, should the
    // program have been started with them blocked). A signal that arrives
    // before a QuitSignals object exists waits and is acted on once one
    // listens, so this goes first in main(), before anything slow.
    static void install();
    // Puts back the default actions.
    static void uninstall();

    // Closes `window` on each signal. `topLoopLevel` is the event loop depth
    // at which the program idles (1 inside QApplication::exec()); a close is
    // held back while a dialog's loop runs above it.
    QuitSignals(QWidget *window, int topLoopLevel);
    ~QuitSignals() override;

  private:
    void signalled();
    void closeWhenIdle();

    QPointer<QWidget> m_window;
    int m_topLoopLevel = 1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_retry;
};
