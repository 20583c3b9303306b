// Filter, Sort and the header-click sort of the grid window.
#include "browser/GridFixture.h"

#include "browser/GridDataSource.h"
#include "platform/MousePointer.h"
#include "records/RecordSet.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace CaseFields;

namespace
{

enum class Command { Filter, Sort };

QPushButton *button(frmDataGrid *g, Command c)
{
    return c == Command::Filter ? g->cmdFilter : g->cmdSort;
}

class GridFilterSort : public GridTest
{
  protected:
    // Baker (DB), Adams (DA), Cole (DC), Abbot (DA), Dunn (DD).
    frmDataGrid *openOverFive()
    {
        addEmployees({QStringLiteral("Baker"), QStringLiteral("Adams"), QStringLiteral("Cole"),
                      QStringLiteral("Abbot"), QStringLiteral("Dunn")});
        start();
        return openGrid(0);
    }
    void run(frmDataGrid *g, Command c, const QString &answer)
    {
        dialogs.queueInput(answer);
        QTest::mouseClick(button(g, c), Qt::LeftButton);
    }
    QStringList names(frmDataGrid *g) { return column(g, QStringLiteral("Name")); }
};

struct CommandCase {
    const char *name;
    Command command;
    const char *prompt;
    const char *refusal;
};

const CommandCase commandCases[] = {
    {"Filter", Command::Filter, "Enter Filter Expression:", "You Cannot Filter a Table Recordset!"},
    {"Sort", Command::Sort, "Enter Sort Column:", "You Cannot Sort a Table Recordset!"},
};

class GridCommand : public GridFilterSort, public ::testing::WithParamInterface<CommandCase>
{
};

TEST_P(GridCommand, EmptyAnswerChangesNothing)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    const std::shared_ptr<RecordSet> before = grid->recordset();
    run(grid, GetParam().command, QString());
    ASSERT_EQ(dialogs.inputs().size(), 1);
    EXPECT_EQ(dialogs.inputs().at(0).prompt, QString::fromLatin1(GetParam().prompt));
    EXPECT_EQ(dialogs.inputs().at(0).title, QStringLiteral("Quillmark_Wizard"));
    EXPECT_EQ(grid->recordset(), before);
    EXPECT_TRUE(before->filter().isEmpty());
    EXPECT_TRUE(before->sort().isEmpty());
    EXPECT_EQ(storedRows(grid), 5);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(MousePointer::current(), MousePointer::Default);
}

TEST_P(GridCommand, TableKindRecordSetIsRefusedAfterABeep)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    grid->Data1()->setRecordsetType(RecordSet::Table);
    const std::shared_ptr<RecordSet> before = grid->recordset();
    run(grid, GetParam().command, QStringLiteral("[Name]"));
    EXPECT_EQ(dialogs.beeps(), 1);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).prompt, QString::fromLatin1(GetParam().refusal));
    EXPECT_EQ(dialogs.messages().at(0).buttons, Dialogs::Buttons::Ok);
    EXPECT_EQ(dialogs.messages().at(0).icon, Dialogs::Icon::Exclamation);
    EXPECT_TRUE(dialogs.inputs().isEmpty()) << "refused before asking";
    EXPECT_EQ(grid->recordset(), before);

    dialogs.clear();
    clickHeader(grid, QStringLiteral("Name"));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << "a header click does nothing";
    EXPECT_EQ(dialogs.beeps(), 0);
    EXPECT_EQ(grid->recordset(), before);
}

INSTANTIATE_TEST_SUITE_P(Commands, GridCommand, ::testing::ValuesIn(commandCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Expressions a steward might type that the translator cannot read; each
// must end as an "Error:" message, never as SQL reaching the database.
class GridMalformedFilter : public GridFilterSort,
                            public ::testing::WithParamInterface<const char *>
{
};

TEST_P(GridMalformedFilter, IsAnErrorMessageAndTheTablesAreIntact)
{
    db.insert(QStringLiteral("Complaints"),
              {{QStringLiteral("File Number"), QStringLiteral("000001")}});
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    const std::shared_ptr<RecordSet> before = grid->recordset();
    run(grid, Command::Filter, QString::fromUtf8(GetParam()));
    ASSERT_EQ(dialogs.messages().size(), 1);
    const auto &shown = dialogs.messages().at(0);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Error:\\d+ \\S")).match(shown.prompt).hasMatch())
        << shown.prompt.toStdString();
    EXPECT_EQ(shown.buttons, Dialogs::Buttons::Ok);
    EXPECT_EQ(shown.icon, Dialogs::Icon::None);
    EXPECT_EQ(shown.title, QStringLiteral("Quillmark_Wizard"));
    EXPECT_EQ(MousePointer::current(), MousePointer::Default);
    EXPECT_EQ(grid->recordset(), before) << "the window keeps the record set it had";
    EXPECT_TRUE(before->filter().isEmpty())
        << "the unreadable filter does not stay on the record set";
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 5);
    EXPECT_EQ(db.count(QStringLiteral("Complaints")), 1);
    EXPECT_EQ(storedRows(grid), 5);
}

INSTANTIATE_TEST_SUITE_P(Expressions, GridMalformedFilter,
                         ::testing::Values("[Name] = 'x", "DROP TABLE Employee",
                                           "[Name] = 'a'; DROP TABLE Employee",
                                           "[Name] = 'a') OR (1 = 1", "[No Such Field] = 1"),
                         [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST_F(GridFilterSort, FilterNoRowPassesLeavesNoRows)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    run(grid, Command::Filter, QStringLiteral("[Name] = 'Nobody'"));
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_NE(grid->recordset().get(), pane(EmployeePane)->rs());
    EXPECT_EQ(storedRows(grid), 0);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 5);
}

TEST_F(GridFilterSort, SecondFilterNarrowsTheRowsTheFirstLeft)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    run(grid, Command::Filter, QStringLiteral("[Name] LIKE 'A*' OR [Name] = 'Cole'"));
    EXPECT_EQ(names(grid), QStringList({QStringLiteral("Adams"), QStringLiteral("Cole"),
                                        QStringLiteral("Abbot")}));
    run(grid, Command::Filter, QStringLiteral("[Department] <> 'DC'"));
    EXPECT_EQ(names(grid), QStringList({QStringLiteral("Adams"), QStringLiteral("Abbot")}));
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(pane(EmployeePane)->rs()->filter(),
              QStringLiteral("[Name] LIKE 'A*' OR [Name] = 'Cole'"))
        << "the filter stays with the record set it was applied to";
}

TEST_F(GridFilterSort,
       HeaderClicksSortAscendingThenWithShiftDescendingThenAscendingKeepingTheFilter)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    run(grid, Command::Filter, QStringLiteral("[Name] <> 'Cole'"));
    const QStringList ascending = {QStringLiteral("Abbot"), QStringLiteral("Adams"),
                                   QStringLiteral("Baker"), QStringLiteral("Dunn")};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());

    clickHeader(grid, QStringLiteral("Name"));
    EXPECT_EQ(names(grid), ascending);
    clickHeader(grid, QStringLiteral("Name"), Qt::ShiftModifier);
    EXPECT_EQ(names(grid), descending);
    EXPECT_EQ(grid->LastMouseShift, 0) << "the header click resets the mask it used";
    clickHeader(grid, QStringLiteral("Name"));
    EXPECT_EQ(names(grid), ascending);
    EXPECT_TRUE(dialogs.inputs().size() == 1) << "header clicks do not ask";
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(grid->SortColumn.isEmpty());

    // SortColumn is empty again, so the Sort button asks.
    QTest::mouseClick(grid->cmdSort, Qt::LeftButton);
    ASSERT_EQ(dialogs.inputs().size(), 2);
    EXPECT_EQ(dialogs.inputs().at(1).prompt, QStringLiteral("Enter Sort Column:"));
}

class GridHeaderModifier
    : public GridFilterSort,
      public ::testing::WithParamInterface<std::pair<const char *, Qt::KeyboardModifier>>
{
};

TEST_P(GridHeaderModifier, AnyModifierHeldSortsDescending)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    clickHeader(grid, QStringLiteral("File Number"), GetParam().second);
    EXPECT_EQ(
        column(grid, QStringLiteral("File Number")),
        QStringList({QStringLiteral("000005"), QStringLiteral("000004"), QStringLiteral("000003"),
                     QStringLiteral("000002"), QStringLiteral("000001")}));
    EXPECT_EQ(pane(EmployeePane)->rs()->sort(), QStringLiteral("[File Number] desc"));
}

INSTANTIATE_TEST_SUITE_P(Modifiers, GridHeaderModifier,
                         ::testing::Values(std::pair{"Shift", Qt::ShiftModifier},
                                           std::pair{"Ctrl", Qt::ControlModifier},
                                           std::pair{"Alt", Qt::AltModifier}),
                         [](const auto &info) { return std::string(info.param.first); });

TEST_F(GridFilterSort, FilterInOneGridLeavesTheOtherOnTheSharedRecordSet)
{
    frmDataGrid *first = openOverFive();
    frmDataGrid *second = openGrid(0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second) << "each press opens one more window";
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    run(first, Command::Filter, QStringLiteral("[Department] = 'DA'"));
    EXPECT_EQ(names(first), QStringList({QStringLiteral("Adams"), QStringLiteral("Abbot")}));
    EXPECT_EQ(second->recordset().get(), pane(EmployeePane)->rs());
    EXPECT_EQ(storedRows(second), 5);

    // The filter stays set on the shared record set: a sort opened from it
    // in the second window applies it as well.
    run(second, Command::Sort, QStringLiteral("[Name]"));
    EXPECT_EQ(names(second), QStringList({QStringLiteral("Abbot"), QStringLiteral("Adams")}));
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << messageTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(GridFilterSort, SortKeepsTheFilterAndRefreshRequeriesTheGridsOwnRecordSet)
{
    frmDataGrid *grid = openOverFive();
    ASSERT_NE(grid, nullptr);
    run(grid, Command::Filter, QStringLiteral("[Name] LIKE 'A*'"));
    run(grid, Command::Sort, QStringLiteral("[Name] desc"));
    EXPECT_EQ(names(grid), QStringList({QStringLiteral("Adams"), QStringLiteral("Abbot")}));
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Allen")}});
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Zorn")}});
    QTest::mouseClick(grid->cmdRefresh, Qt::LeftButton);
    EXPECT_EQ(names(grid), QStringList({QStringLiteral("Allen"), QStringLiteral("Adams"),
                                        QStringLiteral("Abbot")}));
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << messageTexts().join(QLatin1Char('|')).toStdString();
}

} // namespace
