// The bound panes of the main window, driven with real key and mouse events.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "app/StatusBar.h"
#include "platform/core/AppInfo.h"
#include "records/CaseSchema.h"

#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace CaseFields;

namespace
{

enum Bar { First = 0, Previous = 1, Next = 2, Last = 3 };

class MainWindowBinding : public MainWindowTest
{
  protected:
    void press(int paneIndex, Bar b)
    {
        QTest::mouseClick(bar(paneIndex)->button(NavigatorBar::Button(b)), Qt::LeftButton);
    }
};

TEST_F(MainWindowBinding, EmptyTableStartsOnANewRecordAndStoresWhatIsTypedWhenThePaneMoves)
{
    start();
    EXPECT_TRUE(pane(EmployeePane)->isOnNewRecord());
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 0"));
    EXPECT_TRUE(field(Name)->isActiveControl()) << "the name box has the focus at start";
    typeInto(field(Name), QStringLiteral("Ada Byron"));
    typeInto(field(FileNumber), QStringLiteral("000123"));
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 0) << "nothing is stored before a move";
    press(EmployeePane, Previous);
    ASSERT_EQ(db.count(QStringLiteral("Employee")), 1);
    const QVariantMap row = db.row(QStringLiteral("Employee"), QStringLiteral("1"));
    EXPECT_EQ(row.value(QStringLiteral("Name")).toString(), QStringLiteral("Ada Byron"));
    EXPECT_EQ(row.value(QStringLiteral("File Number")).toString(), QStringLiteral("000123"));
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Ada Byron"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 1"));
    EXPECT_EQ(bar(EmployeePane)->caption(), QStringLiteral("Record: 1")) << "the bar shows it";
}

TEST_F(MainWindowBinding, NextPastTheLastStartsANewRecordThatIsDroppedWhenLeftUntouched)
{
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("First")}});
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Second")}});
    start();
    EXPECT_EQ(field(Name)->text(), QStringLiteral("First"));
    press(EmployeePane, Next);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Second"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 2"));
    press(EmployeePane, Next);
    EXPECT_TRUE(pane(EmployeePane)->isOnNewRecord());
    EXPECT_EQ(field(Name)->text(), QString());
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 0"));
    press(EmployeePane, First);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("First"));
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 2);
    press(EmployeePane, Previous);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("First"))
        << "before the first stays on the first";
    press(EmployeePane, Last);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Second"));
}

TEST_F(MainWindowBinding, AnEditedRecordIsWrittenBackBeforeAMove)
{
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("First")}});
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Second")}});
    start();
    typeInto(field(Department), QStringLiteral("Sorting"));
    press(EmployeePane, Next);
    EXPECT_EQ(db.row(QStringLiteral("Employee"), QStringLiteral("Name = 'First'"))
                  .value(QStringLiteral("Department"))
                  .toString(),
              QStringLiteral("Sorting"));
}

TEST_F(MainWindowBinding, ProgramTextLongerThanTheLimitIsKeptWhileTypedTextStopsAtIt)
{
    const QString longName = QString(60, QLatin1Char('n'));
    db.insert(QStringLiteral("Employee"),
              {{QStringLiteral("Name"), longName},
               {QStringLiteral("File Number"), QStringLiteral("123456789012")}});
    start();
    EXPECT_EQ(field(Name)->text(), longName) << "text the program assigns is not cut";
    EXPECT_EQ(field(FileNumber)->text(), QStringLiteral("123456789012"));
    typeInto(field(FileNumber), QStringLiteral("x"));
    EXPECT_EQ(field(FileNumber)->text().size(), 12) << "a box over its limit takes no more typing";
    QTest::keyClick(field(FileNumber)->editor(), Qt::Key_End);
    QTest::keyClick(field(FileNumber)->editor(), Qt::Key_Backspace);
    EXPECT_EQ(field(FileNumber)->text(), QStringLiteral("12345678901"))
        << "but deleting still works";

    pane(EmployeePane)->addNew();
    typeInto(field(FileNumber), QStringLiteral("12345678901234"));
    EXPECT_EQ(field(FileNumber)->text(), QStringLiteral("1234567890"))
        << "the eleventh character cannot be typed";
}

TEST_F(MainWindowBinding, StatusBarNamesTheEmployeeAndTheSecondPaneShowsTheFirstComplaint)
{
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Grace")}});
    db.insert(QStringLiteral("Complaints"),
              {{QStringLiteral("File Number"), QStringLiteral("999")},
               {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")}});
    start();
    EXPECT_EQ(windowStatusBar(*window)->panelText(1),
              QStringLiteral("Preparing grievance for: Grace"));
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay"));
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QStringLiteral("999"));
}

TEST_F(MainWindowBinding, PressingTheEmployeeBarLeavesTheHiddenGrievanceBoxAlone)
{
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("A")}});
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("B")}});
    db.insert(QStringLiteral("Complaints"),
              {{QStringLiteral("Contract Provinsions"), QStringLiteral("Art. 5")}});
    start();
    press(EmployeePane, Next);
    EXPECT_FALSE(field(ContractProvisions)->isActiveControl());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("zz"));
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 5"));
}

TEST_F(MainWindowBinding, ClosingSavesTheEditedRecordAndThePlacement)
{
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("A")}});
    start();
    QSettings(AppInfo::title(), AppInfo::title()).clear();
    typeInto(field(ShiftStartTime), QStringLiteral("07:00"));
    const frmMain::Placement p = window->placementTwips();
    ASSERT_TRUE(window->close());
    EXPECT_EQ(db.row(QStringLiteral("Employee"), QStringLiteral("1"))
                  .value(QStringLiteral("Shift Start Time"))
                  .toString(),
              QStringLiteral("07:00"));
    QSettings s(AppInfo::title(), AppInfo::title());
    EXPECT_EQ(s.value(QStringLiteral("Settings/MainLeft")).toString(),
              QString::number(float(p.left), 'g', 7));
    EXPECT_EQ(s.value(QStringLiteral("Settings/MainWidth")).toDouble(), p.width);
    EXPECT_GT(s.value(QStringLiteral("Settings/MainHeight")).toDouble(), 6000);
}

TEST_F(MainWindowBinding, ClosingWhileMinimisedWritesNoPlacement)
{
    start();
    QSettings(AppInfo::title(), AppInfo::title()).clear();
    window->showMinimized();
    ASSERT_TRUE(window->close());
    QSettings s(AppInfo::title(), AppInfo::title());
    EXPECT_FALSE(s.contains(QStringLiteral("Settings/MainLeft")));
}

struct BadFile {
    const char *name;
    QByteArray content;
};

class UnopenableDatabase : public MainWindowTest, public ::testing::WithParamInterface<BadFile>
{
};

TEST_P(UnopenableDatabase, IsReportedOncePerPaneAndLeftByteForByte)
{
    {
        QFile f(db.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GetParam().content);
    }
    start();
    ASSERT_EQ(dialogs.messages().size(), 2);
    for (const auto &m : dialogs.messages()) {
        EXPECT_TRUE(m.prompt.startsWith(QStringLiteral("Data error event hit err:")))
            << m.prompt.toStdString();
        EXPECT_GT(m.prompt.size(), QStringLiteral("Data error event hit err:").size());
        EXPECT_EQ(m.title, QStringLiteral("Quillmark_Wizard"));
    }
    EXPECT_EQ(field(Name)->text(), QString());
    EXPECT_EQ(pane(EmployeePane)->rs(), nullptr);
    window->close();
    window.reset();
    QFile f(db.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), GetParam().content);
}

QByteArray otherSqliteDatabase()
{
    // A real SQLite file holding some other program's table.
    QTemporaryDir dir;
    const QString p = dir.path() + QStringLiteral("/other.db");
    {
        QSqlDatabase d =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        d.setDatabaseName(p);
        d.open();
        QSqlQuery(d).exec(QStringLiteral("CREATE TABLE Recipes (Title TEXT)"));
        QSqlQuery(d).exec(QStringLiteral("INSERT INTO Recipes VALUES ('bread')"));
        d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnopenableDatabase,
    ::testing::Values(
        BadFile{"PlainText",
                QByteArray("This is a letter to the company, not a database.\n").repeated(100)},
        BadFile{"DamagedHeader", QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff')},
        BadFile{"OtherProgramsDatabase", otherSqliteDatabase()}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

// Each box shows the stored field of its own number, on the page of its
// pane, under the label that names that field: a layout row or a stored
// name put against the wrong number would show (and save) one field's value
// in another's box.
TEST_F(MainWindowBinding, EveryBoxShowsTheStoredFieldOfItsNumber)
{
    QVariantMap employee, complaint;
    for (int i = 0; i < BoundFieldCount; ++i) {
        const auto f = Field(i);
        if (f == GrievanceNumber)
            continue; // numbered by the database
        (paneOf(f) == EmployeePane ? employee : complaint)
            .insert(QString::fromUtf8(CaseSchema::fieldName(f)), QStringLiteral("F%1").arg(i));
    }
    employee.insert(QStringLiteral("File Number"), QStringLiteral("000777"));
    complaint.insert(QStringLiteral("File Number"), QStringLiteral("000777"));
    db.insert(QStringLiteral("Employee"), employee);
    const qint64 grievance = db.insert(QStringLiteral("Complaints"), complaint);
    start();
    clickTab(GrievancePane);
    for (int i = 0; i < BoundFieldCount; ++i) {
        const auto f = Field(i);
        const QString expected = f == FileNumber || f == GrievanceFileNumber
                                     ? QStringLiteral("000777")
                                 : f == GrievanceNumber ? QString::number(grievance)
                                                        : QStringLiteral("F%1").arg(i);
        EXPECT_EQ(field(i)->text(), expected) << "box " << i;
        EXPECT_EQ(windowTabs(*window)->indexOf(field(i)->parentWidget()), int(paneOf(f)))
            << "box " << i << " on the page of its pane";
        // The label, from the window's layout, names the field that the data
        // layer stores under that number ("Case Facts:" for "Case Facts1").
        const QString caption = windowLabel(*window, i)->text().section(QLatin1Char(':'), 0, 0);
        EXPECT_FALSE(caption.isEmpty()) << "box " << i;
        EXPECT_TRUE(QString::fromUtf8(CaseSchema::fieldName(f)).startsWith(caption))
            << "box " << i << " labelled " << caption.toStdString() << " stores "
            << CaseSchema::fieldName(f);
    }
}
