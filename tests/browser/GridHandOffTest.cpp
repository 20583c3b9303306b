// Opening grid windows on a record pane's record set, their load step and their unloading.
#include "browser/GridFixture.h"

#include "browser/GridDataSource.h"
#include "browser/GridHandlers.h"
#include "jetsql/DataError.h"
#include "platform/Forms.h"
#include "records/RecordSet.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace CaseFields;

namespace
{

class GridHandOff : public GridTest
{
};

TEST_F(GridHandOff, GridSharesThePanesRecordSetSoADeleteInTheGridIsADeleteInThePane)
{
    const QList<qint64> ids =
        addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker"), QStringLiteral("Cole")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->recordset().get(), pane(EmployeePane)->rs()) << "the very object, not a copy";
    EXPECT_EQ(grid->windowTitle(), QStringLiteral("Quillmark Wizard Grid"));
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(grid->isModal());
    EXPECT_TRUE(host->window.isEnabled());
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << "the empty record source loads without an Error: message";

    // Column n is field n, as the header-click sort relies on.
    QStringList headers;
    for (int c = 0; c < model(grid)->columnCount(); ++c)
        headers << model(grid)->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, pane(EmployeePane)->rs()->fieldNames());

    selectRow(grid, 1);
    QTest::keyClick(grid->grdDataGrid, Qt::Key_Delete);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).prompt, QStringLiteral("Delete Current Row?"));
    EXPECT_EQ(dialogs.messages().at(0).buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(dialogs.messages().at(0).icon, Dialogs::Icon::Question);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 2);
    EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {ids.at(1)}), 0);
    pane(EmployeePane)->rs()->fetchAll();
    EXPECT_EQ(pane(EmployeePane)->rs()->loadedCount(), 2);
    EXPECT_LT(pane(EmployeePane)->rs()->rowOfKey(ids.at(1)), 0)
        << "the pane's own record set lost the row";
    EXPECT_EQ(column(grid, QStringLiteral("Name")),
              QStringList({QStringLiteral("Adams"), QStringLiteral("Cole")}));
}

TEST_F(GridHandOff, AnEditInTheGridShowsInThePaneThatSharesTheRecordSet)
{
    const QList<qint64> ids = addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    start();
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Adams"));
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    typeInCell(grid, 0, QStringLiteral("Name"), QStringLiteral("Adamson"));
    pressInEditor(grid, Qt::Key_Down);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Commit changes?")});
    EXPECT_EQ(employeeName(ids.at(0)), QStringLiteral("Adamson"));
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Adamson"));
}

TEST_F(GridHandOff, AnEditPendingWhenTheWindowClosesIsOfferedBeforeItGoes)
{
    const QList<qint64> ids = addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    start();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    typeInCell(grid, 1, QStringLiteral("Name"), QStringLiteral("Barker"));
    QTest::mouseClick(grid->cmdClose, Qt::LeftButton);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Commit changes?")});
    EXPECT_EQ(employeeName(ids.at(1)), QStringLiteral("Barker"));
}

// The load step with a record source of its own.
struct CaptionCase {
    const char *name;
    const char *fileNumber; // makes the record source 46 + its length + 1 characters long
    const char *caption;
};

class GridLoadCaption : public GridTest, public ::testing::WithParamInterface<CaptionCase>
{
};

TEST_P(GridLoadCaption, RecordSourceUpToFiftyCharactersIsTheCaption)
{
    addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    for (const char *number : {"001", "0001"})
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("Short ids")},
                   {QStringLiteral("File Number"), QString::fromLatin1(number)}});
    start();
    const QString source = QStringLiteral("SELECT * FROM Employee WHERE [File Number] = '%1'")
                               .arg(QString::fromLatin1(GetParam().fileNumber));
    auto *grid = new frmDataGrid(&host->window, {db.path(), source});
    ASSERT_TRUE(grid->ensureLoaded());
    EXPECT_EQ(grid->windowTitle(), QString::fromLatin1(GetParam().caption));
    EXPECT_TRUE(dialogs.messages().isEmpty());
    ASSERT_NE(grid->recordset(), nullptr);
    EXPECT_EQ(grid->recordset()->type(), RecordSet::Dynaset);
    EXPECT_EQ(storedRows(grid), 1) << "the data source opened its record source";
    grid->close();
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, GridLoadCaption,
    ::testing::Values(CaptionCase{"Fifty", "001",
                                  "SELECT * FROM Employee WHERE [File Number] = '001'"},
                      CaptionCase{"FiftyOne", "0001", "SQL Statement"}),
    [](const auto &info) { return std::string(info.param.name); });

struct LoadFailure {
    const char *name;
    bool missingFile;
    const char *source;
    int number;
};

class GridLoadFailure : public GridTest, public ::testing::WithParamInterface<LoadFailure>
{
};

TEST_P(GridLoadFailure, ShowsTheErrorAndUnloadsWithoutCreatingADatabase)
{
    start();
    const QString path =
        GetParam().missingFile ? db.path() + QStringLiteral(".missing") : db.path();
    auto *grid = new frmDataGrid(&host->window, {path, QString::fromLatin1(GetParam().source)});
    QPointer<frmDataGrid> alive(grid);
    EXPECT_FALSE(grid->ensureLoaded());
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().at(0).prompt.startsWith(
        QStringLiteral("Error:%1 ").arg(GetParam().number)))
        << dialogs.messages().at(0).prompt.toStdString();
    EXPECT_EQ(dialogs.messages().at(0).buttons, Dialogs::Buttons::Ok);
    EXPECT_EQ(dialogs.messages().at(0).icon, Dialogs::Icon::None);
    EXPECT_FALSE(Forms::loaded().contains(grid));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(QFile::exists(db.path() + QStringLiteral(".missing")));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, GridLoadFailure,
    ::testing::Values(LoadFailure{"UnknownTable", false, "NoSuchTable", DataErrors::UnknownTable},
                      LoadFailure{"MissingDatabaseFile", true, "Employee", DataErrors::CannotOpen}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace
{

// The pane's record, typed but not yet saved, when a grid over the same
// record set requeries it.
class GridRefreshWithPaneEdit : public GridTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(GridRefreshWithPaneEdit, SavesThePanesRecordToItsOwnRowFirst)
{
    const bool newRecord = QString::fromLatin1(GetParam()) == QLatin1String("NewRecord");
    const QList<qint64> ids = addEmployees({QStringLiteral("Adams"), QStringLiteral("Baker")});
    start();
    for (int press = 0; press < (newRecord ? 2 : 1); ++press)
        QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next),
                          Qt::LeftButton); // Next: Baker, then a new record
    ASSERT_EQ(pane(EmployeePane)->isOnNewRecord(), newRecord);
    typeInto(field(Name), QStringLiteral("Cole"));
    const QString typed = field(Name)->text();
    frmDataGrid *grid = openGrid(0);
    ASSERT_NE(grid, nullptr);
    QTest::mouseClick(grid->cmdRefresh, Qt::LeftButton);
    QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::First), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().isEmpty())
        << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(employeeName(ids.at(0)), QStringLiteral("Adams")) << "never written onto another row";
    if (newRecord) {
        EXPECT_EQ(employeeName(ids.at(1)), QStringLiteral("Baker"));
        EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("Name = ?"), {typed}), 1);
    } else {
        EXPECT_EQ(employeeName(ids.at(1)), typed);
    }
    EXPECT_EQ(storedRows(grid), newRecord ? 3 : 2);
}

INSTANTIATE_TEST_SUITE_P(PaneRecords, GridRefreshWithPaneEdit,
                         ::testing::Values("EditedRecord", "NewRecord"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
