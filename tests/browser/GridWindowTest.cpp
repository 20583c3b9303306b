// The grid window as a window: its strip, resizing and large tables.
#include "browser/GridFixture.h"

#include "browser/GridLayout.h"
#include "platform/Twips.h"
#include "records/RecordSet.h"

#include <QPushButton>
#include <QTest>

namespace
{

class GridWindow : public GridTest
{
  protected:
    // The grid's height as the window's outer height asks for it.
    static int expectedGridHeight(frmDataGrid *g)
    {
        return Twips::toPixels(
            Twips::fromPixels(g->frameGeometry().height()) -
            (Twips::fromPixels(g->picButtons->height()) + GridLayout::ResizeAllowance));
    }
};

TEST_F(GridWindow, GridFollowsTheWindowHeightButNotWhileMinimised)
{
    addEmployees({QStringLiteral("Adams")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    const int width = grid->grdDataGrid->width();
    grid->resize(grid->width() + 100, grid->height() + 120);
    EXPECT_EQ(grid->grdDataGrid->height(), expectedGridHeight(grid));
    EXPECT_EQ(grid->grdDataGrid->width(), width) << "the width does not follow";

    grid->showMinimized();
    ASSERT_TRUE(grid->isMinimized());
    const int heightWhenMinimised = grid->grdDataGrid->height();
    grid->resize(grid->width(), grid->height() - 200);
    EXPECT_EQ(grid->grdDataGrid->height(), heightWhenMinimised);

    grid->showNormal();
    ASSERT_FALSE(grid->isMinimized());
    EXPECT_EQ(grid->grdDataGrid->height(), expectedGridHeight(grid));
    EXPECT_NE(grid->grdDataGrid->height(), heightWhenMinimised);

    const int before = grid->grdDataGrid->height();
    grid->resize(grid->width(), 10); // too small for any grid: it keeps its height
    EXPECT_EQ(grid->grdDataGrid->height(), before);
}

TEST_F(GridWindow, LargeTableIsReadLazilyAndCtrlEndReachesTheLastRow)
{
    fillEmployees(5000);
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    RecordSet *rs = grid->recordset().get();
    EXPECT_LT(rs->loadedCount(), 1000) << "opening the grid does not read every key";
    EXPECT_FALSE(model(grid)->isNewRowLine(model(grid)->rowCount() - 1))
        << "the new-row line waits until the end is known";

    grid->grdDataGrid->setFocus(Qt::OtherFocusReason);
    grid->grdDataGrid->setCurrentIndex(model(grid)->index(0, 0));
    QTest::keyClick(grid->grdDataGrid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(rs->loadedCount(), 5000);
    const QModelIndex current = grid->grdDataGrid->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_GE(current.row(), 4999);
    EXPECT_EQ(model(grid)->index(4999, columnOf(grid, QStringLiteral("Name"))).data().toString(),
              QStringLiteral("Person 5000"));
    EXPECT_TRUE(model(grid)->isNewRowLine(5000));
}

} // namespace
