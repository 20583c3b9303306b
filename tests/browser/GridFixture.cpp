#include "browser/GridFixture.h"

#include "browser/GridHandlers.h"
#include "caseform/RecordBinder.h"
#include "platform/Forms.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

void GridTest::SetUp()
{
    QStandardPaths::setTestModeEnabled(true);
}

void GridTest::start()
{
    if (!QFile::exists(db.path()))
        db.open();
    auto cases = std::make_shared<CaseDatabase>(db.path());
    cases->open();
    for (int page = 0; page < CaseFields::PaneCount; ++page) {
        host->pane(page)->setDatabase(cases);
        host->pane(page)->open();
    }
    host->window.show();
    QApplication::setActiveWindow(&host->window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host->window));
}

void GridTest::TearDown()
{
    // The grid windows go first, as they do when the main window closes.
    const QList<QWidget *> loaded = Forms::loaded();
    for (qsizetype i = loaded.size() - 1; i >= 0; --i)
        loaded.at(i)->close();
    host.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void GridTest::typeInto(TextBox *box, const QString &text)
{
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box->editor(), text);
}

void GridTest::clickTab(int page)
{
    QTabBar *bar = host->form.SSTab2->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(page).center());
}

frmDataGrid *GridTest::openGrid(int page)
{
    if (host->form.SSTab2->currentIndex() != page)
        clickTab(page);
    const qsizetype before = Forms::loaded().size();
    GridHandlers::cmdGrid_Click(pane(page)->recordset(), host->window.windowTitle(), &host->window);
    const QList<QWidget *> loaded = Forms::loaded();
    if (loaded.size() != before + 1)
        return nullptr;
    auto *grid = qobject_cast<frmDataGrid *>(loaded.last());
    if (grid) {
        QApplication::setActiveWindow(grid);
        EXPECT_TRUE(QTest::qWaitForWindowActive(grid));
    }
    return grid;
}
