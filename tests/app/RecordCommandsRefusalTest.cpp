// Saves the database refuses: whatever asked for the save, the steward is
// told why, the typed values stay on screen and can still be saved later.
#include "support/CaseFixture.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>

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
const QString Refusal = QStringLiteral("Records are frozen for the audit");

class RefusedSave : public MainWindowTest
{
  public:
    using MainWindowTest::dialogs;
    using MainWindowTest::typeInto;
    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

  protected:
    // A trigger is a refusal by the database itself, reached through the
    // program's real write path.
    void refuse(const QString &table, const char *what)
    {
        db.query(
            QStringLiteral(
                "CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 BEGIN SELECT RAISE(ABORT, '%3'); END")
                .arg(table, QString::fromLatin1(what), Refusal));
    }
    void allow(const QString &table, const char *what)
    {
        db.query(QStringLiteral("DROP TRIGGER refuse_%1_%2").arg(table, QString::fromLatin1(what)));
    }
    int refusalsShown()
    {
        int n = 0;
        for (const auto &m : dialogs.messages())
            n += m.prompt.contains(Refusal);
        return n;
    }
    QString stored(const QString &table, const QString &where, const char *column)
    {
        return db.row(table, where).value(QString::fromLatin1(column)).toString();
    }
};

struct Trigger {
    const char *name;
    std::function<void(RefusedSave &, frmMain &)> act;
};

void PrintTo(const Trigger &t, std::ostream *os)
{
    *os << t.name;
}

class RefusedEmployeeSave : public RefusedSave, public ::testing::WithParamInterface<Trigger>
{
};

TEST_P(RefusedEmployeeSave, IsReportedAndKeepsTheTypedValues)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                         {QStringLiteral("File Number"), QStringLiteral("000321")}});
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Sam")},
                         {QStringLiteral("File Number"), QStringLiteral("000654")}});
    start();
    typeInto(field(Department), QStringLiteral("Sorting"));
    refuse(Employee, "UPDATE");
    GetParam().act(*this, *window);
    EXPECT_EQ(refusalsShown(), 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(field(Department)->text(), QStringLiteral("Sorting"));
    EXPECT_EQ(stored(Employee, QStringLiteral("Name = 'Ruth'"), "Department"), QString());
    // Once the database takes it again, the same values are saved.
    allow(Employee, "UPDATE");
    dialogs.clear();
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(stored(Employee, QStringLiteral("Name = 'Ruth'"), "Department"),
              QStringLiteral("Sorting"));
    EXPECT_EQ(db.count(Employee), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RefusedEmployeeSave,
    ::testing::Values(
        Trigger{"Update", [](RefusedSave &t,
                             frmMain &w) { t.click(recordCommand(w, "cmdUpdate", EmployeePane)); }},
        Trigger{"Refresh",
                [](RefusedSave &t, frmMain &w) {
                    t.click(recordCommand(w, "cmdRefresh", EmployeePane));
                }},
        Trigger{"Add", [](RefusedSave &t,
                          frmMain &w) { t.click(recordCommand(w, "cmdAdd", EmployeePane)); }},
        Trigger{"Reset", [](RefusedSave &t, frmMain &w) { t.click(windowButton(w, "cmdReset")); }},
        Trigger{"LookupKey",
                [](RefusedSave &t, frmMain &w) {
                    t.typeInto(windowBox(w, "txtFileNumber"), QStringLiteral("0"));
                }},
        Trigger{"NavigatorBar",
                [](RefusedSave &t, frmMain &w) {
                    t.click(windowControl<NavigatorBar>(w, QStringLiteral("Data1_0"))
                                ->button(NavigatorBar::Next));
                }},
        Trigger{"ClosingAnsweredNo",
                [](RefusedSave &t, frmMain &w) {
                    t.dialogs.queueAnswer(Dialogs::Answer::Ok); // the pane's error message
                    t.dialogs.queueAnswer(Dialogs::Answer::No); // close anyway?
                    EXPECT_FALSE(w.close());
                }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RefusedSave, ANewEmployeeRefusedByUpdateStaysOnScreenAsANewRecord)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")}});
    start();
    click(recordCommand(*window, "cmdAdd", EmployeePane));
    QTest::keyClicks(field(Name)->editor(), QStringLiteral("Tess"));
    refuse(Employee, "INSERT");
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_EQ(refusalsShown(), 1);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Tess"));
    EXPECT_TRUE(pane(EmployeePane)->isOnNewRecord());
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 0"));
    allow(Employee, "INSERT");
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_EQ(db.count(Employee, QStringLiteral("Name = 'Tess'")), 1);
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 2"));
}

TEST_F(RefusedSave, APageSwitchKeepsTheRefusedComplaintWithItsOwnEmployee)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                         {QStringLiteral("File Number"), QStringLiteral("000321")}});
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Sam")},
                         {QStringLiteral("File Number"), QStringLiteral("000654")}});
    start();
    clickTab(GrievancePane);
    ASSERT_EQ(field(GrievanceFileNumber)->text(), QStringLiteral("000321"))
        << "a complaint prepared for Ruth";
    typeInto(field(RemedySought), QStringLiteral("Back pay"));
    refuse(Complaints, "INSERT");
    clickTab(EmployeePane);
    QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Sam"));
    clickTab(GrievancePane);
    EXPECT_EQ(refusalsShown(), 1);
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay"));
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QStringLiteral("000321"))
        << "still Ruth's complaint";
    EXPECT_NE(windowTabs(*window)->tabText(1), QStringLiteral("Grievance For: Sam"))
        << "the page does not show Sam's complaints";
    allow(Complaints, "INSERT");
    click(recordCommand(*window, "cmdUpdate", GrievancePane));
    EXPECT_EQ(db.count(Complaints), 1);
    EXPECT_EQ(stored(Complaints, QStringLiteral("1"), "File Number"), QStringLiteral("000321"));
    EXPECT_EQ(stored(Complaints, QStringLiteral("1"), "Remedy Sought"), QStringLiteral("Back pay"));
}

TEST_F(RefusedSave, ClosingWithARefusedComplaintAsksBeforeLosingIt)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                         {QStringLiteral("File Number"), QStringLiteral("000321")}});
    db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000321")}});
    start();
    clickTab(GrievancePane);
    typeInto(field(SupervisorFirstContacted), QStringLiteral("Mr. Grey"));
    refuse(Complaints, "UPDATE");
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    dialogs.queueAnswer(Dialogs::Answer::No);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_TRUE(
        dialogs.messages().at(0).prompt.startsWith(QStringLiteral("Data error event hit err:")));
    EXPECT_TRUE(dialogs.messages().at(0).prompt.contains(Refusal));
    EXPECT_EQ(dialogs.messages().at(1).buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(field(SupervisorFirstContacted)->text(), QStringLiteral("Mr. Grey"));
    // Answering Yes lets the window go without the change.
    dialogs.queueAnswer(Dialogs::Answer::Ok);
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(stored(Complaints, QStringLiteral("1"), "Supervisor First Contacted"), QString());
}

} // namespace
