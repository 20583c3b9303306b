#include "app/QuitSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

void onSignal(int signal)
{
    // Only async-signal-safe work here: the event loop does the rest.
    const char byte = char(signal);
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// How often a held-back close looks again whether the dialog is answered.
constexpr int RetryMs = 100;

} // namespace

void QuitSignals::install()
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t mask;
    sigemptyset(&mask);
    for (int s : Signals) {
        ::sigaction(s, &action, nullptr);
        sigaddset(&mask, s);
    }
    // A parent may start the program with these signals blocked; they would
    // then never arrive. One already sent waits, and arrives now.
    ::sigprocmask(SIG_UNBLOCK, &mask, nullptr);
}

void QuitSignals::uninstall()
{
    for (int s : Signals)
        std::signal(s, SIG_DFL);
}

QuitSignals::QuitSignals(QWidget *window, int topLoopLevel)
    : m_window(window), m_topLoopLevel(topLoopLevel)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &QuitSignals::closeWhenIdle);
    if (g_pipe[0] < 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::signalled);
}

QuitSignals::~QuitSignals() = default;

void QuitSignals::signalled()
{
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    // A question on the screen gets its cautious answer (the one Esc
    // gives), then the window closes as its close box would.
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
    closeWhenIdle();
}

void QuitSignals::closeWhenIdle()
{
    if (!m_window) {
        QCoreApplication::quit();
        return;
    }
    if (QApplication::activeModalWidget() ||
        QThread::currentThread()->loopLevel() > m_topLoopLevel) {
        m_retry.start();
        return;
    }
    m_window->close();
}
