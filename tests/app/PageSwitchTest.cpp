// Turning between the employee page and the grievance page of the real
// window, and the status text that names the employee.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "app/StatusBar.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace CaseFields;

// Readable failure messages.
[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Complaints = QStringLiteral("Complaints");
const QString Employee = QStringLiteral("Employee");
const QString FileNumberTitle =
    QStringLiteral("A File Number must be entered before entering a grievance!");
const QString BlankQuestion =
    QStringLiteral("The File Number field is blank do you want \n\rto go to the next page anyway?");

class PageSwitch : public MainWindowTest
{
  protected:
    void employee(const QString &name, const QVariant &fileNumber)
    {
        db.insert(Employee,
                  {{QStringLiteral("Name"), name}, {QStringLiteral("File Number"), fileNumber}});
    }
    qint64 complaint(const QVariant &fileNumber, const QString &provisions)
    {
        return db.insert(Complaints, {{QStringLiteral("File Number"), fileNumber},
                                      {QStringLiteral("Contract Provinsions"), provisions}});
    }
    QTabWidget *tabs() { return windowTabs(*window); }
    void next(int p) { QTest::mouseClick(bar(p)->button(NavigatorBar::Next), Qt::LeftButton); }
    QString status() { return windowStatusBar(*window)->panelText(1); }
};

TEST_F(PageSwitch, ShowsTheFirstOfTheEmployeesComplaintsAndNamesHimInTheCaption)
{
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    employee(QStringLiteral("Ruth Miles"), QStringLiteral("000321"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    complaint(QStringLiteral("0003210"), QStringLiteral("a longer number"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 9"));
    start();
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("someone else's"))
        << "before the first turn: the whole table";
    clickTab(GrievancePane);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance For: Ruth Miles"));
    EXPECT_EQ(pane(GrievancePane)->recordSource(),
              QStringLiteral("SELECT * FROM Complaints WHERE [File Number] = '000321'"));
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 5"));
    EXPECT_EQ(pane(GrievancePane)->caption(), QStringLiteral("Record: 1"));
    next(1);
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 9"));
    next(1);
    EXPECT_TRUE(pane(GrievancePane)->isOnNewRecord()) << "only the two complaints of this number";

    clickTab(EmployeePane);
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance Information"));
}

TEST_F(PageSwitch, AnEmployeeWithoutComplaintsGetsABlankOneCarryingHisFileNumber)
{
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    start();
    clickTab(GrievancePane);
    EXPECT_TRUE(pane(GrievancePane)->isOnNewRecord());
    EXPECT_EQ(pane(GrievancePane)->caption(), QStringLiteral("Record: 0"));
    EXPECT_EQ(field(ContractProvisions)->text(), QString());
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QStringLiteral("000654"));
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance For: Sam"));

    // Left untouched, the prepared complaint is not stored...
    clickTab(EmployeePane);
    clickTab(GrievancePane);
    EXPECT_EQ(db.count(Complaints), 1);
    // ...typed into, it is stored with the number.
    typeInto(field(RemedySought), QStringLiteral("Reinstatement"));
    clickTab(EmployeePane);
    clickTab(GrievancePane);
    EXPECT_EQ(db.count(Complaints,
                       QStringLiteral(
                           "\"File Number\" = '000654' AND \"Remedy Sought\" = 'Reinstatement'")),
              1);
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Reinstatement"));
    EXPECT_EQ(pane(GrievancePane)->caption(), QStringLiteral("Record: 1"));
}

TEST_F(PageSwitch, ABlankFileNumberAnsweredNoReturnsToTheEmployeePage)
{
    employee(QStringLiteral("Nobody Yet"), QVariant());
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    start();
    dialogs.queueAnswer(Dialogs::Answer::No);
    clickTab(GrievancePane);
    ASSERT_EQ(dialogs.messages().size(), 1);
    const auto &m = dialogs.messages().at(0);
    EXPECT_EQ(m.prompt, BlankQuestion);
    EXPECT_EQ(m.buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(m.icon, Dialogs::Icon::None);
    EXPECT_EQ(m.title, FileNumberTitle);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(field(FileNumber)->isActiveControl());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance Information"));
    EXPECT_EQ(pane(GrievancePane)->recordSource(), QStringLiteral("Complaints"))
        << "the grievance pane was not rebuilt";
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("someone else's"));
}

TEST_F(PageSwitch, ABlankFileNumberAnsweredYesLooksForComplaintsWithAnEmptyNumber)
{
    employee(QStringLiteral("Nobody Yet"), QVariant());
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    start();
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    clickTab(GrievancePane);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).prompt, BlankQuestion);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(pane(GrievancePane)->recordSource(),
              QStringLiteral("SELECT * FROM Complaints WHERE [File Number] = ''"));
    EXPECT_TRUE(pane(GrievancePane)->isOnNewRecord());
    EXPECT_EQ(field(ContractProvisions)->text(), QString());
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QString());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance For: Nobody Yet"));
}

TEST_F(PageSwitch, EveryTurnRebuildsTheGrievancePaneAndSavesTheEditedComplaintFirst)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    const qint64 first = complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    start();
    clickTab(GrievancePane);
    typeInto(field(RemedySought), QStringLiteral("Back pay"));
    clickTab(EmployeePane);
    // Someone else files a second complaint meanwhile.
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 9"));
    clickTab(GrievancePane);
    EXPECT_EQ(db.row(Complaints, QStringLiteral("rowid = ?"), {first})
                  .value(QStringLiteral("Remedy Sought"))
                  .toString(),
              QStringLiteral("Back pay"));
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay"));
    next(1);
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 9"));

    typeInto(field(SupervisorFirstContacted), QStringLiteral("Mr. Grey"));
    QTest::mouseClick(recordCommand(*window, "cmdRefresh", GrievancePane), Qt::LeftButton);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Supervisor First Contacted\" = 'Mr. Grey'")),
              1);
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 5"))
        << "a refresh returns to the first record";
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PageSwitch, AnApostropheInTheFileNumberIsAnOrdinaryCharacter)
{
    employee(QStringLiteral("Pat"), QStringLiteral("12'45"));
    complaint(QStringLiteral("12'45"), QStringLiteral("quoted"));
    complaint(QStringLiteral("12"), QStringLiteral("cut at the quote"));
    start();
    clickTab(GrievancePane);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("quoted"));
    next(1);
    EXPECT_TRUE(pane(GrievancePane)->isOnNewRecord());
}

TEST_F(PageSwitch, TheStatusTextFollowsTheNameBoxOnly)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Ruth"));
    next(0);
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Sam"));
    windowStatusBar(*window)->setPanelText(QStringLiteral("marker"));
    typeInto(field(Department), QStringLiteral("Sorting"));
    clickTab(GrievancePane);
    typeInto(field(ContractProvisions), QStringLiteral("Art. 1"));
    EXPECT_EQ(status(), QStringLiteral("marker"));
    clickTab(EmployeePane);
    field(Name)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field(Name)->editor(), Qt::Key_End);
    QTest::keyClicks(field(Name)->editor(), QStringLiteral("uel"));
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Samuel"));
    next(0);
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: ")) << "a blank new employee";
}

} // namespace
