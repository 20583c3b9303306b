// The database stops answering while a grid window reads its rows lazily
// (while painting, scrolling or handling a key): the grid shows "Error:"
// with the number and description once, keeps the rows it has, and the
// program goes on with the panes' unsaved typing intact. Once the
// database answers again, the next move in the grid reads on.
#include "browser/GridFixture.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace CaseFields;

namespace
{

enum class Move { PageDown, CtrlEnd, Wheel, Refresh };

struct ReadCase {
    const char *name;
    Move move;
};

class GridReadFailure : public GridTest, public ::testing::WithParamInterface<ReadCase>
{
  protected:
    void move(frmDataGrid *g, Move m)
    {
        DataGrid *view = g->grdDataGrid;
        switch (m) {
        case Move::PageDown:
            QTest::keyClick(view, Qt::Key_PageDown);
            break;
        case Move::CtrlEnd:
            QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
            break;
        case Move::Wheel: {
            const QPoint at = view->viewport()->rect().center();
            QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * 10),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view->viewport(), &wheel);
            break;
        }
        case Move::Refresh:
            QTest::mouseClick(g->cmdRefresh, Qt::LeftButton);
            break;
        }
    }
    // Lets the grid paint what the move brought on screen, and anything
    // that painting queued run.
    static void settle(frmDataGrid *g)
    {
        for (int i = 0; i < 3; ++i) {
            g->grdDataGrid->viewport()->repaint();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    QString cell(frmDataGrid *g, int row)
    {
        return model(g)->index(row, columnOf(g, QStringLiteral("Name"))).data().toString();
    }
};

TEST_P(GridReadFailure, ShowsTheErrorOnceKeepsItsRowsAndTheProgramGoesOn)
{
    fillEmployees(3000);
    start();
    // Typing on the grievance page that has not been saved yet.
    clickTab(GrievancePane);
    typeInto(field(RemedySought), QStringLiteral("Back pay"));
    ASSERT_TRUE(pane(GrievancePane)->isEdited());
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    settle(grid);
    ASSERT_EQ(cell(grid, 0), QStringLiteral("Person 1"));
    const int rowsBefore = model(grid)->rowCount();
    ASSERT_LT(rowsBefore, 3000) << "the grid has read only its first rows";

    // Another program takes the table away: every read fails from now on.
    db.query(QStringLiteral("ALTER TABLE Employee RENAME TO EmployeeAway"));
    dialogs.clear();
    move(grid, GetParam().move);
    settle(grid);
    const QStringList shown = messageTexts();
    ASSERT_EQ(shown.size(), 1) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Error:\\d{4} \\S")).match(shown.at(0)).hasMatch())
        << shown.at(0).toStdString();
    EXPECT_EQ(cell(grid, 0), QStringLiteral("Person 1")) << "the rows read stay";
    EXPECT_GE(model(grid)->rowCount(), rowsBefore);
    EXPECT_TRUE(host->window.isVisible());
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay"));
    EXPECT_TRUE(pane(GrievancePane)->isEdited());

    // The table is back: the next move reads on, to the last row.
    db.query(QStringLiteral("ALTER TABLE EmployeeAway RENAME TO Employee"));
    dialogs.clear();
    move(grid, Move::CtrlEnd);
    settle(grid);
    EXPECT_TRUE(messageTexts().isEmpty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(model(grid)->storedRows(), 3000);
    EXPECT_EQ(cell(grid, 2999), QStringLiteral("Person 3000"));
    grid->close();
}

INSTANTIATE_TEST_SUITE_P(Moves, GridReadFailure,
                         ::testing::Values(ReadCase{"PageDown", Move::PageDown},
                                           ReadCase{"CtrlEnd", Move::CtrlEnd},
                                           ReadCase{"Wheel", Move::Wheel},
                                           ReadCase{"Refresh", Move::Refresh}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
