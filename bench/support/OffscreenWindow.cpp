#include "support/OffscreenWindow.h"

#include "support/WindowControls.h"

#include "session/CaseSession.h"

#include "caseform/CaseHandlers.h"
#include "commands/SafekeepingCommands.h"
#include "platform/TextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QWindow>
#include <stdexcept>

OffscreenWindow::OffscreenWindow(const QString &databasePath, Backup backup)
    : m_window(std::make_unique<frmMain>())
{
    m_window->Form_Load(databasePath);
    m_window->show();
    if (backup == Backup::Stopped && m_window->session().backups())
        m_window->session().backups()->stopBackground();
    QApplication::setActiveWindow(m_window.get());
    if (!waitExposed(*m_window))
        throw std::runtime_error("The main window never came on screen.");
}

// Destroyed without closing: closing would save the placement, which a
// benchmark has no business doing.
OffscreenWindow::~OffscreenWindow() = default;

bool OffscreenWindow::waitExposed(QWidget &w, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!(w.windowHandle() && w.windowHandle()->isExposed())) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

TextBox *OffscreenWindow::field(int index)
{
    return windowField(*m_window, index);
}

void OffscreenWindow::keyClick(TextBox *box, int key, const QString &text)
{
    QWidget *editor = box->editor();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &release);
}

void OffscreenWindow::clickTab(int page)
{
    QTabBar *bar = windowTabs(*m_window)->tabBar();
    const QPointF at = bar->tabRect(page).center();
    const QPointF global = bar->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
}

void OffscreenWindow::lookUp(const QString &fileNumber)
{
    TextBox *lookup = windowBox(*m_window, "txtFileNumber");
    lookup->setText(fileNumber);
    // A key that types nothing, released on the box: its handler runs the
    // lookup on the text as it stands.
    keyClick(lookup, Qt::Key_Shift);
}
