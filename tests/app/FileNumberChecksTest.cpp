// The checks around an employee's file number in the main window, on both
// back ends: the renumber question (naming whose complaints they may be
// when the old number is shared), the notice after a delete, and a
// complaint typed on the grievance page before the renumbering.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "app/StatusBar.h"
#include "find/FindWindow.h"
#include "records/RecordSet.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString Complaints = QStringLiteral("Complaints");
const QString FileNumber = QStringLiteral("File Number");

// José and, when shared, Bob have 000123; two complaints are filed under it.
void fill(TempCaseDb &db, bool shared, QList<qint64> &employees)
{
    for (const auto &[name, number] :
         {std::pair{"Ann Smithers", "000124"}, std::pair{"José Núñez", "000123"},
          std::pair{"Bob Jones", shared ? "000123" : "004512"}})
        employees << db.insert(Employee, {{QStringLiteral("Name"), QString::fromUtf8(name)},
                                          {FileNumber, QString::fromUtf8(number)}});
    for (const char *facts : {"overtime denied", "shouted at"})
        db.insert(Complaints, {{FileNumber, QStringLiteral("000123")},
                               {QStringLiteral("Case Facts1"), QString::fromLatin1(facts)}});
}

class FileNumberChecksTest : public MainWindowTest
{
  protected:
    void startOnJose(bool shared)
    {
        fill(db, shared, keys);
        start();
        // Shown as the steward finds her: Edit > Find, part of her name
        // typed key by key (accented letters too), Enter.
        windowAction(*window, "mnuEditFind")->trigger();
        auto *find = window->findChild<FindWindow *>();
        ASSERT_TRUE(find && QTest::qWaitForWindowExposed(find));
        for (const QChar c : QStringLiteral("Núñ")) {
            const int key = c.unicode() < 128 && c.isLetter() ? c.toUpper().unicode() : 0;
            QTest::sendKeyEvent(QTest::Press, find->searchBox(), Qt::Key(key), c, {});
            QTest::sendKeyEvent(QTest::Release, find->searchBox(), Qt::Key(key), c, {});
        }
        QTest::keyClick(find->searchBox(), Qt::Key_Return);
        find->close();
        ASSERT_EQ(field(CaseFields::Name)->text(), QStringLiteral("José Núñez"));
    }
    void setFileNumber(const QString &number)
    {
        TextBox *box = field(CaseFields::FileNumber);
        box->setFocus(Qt::OtherFocusReason);
        qobject_cast<QLineEdit *>(box->editor())->selectAll();
        QTest::keyClicks(box->editor(), number);
    }
    void update() { QTest::mouseClick(recordCommand(*window, "cmdUpdate", 0), Qt::LeftButton); }
    int under(const char *number)
    {
        return db.count(Complaints, QStringLiteral("\"File Number\" = ?"),
                        {QString::fromLatin1(number)});
    }
    QStringList prompts() const
    {
        QStringList out;
        for (const auto &m : dialogs.messages())
            out << m.prompt;
        return out;
    }
    QString status() { return windowStatusBar(*window)->panelText(1); }

    QList<qint64> keys;
};

struct Renumbering {
    const char *name;
    bool shared;
    Dialogs::Answer answer;
    const char *question;
    int underNew;
};

class FileNumberChecksRenumber : public FileNumberChecksTest,
                                 public ::testing::WithParamInterface<Renumbering>
{
};

TEST_P(FileNumberChecksRenumber, AsksNamingWhoseComplaintsTheyMayBeAndMovesOnlyOnYes)
{
    SKIP_WITHOUT_BACKEND(db);
    const Renumbering &r = GetParam();
    startOnJose(r.shared);
    setFileNumber(QStringLiteral("000999"));
    dialogs.queueAnswer(r.answer);
    update();
    EXPECT_EQ(prompts(), QStringList{QString::fromUtf8(r.question)});
    EXPECT_EQ(db.count(Employee, QStringLiteral("\"File Number\" = '000999'")), 1);
    EXPECT_EQ(under("000999"), r.underNew);
    EXPECT_EQ(under("000123"), 2 - r.underNew);
}

const char *const Alone = "Move the 2 complaints filed under 000123 to 000999 as well?";
const char *const Shared = "File Number 000123 is also Bob Jones's: the 2 complaints filed under "
                           "it may be theirs. Move all 2 to 000999 as well? No leaves them under "
                           "000123.";

INSTANTIATE_TEST_SUITE_P(
    Answers, FileNumberChecksRenumber,
    ::testing::Values(Renumbering{"AloneYes", false, Dialogs::Answer::Yes, Alone, 2},
                      Renumbering{"AloneNo", false, Dialogs::Answer::No, Alone, 0},
                      Renumbering{"SharedYes", true, Dialogs::Answer::Yes, Shared, 2},
                      Renumbering{"SharedNo", true, Dialogs::Answer::No, Shared, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// (The notices after a save: GentleChecks, on both back ends too.)
TEST_F(FileNumberChecksTest, DeletingAnEmployeeTellsWhereTheComplaintsAre)
{
    SKIP_WITHOUT_BACKEND(db);
    startOnJose(false);
    dialogs.queueAnswer(Dialogs::Answer::Yes); // Delete this record?
    QTest::mouseClick(recordCommand(*window, "cmdDelete", 0), Qt::LeftButton);
    EXPECT_EQ(db.count(Employee, QStringLiteral("\"Name\" = ?"), {QStringLiteral("José Núñez")}),
              0);
    EXPECT_EQ(status(), QStringLiteral("2 complaints remain under File Number 000123: find them "
                                       "with Edit, Find..., \"Complaints without an employee\"."));
}

TEST_F(FileNumberChecksTest, AComplaintTypedOnTheGrievancePageIsSavedBeforeTheMove)
{
    SKIP_WITHOUT_BACKEND(db);
    startOnJose(false);
    clickTab(CaseFields::GrievancePane);
    TextBox *facts = windowBox(*window, "txtCaseFacts");
    ASSERT_EQ(facts->text(), QStringLiteral("overtime denied"));
    facts->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(facts->editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(facts->editor(), QStringLiteral(" twice"));
    clickTab(CaseFields::EmployeePane);
    setFileNumber(QStringLiteral("000999"));
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    update();
    EXPECT_EQ(prompts(), QStringList{QString::fromUtf8(Alone)}); // and no refusal
    EXPECT_EQ(under("000999"), 2);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Case Facts1\" = 'overtime denied twice'")), 1);
    clickTab(CaseFields::GrievancePane);
    EXPECT_EQ(facts->text(), QStringLiteral("overtime denied twice"));
    EXPECT_EQ(field(CaseFields::GrievanceFileNumber)->text(), QStringLiteral("000999"));
    EXPECT_EQ(prompts().size(), 1);
}

} // namespace
