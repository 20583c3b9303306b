// The move of an employee's complaints to a new file number takes exactly
// the complaints the steward was asked about, on both back ends. The checks
// as the main window runs them are the window's tests (tests/app).
#include "records/ComplaintLinks.h"
#include "records/RecordSet.h"
#include "support/TempCaseDb.h"

#include "jetsql/DataError.h"

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

// The move takes the complaints the steward was asked about, and only while
// each is still under the old number.
class FileNumberChecksMove : public ::testing::TestWithParam<bool>
{
};

TEST_P(FileNumberChecksMove, TakesExactlyTheComplaintsCounted)
{
    const bool oneMovedAway = GetParam();
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    QList<qint64> employees;
    fill(db, false, employees);
    auto cases = db.open();
    const QList<qint64> counted = ComplaintLinks::complaintsUnder(*cases, QStringLiteral("000123"));
    ASSERT_EQ(counted.size(), 2);
    // Another steward meanwhile: files one elsewhere, or one more here.
    if (oneMovedAway)
        db.query(QStringLiteral("UPDATE Complaints SET \"File Number\" = '000555' WHERE rowid = ?"),
                 {counted[0]});
    else
        db.insert(Complaints, {{FileNumber, QStringLiteral("000123")}});
    RecordSet rs(cases, QStringLiteral("SELECT * FROM Employee WHERE [File Number] = '000123'"));
    rs.edit();
    rs.setValue(rs.fieldIndex(FileNumber), QStringLiteral("000999"));
    rs.setAlsoWrite(ComplaintLinks::moveComplaints(*cases, QStringLiteral("000123"),
                                                   QStringLiteral("000999"), counted));
    if (oneMovedAway) {
        EXPECT_THROW(rs.update(), DataError);
        EXPECT_EQ(db.count(Employee, QStringLiteral("\"File Number\" = '000123'")), 1);
        EXPECT_EQ(db.count(Complaints, QStringLiteral("\"File Number\" = '000999'")), 0);
    } else {
        rs.update();
        EXPECT_EQ(db.count(Complaints, QStringLiteral("\"File Number\" = '000999'")), 2);
        EXPECT_EQ(db.count(Complaints, QStringLiteral("\"File Number\" = '000123'")), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Meanwhile, FileNumberChecksMove, ::testing::Bool(), [](const auto &info) {
    return info.param ? "OneMovedAway" : "OneMoreFiled";
});

} // namespace
