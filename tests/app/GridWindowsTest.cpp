// The grid windows the main window opens with its Grid buttons: a file
// number changed or deleted in the employees' grid goes through the checks
// the employee pane's saves go through (the question, the move in the same
// write, the notices on the window's status bar), and closing the window
// unloads every grid, the latest first.
#include "browser/GridSteps.h"
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "platform/Forms.h"

#include <QApplication>
#include <QTest>

using namespace GridSteps;

namespace
{

// The real main window with grid windows opened through its Grid buttons.
class WindowGrids : public MainWindowTest
{
  protected:
    void TearDown() override
    {
        MainWindowTest::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Presses cmdGrid(page) (turning to the page first) and returns the new window.
    frmDataGrid *openGrid(int page)
    {
        if (windowTabs(*window)->currentIndex() != page)
            clickTab(page);
        const qsizetype before = Forms::loaded().size();
        QTest::mouseClick(recordCommand(*window, "cmdGrid", page), Qt::LeftButton);
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
    QStringList messageTexts() const { return GridSteps::messageTexts(dialogs); }
};

struct Edit {
    const char *name;
    Dialogs::Answer move;
    int moved;
    const char *afterDelete; // the status bar once Adams is deleted; null: no notice
};

class GridFileNumber : public WindowGrids, public ::testing::WithParamInterface<Edit>
{
};

TEST_P(GridFileNumber, ChangedInTheGridIsCheckedAsThePaneChecksIt)
{
    addEmployees(db, {QStringLiteral("Adams"), QStringLiteral("Baker")}); // 000001, 000002
    for (int i = 0; i < 2; ++i)
        db.insert(QStringLiteral("Complaints"),
                  {{QStringLiteral("File Number"), QStringLiteral("000001")}});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    typeInCell(grid, 0, QStringLiteral("File Number"), QStringLiteral("000002"));
    dialogs.queueAnswer(Dialogs::Answer::Yes); // Commit changes?
    dialogs.queueAnswer(GetParam().move);
    pressInEditor(grid, Qt::Key_Down);
    EXPECT_EQ(messageTexts(),
              QStringList({QStringLiteral("Commit changes?"),
                           QStringLiteral("Move the 2 complaints filed under 000001 to 000002 as "
                                          "well?")}));
    const QString under = QStringLiteral("\"File Number\" = ?");
    EXPECT_EQ(db.count(QStringLiteral("Complaints"), under, {QStringLiteral("000002")}),
              GetParam().moved);
    EXPECT_EQ(windowStatusBar(*window)->panelText(1),
              QStringLiteral("File Number 000002 is also Baker's."));

    selectRow(grid, 0);
    dialogs.queueAnswer(Dialogs::Answer::Yes); // Delete Current Row?
    QTest::keyClick(grid->grdDataGrid, Qt::Key_Delete);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 1);
    if (GetParam().afterDelete)
        EXPECT_EQ(windowStatusBar(*window)->panelText(1),
                  QString::fromUtf8(GetParam().afterDelete));
    else
        EXPECT_FALSE(windowStatusBar(*window)->panelText(1).contains(QStringLiteral("remain")));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GridFileNumber,
    ::testing::Values(Edit{"Yes", Dialogs::Answer::Yes, 2,
                           "2 complaints remain under File Number 000002, now Baker's."},
                      Edit{"No", Dialogs::Answer::No, 0, nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WindowGrids, ClosingTheMainWindowUnloadsEveryGridLatestFirst)
{
    addEmployees(db, {QStringLiteral("Adams")});
    start();
    QList<frmDataGrid *> order;
    frmDataGrid *grids[3] = {openGrid(0), openGrid(1), openGrid(0)};
    for (frmDataGrid *g : grids) {
        ASSERT_NE(g, nullptr);
        QObject::connect(g, &frmDataGrid::unloaded, g, [&order, g] { order << g; });
    }
    window->close();
    EXPECT_EQ(order, QList<frmDataGrid *>({grids[2], grids[1], grids[0]}));
    EXPECT_EQ(Forms::loaded(), QList<QWidget *>{window.get()});
}

} // namespace
