// Confirmed writes, deletes and additions through the grid window.
#include "browser/GridFixture.h"

#include "records/RecordSet.h"

#include <QTest>

using namespace CaseFields;

namespace
{

struct Confirmation {
    const char *name;
    Dialogs::Answer answer;
    bool written;
};

const Confirmation confirmations[] = {{"Yes", Dialogs::Answer::Yes, true},
                                      {"No", Dialogs::Answer::No, false}};

auto confirmationName = [](const auto &info) { return std::string(info.param.name); };

class GridCommitChanges : public GridTest, public ::testing::WithParamInterface<Confirmation>
{
};

TEST_P(GridCommitChanges, OnlyYesWritesTheChangedRow)
{
    const QList<qint64> ids = addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    typeInCell(grid, 1, QStringLiteral("Name"), QStringLiteral("Barker"));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << "nothing is asked while the row is being edited";
    EXPECT_EQ(employeeName(ids.at(1)), QStringLiteral("Baker"));
    dialogs.queueAnswer(GetParam().answer);
    pressInEditor(grid, Qt::Key_Up);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).prompt, QStringLiteral("Commit changes?"));
    EXPECT_EQ(dialogs.messages().at(0).buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(dialogs.messages().at(0).icon, Dialogs::Icon::Question);
    const QString expected =
        GetParam().written ? QStringLiteral("Barker") : QStringLiteral("Baker");
    EXPECT_EQ(employeeName(ids.at(1)), expected);
    EXPECT_EQ(column(grid, QStringLiteral("Name")),
              QStringList({QStringLiteral("Adams"), expected}))
        << "the grid shows what the table holds";
    EXPECT_FALSE(model(grid)->hasPending());
}

INSTANTIATE_TEST_SUITE_P(Answers, GridCommitChanges, ::testing::ValuesIn(confirmations),
                         confirmationName);

class GridDeleteRow : public GridTest, public ::testing::WithParamInterface<Confirmation>
{
};

TEST_P(GridDeleteRow, OnlyYesDeletesTheRow)
{
    const QList<qint64> ids =
        addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker"), QStringLiteral("Cole")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    selectRow(grid, 2);
    dialogs.queueAnswer(GetParam().answer);
    QTest::keyClick(grid->grdDataGrid, Qt::Key_Delete);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Delete Current Row?")});
    EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {ids.at(2)}),
              GetParam().written ? 0 : 1);
    EXPECT_EQ(storedRows(grid), GetParam().written ? 2 : 3);
}

INSTANTIATE_TEST_SUITE_P(Answers, GridDeleteRow, ::testing::ValuesIn(confirmations),
                         confirmationName);

class GridNewRow : public GridTest, public ::testing::WithParamInterface<Confirmation>
{
};

TEST_P(GridNewRow, NewRowLineAddsARowOnlyAfterYes)
{
    addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(model(grid)->rowCount(), 3) << "two rows and the new-row line";
    EXPECT_EQ(model(grid)->headerData(2, Qt::Vertical).toString(), QStringLiteral("*"));
    typeInCell(grid, 2, QStringLiteral("Name"), QStringLiteral("Cole"));
    dialogs.queueAnswer(GetParam().answer);
    pressInEditor(grid, Qt::Key_Up);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Commit changes?")});
    EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("Name = 'Cole'")),
              GetParam().written ? 1 : 0);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), GetParam().written ? 3 : 2);
    EXPECT_EQ(model(grid)->rowCount(), GetParam().written ? 4 : 3);
    EXPECT_EQ(pane(EmployeePane)->rs()->loadedCount(), GetParam().written ? 3 : 2)
        << "added to the shared record set";
}

INSTANTIATE_TEST_SUITE_P(Answers, GridNewRow, ::testing::ValuesIn(confirmations), confirmationName);

TEST_F(GridTest, RowChangedSinceItWasReadIsReportedByNameAndNotOverwritten)
{
    const QList<qint64> ids = addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(column(grid, QStringLiteral("Name")).value(1), QStringLiteral("Baker"));
    typeInCell(grid, 1, QStringLiteral("Name"), QStringLiteral("Barker"));
    db.query(QStringLiteral("UPDATE Employee SET \"Name\" = 'Bakerman' WHERE rowid = ?"),
             {ids.at(1)});
    pressInEditor(grid, Qt::Key_Up);
    ASSERT_EQ(dialogs.messages().size(), 2) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dialogs.messages().at(0).prompt, QStringLiteral("Commit changes?"));
    const QString report = dialogs.messages().at(1).prompt;
    EXPECT_TRUE(report.startsWith(QStringLiteral("Error:3020 "))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("000002")))
        << "names the record: " << report.toStdString();
    EXPECT_EQ(employeeName(ids.at(1)), QStringLiteral("Bakerman"));
    EXPECT_EQ(model(grid)->index(1, columnOf(grid, QStringLiteral("Name"))).data().toString(),
              QStringLiteral("Bakerman"))
        << "the grid shows the other change";
}

TEST_F(GridTest, CellEditorTakesNoMoreThanTheColumnHolds)
{
    const QList<qint64> ids = addEmployees({QStringLiteral("Adams")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    typeInCell(grid, 0, QStringLiteral("Department"), QStringLiteral("Maintenance and Repair"));
    pressInEditor(grid, Qt::Key_Down);
    EXPECT_EQ(db.row(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {ids.at(0)})
                  .value(QStringLiteral("Department"))
                  .toString(),
              QStringLiteral("Maintenanc"))
        << "Department holds ten characters";
}

} // namespace
