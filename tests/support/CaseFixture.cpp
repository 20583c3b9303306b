#include "support/CaseFixture.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

void MainWindowTest::SetUp()
{
    QStandardPaths::setTestModeEnabled(true);
}

void MainWindowTest::start()
{
    if (!QFile::exists(db.path()))
        db.open();
    window = std::make_unique<frmMain>();
    window->Form_Load(db.path());
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

void MainWindowTest::TearDown()
{
    if (window) {
        window->close();
        window.reset();
    }
}

void MainWindowTest::typeInto(TextBox *box, const QString &text)
{
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box->editor(), text);
}

void MainWindowTest::clickTab(int page)
{
    QTabBar *bar = windowTabs(*window)->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(page).center());
}
