// The file-number lookup on the employee page: one query per key released
// in the lookup box, with the typed text taken as a pattern prefix.
#include "support/CaseFixture.h"

#include <QTest>
#include <QToolButton>
#include <algorithm>

using namespace CaseFields;

// Readable failure messages.
[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Employee = QStringLiteral("Employee");

QString lookupSource(const QString &pattern)
{
    return QStringLiteral("SELECT * FROM Employee WHERE [File Number] LIKE '") + pattern +
           QStringLiteral("' ");
}

class Lookup : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        const QList<std::pair<const char *, QVariant>> staff = {{"Ann", QStringLiteral("000120")},
                                                                {"Bob", QStringLiteral("000121")},
                                                                {"Cid", QStringLiteral("000130")},
                                                                {"Dee", QStringLiteral("001200")},
                                                                {"Eve", QStringLiteral("12'45")},
                                                                {"Fay", QStringLiteral("A-17")},
                                                                {"Hal", QVariant()},
                                                                {"Jon", QStringLiteral("00012X")}};
        for (const auto &[name, number] : staff)
            db.insert(Employee, {{QStringLiteral("Name"), QString::fromLatin1(name)},
                                 {QStringLiteral("File Number"), number}});
    }

    // Starts the window and records the employee pane's record source at
    // every reposition: each query the lookup runs shows up once.
    void startCounting()
    {
        start();
        auto original = pane(EmployeePane)->onReposition;
        pane(EmployeePane)->onReposition = [this, original](int i) {
            m_queries << pane(EmployeePane)->recordSource();
            original(i);
        };
    }
    TextBox *lookupBox() { return windowBox(*window, "txtFileNumber"); }
    void type(const QString &text) { typeInto(lookupBox(), text); }

    // The names the employee pane holds, walked with its navigator bar up
    // to the blank record past the end; sorted, since the database decides
    // the order.
    QStringList namesShown()
    {
        QStringList names;
        for (int guard = 0; guard < 20 && !pane(EmployeePane)->isOnNewRecord(); ++guard) {
            names << field(Name)->text();
            QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
        }
        names.sort();
        return names;
    }

    QStringList m_queries;
};

TEST_F(Lookup, FiveKeysRunFiveQueriesAndShowWhatTheLastOneFound)
{
    startCounting();
    type(QStringLiteral("00012"));
    EXPECT_EQ(
        m_queries,
        QStringList({lookupSource(QStringLiteral("0*")), lookupSource(QStringLiteral("00*")),
                     lookupSource(QStringLiteral("000*")), lookupSource(QStringLiteral("0001*")),
                     lookupSource(QStringLiteral("00012*"))}));
    EXPECT_TRUE(lookupBox()->isActiveControl()) << "typing goes on in the lookup box";
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 1"));
    EXPECT_EQ(namesShown(),
              QStringList({QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Jon")}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(Lookup, BackspacingToEmptyShowsEveryEmployeeWithAFileNumber)
{
    startCounting();
    type(QStringLiteral("001"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(lookupBox()->editor(), Qt::Key_Backspace);
    ASSERT_EQ(m_queries.size(), 6);
    EXPECT_EQ(m_queries.last(), lookupSource(QStringLiteral("*")));
    EXPECT_EQ(namesShown(), QStringList({"Ann", "Bob", "Cid", "Dee", "Eve", "Fay", "Jon"}));
}

class LookupKeyAlone : public Lookup, public ::testing::WithParamInterface<Qt::Key>
{
};

// A key that leaves the lookup text as it was asks nothing new: rerunning
// the query would save the record on screen first and move off it.
TEST_P(LookupKeyAlone, RunsNoQueryAndLeavesThePaneWhereItIs)
{
    startCounting();
    type(QStringLiteral("000"));
    QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
    ASSERT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 2"));
    const QString second = field(Name)->text();
    m_queries.clear();
    QTest::keyClick(lookupBox()->editor(), GetParam());
    EXPECT_TRUE(m_queries.isEmpty());
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 2"));
    EXPECT_EQ(field(Name)->text(), second);
    EXPECT_EQ(lookupBox()->text(), QStringLiteral("000"));
}

INSTANTIATE_TEST_SUITE_P(Keys, LookupKeyAlone,
                         ::testing::Values(Qt::Key_Shift, Qt::Key_Left, Qt::Key_Control),
                         [](const auto &info) {
                             switch (info.param) {
                             case Qt::Key_Shift:
                                 return std::string("Shift");
                             case Qt::Key_Left:
                                 return std::string("LeftArrow");
                             default:
                                 return std::string("Control");
                             }
                         });

struct Typed {
    const char *name;
    QString text;
    QStringList found; // empty: a blank new record
};

void PrintTo(const Typed &t, std::ostream *os)
{
    *os << t.name;
}

class LookupTyped : public Lookup, public ::testing::WithParamInterface<Typed>
{
};

TEST_P(LookupTyped, ShowsTheEmployeesWhoseNumberMatchesThePrefixPattern)
{
    startCounting();
    type(GetParam().text);
    EXPECT_EQ(m_queries.size(), GetParam().text.size()) << "one query per key";
    if (GetParam().found.isEmpty()) {
        EXPECT_TRUE(pane(EmployeePane)->isOnNewRecord());
        EXPECT_EQ(field(Name)->text(), QString());
        EXPECT_EQ(field(FileNumber)->text(), QString());
        EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 0"));
    }
    EXPECT_EQ(namesShown(), GetParam().found);
    EXPECT_EQ(db.count(Employee), 8) << "nothing stored or lost";
    // The typed text is never statement text, so nothing typed breaks the
    // statement. (A set is an incomplete pattern until its bracket closes.)
    if (!GetParam().text.contains(QLatin1Char('['))) {
        EXPECT_TRUE(dialogs.messages().isEmpty())
            << dialogs.messages().value(0).prompt.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LookupTyped,
    ::testing::Values(Typed{"NoMatch", QStringLiteral("9"), {}},
                      Typed{"Apostrophe", QStringLiteral("12'"), {"Eve"}},
                      Typed{"QuotedCondition", QStringLiteral("' OR '1'='1"), {}},
                      Typed{"StarAnyRun", QStringLiteral("*3"), {"Cid"}},
                      Typed{"QuestionOneCharacter", QStringLiteral("0001?1"), {"Bob"}},
                      Typed{"HashOneDigit", QStringLiteral("00012#"), {"Ann", "Bob"}},
                      Typed{"SetOfCharacters", QStringLiteral("0001[3-9]"), {"Cid"}},
                      Typed{"SetExcluding", QStringLiteral("00012[!0-9]"), {"Jon"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Lookup, SavesTheEditedEmployeeBeforeRebuildingThePane)
{
    startCounting();
    typeInto(field(Department), QStringLiteral("Sorting"));
    type(QStringLiteral("9"));
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'Ann'"))
                  .value(QStringLiteral("Department"))
                  .toString(),
              QStringLiteral("Sorting"));
    EXPECT_TRUE(pane(EmployeePane)->isOnNewRecord());
}

} // namespace
