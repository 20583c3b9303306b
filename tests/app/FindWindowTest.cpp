// The find window over the real main window, offscreen, with scripted
// dialogs: finding, choosing, the file-number question and notices, and the
// complaints no employee's file number reaches.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"
#include "support/WindowControls.h"

#include "app/StatusBar.h"
#include "find/FindTexts.h"
#include "find/FindWindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString Complaints = QStringLiteral("Complaints");

class FindWindowTest : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // Ann is first, so the window opens on her.
        for (const auto &[name, number, dept] : {std::tuple{"Ann Smithers", "000124", "IT"},
                                                 std::tuple{"José Núñez", "000123", "Shop"},
                                                 std::tuple{"Bob Jones", "004512", "Paint"}})
            keys << db.insert(Employee, {{QStringLiteral("Name"), QString::fromUtf8(name)},
                                         {QStringLiteral("File Number"), QString::fromUtf8(number)},
                                         {QStringLiteral("Department"), QString::fromUtf8(dept)}});
        complaint(QStringLiteral("000123"), QStringLiteral("Back pay"),
                  QStringLiteral("overtime denied"));
        complaint(QStringLiteral("000123"), QStringLiteral("Apology"),
                  QStringLiteral("shouted at"));
        complaint(QStringLiteral("004512"), QStringLiteral("Reinstate"),
                  QStringLiteral("wrongly fired"));
    }
    qint64 complaint(const QString &number, const QString &remedy, const QString &facts)
    {
        return db.insert(Complaints, {{QStringLiteral("File Number"), number},
                                      {QStringLiteral("Remedy Sought"), remedy},
                                      {QStringLiteral("Case Facts1"), facts}});
    }
    FindWindow *openFind()
    {
        windowAction(*window, "mnuEditFind")->trigger();
        auto *find = window->findChild<FindWindow *>();
        EXPECT_TRUE(find && QTest::qWaitForWindowExposed(find));
        return find;
    }
    // Key by key, accented letters too (which QTest's own typing refuses).
    void type(FindWindow *find, const QString &text)
    {
        find->searchBox()->clear();
        for (const QChar c : text) {
            const int key = c.unicode() < 128 && c.isLetter() ? c.toUpper().unicode() : 0;
            QTest::sendKeyEvent(QTest::Press, find->searchBox(), Qt::Key(key), c, {});
            QTest::sendKeyEvent(QTest::Release, find->searchBox(), Qt::Key(key), c, {});
        }
        ASSERT_EQ(find->searchBox()->text(), text);
    }
    QString status() { return windowStatusBar(*window)->panelText(1); }
    int under(const QString &number)
    {
        return db.count(Complaints, QStringLiteral("\"File Number\" = ?"), {number});
    }
    // Types over what a box holds, as the steward would.
    void retype(TextBox *box, const QString &text)
    {
        box->setFocus(Qt::OtherFocusReason);
        qobject_cast<QLineEdit *>(box->editor())->selectAll();
        QTest::keyClicks(box->editor(), text);
        ASSERT_EQ(box->text(), text);
    }
    void setFileNumber(const QString &number) { retype(field(CaseFields::FileNumber), number); }
    void update() { QTest::mouseClick(recordCommand(*window, "cmdUpdate", 0), Qt::LeftButton); }
    QStringList prompts() const
    {
        QStringList out;
        for (const auto &m : dialogs.messages())
            out << m.prompt;
        return out;
    }

    QList<qint64> keys;
};

struct Choice {
    const char *name;
    const char *typed;
    FindWindow::Page page; // the list Enter chooses from
    const char *shownName; // in the main window afterwards
    int mainPage;
    const char *remedy; // shown on the grievance page, when it is turned to
};

class FindAndChoose : public FindWindowTest, public ::testing::WithParamInterface<Choice>
{
};

TEST_P(FindAndChoose, EnterShowsTheRightRecordInTheMainWindow)
{
    const Choice &c = GetParam();
    start();
    // The pane holds Bob alone: the others are outside its set.
    typeInto(windowBox(*window, "txtFileNumber"), QStringLiteral("0045"));
    ASSERT_EQ(field(CaseFields::Name)->text(), QStringLiteral("Bob Jones"));
    FindWindow *find = openFind();
    type(find, QString::fromUtf8(c.typed));
    EXPECT_EQ(find->pages()->currentIndex(), int(c.page));
    ASSERT_GE(find->list(c.page)->topLevelItemCount(), 1);
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    EXPECT_EQ(field(CaseFields::Name)->text(), QString::fromUtf8(c.shownName));
    EXPECT_EQ(windowTabs(*window)->currentIndex(), c.mainPage);
    EXPECT_EQ(status(),
              QStringLiteral("Preparing grievance for: ") + QString::fromUtf8(c.shownName));
    if (c.remedy) {
        EXPECT_EQ(field(CaseFields::RemedySought)->text(), QString::fromUtf8(c.remedy));
    }
    // The lookup box still says what the employee pane holds.
    EXPECT_TRUE(field(CaseFields::FileNumber)
                    ->text()
                    .startsWith(windowBox(*window, "txtFileNumber")->text()));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << prompts().join(QLatin1Char('|')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Searches, FindAndChoose,
    ::testing::Values(
        Choice{"PartOfName", "jone", FindWindow::EmployeesPage, "Bob Jones", 0, nullptr},
        Choice{"AccentedName", "Núñ", FindWindow::EmployeesPage, "José Núñez", 0, nullptr},
        Choice{"Department", "pai", FindWindow::EmployeesPage, "Bob Jones", 0, nullptr},
        Choice{"ShortFileNumber", "00", FindWindow::EmployeesPage, "Ann Smithers", 0, nullptr},
        Choice{"WordOfCaseFacts", "shouted", FindWindow::ComplaintsPage, "José Núñez", 1,
               "Apology"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FindWindowTest, CtrlFOpensItAndDoubleClickChoosesAfterSavingTheEditedRecord)
{
    start();
    typeInto(field(CaseFields::HomePhone),
             QStringLiteral("555-0101")); // Ann's home phone, not saved yet
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    auto *find = window->findChild<FindWindow *>();
    ASSERT_TRUE(find && QTest::qWaitForWindowExposed(find));
    type(find, QStringLiteral("smith"));
    type(find, QStringLiteral("bob"));
    QTreeWidget *list = find->list(FindWindow::EmployeesPage);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("1")); // his complaints
    const QRect row = list->visualItemRect(list->topLevelItem(0));
    // A double-click is a click and then the second press: QTest's
    // double-click sends only the second.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(field(CaseFields::Name)->text(), QStringLiteral("Bob Jones"));
    EXPECT_EQ(db.row(Employee, QStringLiteral("rowid = ?"), {keys[0]})
                  .value(QStringLiteral("Home Phone")),
              QStringLiteral("555-0101"));
}

TEST_F(FindWindowTest, ARefusedSaveKeepsThePaneWhereItWas)
{
    start();
    typeInto(field(CaseFields::HomePhone), QStringLiteral("555-0101"));
    // Someone else changes Ann meanwhile: her save must be refused.
    db.query(QStringLiteral("UPDATE Employee SET \"Work Phone\" = 'x' WHERE rowid = ?"), {keys[0]});
    FindWindow *find = openFind();
    type(find, QStringLiteral("jones"));
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    EXPECT_EQ(field(CaseFields::Name)->text(), QStringLiteral("Ann Smithers"));
    EXPECT_EQ(field(CaseFields::HomePhone)->text(), QStringLiteral("555-0101"));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].prompt.contains(QStringLiteral("changed")));
}

struct Renumber {
    const char *name;
    Dialogs::Answer answer;
    int underNew, underOld;
};

class RenumberQuestion : public FindWindowTest, public ::testing::WithParamInterface<Renumber>
{
};

TEST_P(RenumberQuestion, MovesTheComplaintsWithTheEmployeeOrLeavesThem)
{
    start();
    FindWindow *find = openFind();
    type(find, QStringLiteral("josé"));
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    ASSERT_EQ(field(CaseFields::FileNumber)->text(), QStringLiteral("000123"));
    setFileNumber(QStringLiteral("000999"));
    dialogs.queueAnswer(GetParam().answer);
    update();
    EXPECT_EQ(prompts(), QStringList{QStringLiteral(
                             "Move the 2 complaints filed under 000123 to 000999 as well?")});
    EXPECT_EQ(db.count(Employee, QStringLiteral("\"File Number\" = '000999'")), 1);
    EXPECT_EQ(under(QStringLiteral("000999")), GetParam().underNew);
    EXPECT_EQ(under(QStringLiteral("000123")), GetParam().underOld);

    // What No left behind is listed with the complaints without an employee.
    find->pages()->setCurrentIndex(FindWindow::StrandedPage);
    EXPECT_EQ(find->list(FindWindow::StrandedPage)->topLevelItemCount(), GetParam().underOld);
}

INSTANTIATE_TEST_SUITE_P(Answers, RenumberQuestion,
                         ::testing::Values(Renumber{"Yes", Dialogs::Answer::Yes, 2, 0},
                                           Renumber{"No", Dialogs::Answer::No, 0, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FindWindowTest, ARefusedSaveMovesNoComplaint)
{
    start();
    FindWindow *find = openFind();
    type(find, QStringLiteral("josé"));
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    setFileNumber(QStringLiteral("000999"));
    db.query(QStringLiteral("UPDATE Employee SET \"Work Phone\" = 'x' WHERE rowid = ?"), {keys[1]});
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    update();
    EXPECT_EQ(under(QStringLiteral("000123")), 2);
    EXPECT_EQ(db.count(Employee, QStringLiteral("\"File Number\" = '000123'")), 1);
    ASSERT_EQ(dialogs.messages().size(), 2); // the question, then the refusal
}

TEST_F(FindWindowTest, DeletedEmployeesComplaintsAreFoundAndFiledAgain)
{
    start();
    FindWindow *find = openFind();
    type(find, QStringLiteral("josé"));
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    dialogs.queueAnswer(Dialogs::Answer::Yes); // Delete this record?
    QTest::mouseClick(recordCommand(*window, "cmdDelete", 0), Qt::LeftButton);
    EXPECT_EQ(db.count(Employee), 2);
    EXPECT_EQ(status(), QStringLiteral("2 complaints remain under File Number 000123: find them "
                                       "with Edit, Find..., \"Complaints without an employee\"."));

    find->pages()->setCurrentIndex(FindWindow::StrandedPage);
    QTreeWidget *list = find->list(FindWindow::StrandedPage);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("000123"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("overtime denied"));

    // Filed with Bob: the first goes; the second was changed by someone else
    // since it was listed, and stays as the other change left it.
    dialogs.queueInput(QStringLiteral("004512"));
    QTest::mouseClick(find->changeButton(), Qt::LeftButton);
    EXPECT_EQ(under(QStringLiteral("004512")), 2);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    db.query(QStringLiteral("UPDATE Complaints SET \"Remedy Sought\" = 'Other' WHERE "
                            "\"File Number\" = '000123'"));
    dialogs.queueInput(QStringLiteral("004512"));
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    EXPECT_EQ(under(QStringLiteral("004512")), 2);
    EXPECT_EQ(under(QStringLiteral("000123")), 1);
    ASSERT_FALSE(dialogs.messages().isEmpty());
    EXPECT_TRUE(
        dialogs.messages().last().prompt.contains(QStringLiteral("changed by another user")));
}

TEST_F(FindWindowTest, FindsWhatThePaneSavedAtOnce)
{
    start();
    FindWindow *find = openFind();
    auto found = [&](const char *typed) {
        type(find, QString::fromLatin1(typed));
        return find->list(FindWindow::EmployeesPage)->topLevelItemCount();
    };
    QTest::mouseClick(recordCommand(*window, "cmdAdd", 0), Qt::LeftButton);
    typeInto(field(CaseFields::Name), QStringLiteral("Zed Newman"));
    update();
    EXPECT_EQ(found("newm"), 1);

    retype(field(CaseFields::Name), QStringLiteral("Zed Oldman"));
    update();
    EXPECT_EQ(found("newm"), 0);
    EXPECT_EQ(found("oldm"), 1);

    dialogs.queueAnswer(Dialogs::Answer::Yes);
    QTest::mouseClick(recordCommand(*window, "cmdDelete", 0), Qt::LeftButton);
    EXPECT_EQ(found("oldm"), 0);
    EXPECT_EQ(found("smith"), 1);
}

struct Notice {
    const char *name;
    const char *fileNumber;
    const char *status; // nullptr: no notice
};

class GentleChecks : public FindWindowTest, public ::testing::WithParamInterface<Notice>
{
};

TEST_P(GentleChecks, TellOnTheStatusBarAndSaveAllTheSame)
{
    start();
    QTest::mouseClick(recordCommand(*window, "cmdAdd", 0), Qt::LeftButton);
    typeInto(field(CaseFields::Name), QStringLiteral("Newcomer"));
    setFileNumber(QString::fromUtf8(GetParam().fileNumber));
    update();
    EXPECT_EQ(db.count(Employee, QStringLiteral("\"Name\" = 'Newcomer'")), 1);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    if (GetParam().status)
        EXPECT_EQ(status(), QString::fromUtf8(GetParam().status));
    else
        EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Newcomer"));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, GentleChecks,
    ::testing::Values(
        Notice{"SixDigits", "000555", nullptr},
        Notice{"FiveDigits", "12345",
               "File Number 12345 is not six digits: use all 6 digits including leading zeros, "
               "as in 000123."},
        Notice{"AnotherEmployeesNumber", "004512", "File Number 004512 is also Bob Jones's."},
        Notice{"LettersInIt", "A-1",
               "File Number A-1 is not six digits: use all 6 digits including leading zeros, as "
               "in 000123."}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace
{

// What the window lists is read anew when it is raised again; Enter on a
// complaint that no employee's number reaches asks for its file number; a
// database that did not open has no Find.
TEST_F(FindWindowTest, RaisedAgainItListsWhatIsThereAndEnterFilesAComplaintWithoutEmployee)
{
    complaint(QStringLiteral("999999"), QStringLiteral("Transfer"), QStringLiteral("lost shift"));
    start();
    FindWindow *find = openFind();
    type(find, QStringLiteral("jones"));
    ASSERT_EQ(find->list(FindWindow::EmployeesPage)->topLevelItemCount(), 1);
    db.query(QStringLiteral("UPDATE Employee SET \"Name\" = 'Robert Jones' WHERE rowid = ?"),
             {keys[2]});
    EXPECT_EQ(openFind(), find);
    EXPECT_EQ(find->list(FindWindow::EmployeesPage)->topLevelItem(0)->text(0),
              QStringLiteral("Robert Jones"));

    type(find, QStringLiteral("lost shift"));
    ASSERT_EQ(find->pages()->currentIndex(), FindWindow::ComplaintsPage);
    dialogs.queueInput(QStringLiteral("004512"));
    QTest::keyClick(find->searchBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.inputs().size(), 1);
    EXPECT_EQ(under(QStringLiteral("004512")), 2);
    EXPECT_EQ(under(QStringLiteral("999999")), 0);
}

// A server whose administrator has not added the search indexes is
// searched all the same, and the window says why it is slow.
TEST_F(FindWindowTest, OnAServerWithoutItsSearchIndexesFindsAndSaysItIsSlow)
{
    if (!db.onServer())
        GTEST_SKIP() << "a server's search indexes: runs in the .postgres variant";
    start();
    db.query(QStringLiteral(
        "DO $d$DECLARE i record; BEGIN FOR i IN SELECT indexname FROM pg_indexes WHERE "
        "schemaname = current_schema() AND indexname LIKE '% Find%' LOOP EXECUTE "
        "format('DROP INDEX %I', i.indexname); END LOOP; END$d$"));
    FindWindow *find = openFind();
    ASSERT_TRUE(find);
    const QString slow = QString::fromUtf8(FindTexts::ServerScans);
    EXPECT_TRUE(find->note()->text().endsWith(slow)) << find->note()->text().toStdString();
    type(find, QStringLiteral("núñ"));
    QTreeWidget *employees = find->list(FindWindow::EmployeesPage);
    ASSERT_EQ(employees->topLevelItemCount(), 1);
    EXPECT_EQ(employees->topLevelItem(0)->text(0), QStringLiteral("José Núñez"));
    EXPECT_EQ(find->note()->text(), slow);
}

TEST_F(FindWindowTest, IsOffWhenTheDatabaseDidNotOpen)
{
    {
        QSqlDatabase other =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(db.path() + QStringLiteral(".other"));
        ASSERT_TRUE(other.open());
        QSqlQuery(other).exec(QStringLiteral("CREATE TABLE Notes (Text)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    window = std::make_unique<frmMain>();
    window->Form_Load(db.path() + QStringLiteral(".other"));
    window->show();
    QAction *command = windowAction(*window, "mnuEditFind");
    EXPECT_FALSE(command->isEnabled());
    command->trigger();
    EXPECT_EQ(window->findChild<FindWindow *>(), nullptr);
}

} // namespace
