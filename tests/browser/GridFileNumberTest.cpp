// A file number changed or deleted in the grid window goes through the
// checks the employee pane's saves go through: the question, the move in
// the same write, and the notices on the main window's status bar.
#include "browser/GridFixture.h"

#include "support/MainWindowParts.h"

#include <QTest>

namespace
{

struct Edit {
    const char *name;
    Dialogs::Answer move;
    int moved;
    const char *afterDelete; // the status bar once Adams is deleted; null: no notice
};

class GridFileNumber : public GridTest, public ::testing::WithParamInterface<Edit>
{
};

TEST_P(GridFileNumber, ChangedInTheGridIsCheckedAsThePaneChecksIt)
{
    addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")}); // 000001, 000002
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

} // namespace
