// Filters and sorts opened from a record set, over the real case schema.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

namespace
{

QStringList column(RecordSet &rs, const QString &field)
{
    QStringList out;
    const int f = rs.fieldIndex(field);
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext())
        out << rs.value(f).toString();
    return out;
}

TEST(RecordSetFilter, LikeOnTheNumberedKeyMatchesAsTextWithoutDroppingRows)
{
    TempCaseDb db;
    auto cases = db.open();
    for (int i = 1; i <= 12; ++i)
        db.insert(QStringLiteral("Complaints"),
                  {{QStringLiteral("File Number"),
                    QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))}});
    RecordSet all(cases, QStringLiteral("Complaints"));
    all.setFilter(QStringLiteral("[Grievance Number] LIKE '1*'"));
    auto filtered = all.openRecordset(RecordSet::Dynaset);
    EXPECT_EQ(column(*filtered, QStringLiteral("Grievance Number")),
              (QStringList{"1", "10", "11", "12"}));
    RecordSet source(cases,
                     QStringLiteral("SELECT * FROM Complaints WHERE [Grievance Number] LIKE '1*'"));
    EXPECT_EQ(column(source, QStringLiteral("Grievance Number")),
              (QStringList{"1", "10", "11", "12"}));
}

TEST(RecordSetFilter, FilterAndSortBuildOnTheRecordSetTheyAreSetOn)
{
    TempCaseDb db;
    auto cases = db.open();
    const char *names[] = {"delta", "Alpha", "charlie", "bravo", "alfred"};
    for (const char *n : names)
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QString::fromLatin1(n)},
                   {QStringLiteral("Department"), QStringLiteral("D")}});
    RecordSet all(cases, QStringLiteral("Employee"));
    all.setFilter(QStringLiteral("[Name] LIKE 'a*' OR [Name] = 'DELTA'"));
    all.setSort(QStringLiteral("[Name] desc"));
    auto narrowed = all.openRecordset(RecordSet::Dynaset);
    EXPECT_EQ(column(*narrowed, QStringLiteral("Name")), (QStringList{"delta", "Alpha", "alfred"}));
    narrowed->setFilter(QStringLiteral("NOT [Name] LIKE '*d*'"));
    auto twice = narrowed->openRecordset(RecordSet::Dynaset);
    EXPECT_EQ(column(*twice, QStringLiteral("Name")), (QStringList{"Alpha"}))
        << "a second filter narrows the first one's rows and keeps its order";
}

TEST(RecordSetFilter, AnUnreadableFilterIsADataErrorAndReachesNoTable)
{
    TempCaseDb db;
    auto cases = db.open();
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("x")}});
    RecordSet all(cases, QStringLiteral("Employee"));
    for (const char *bad :
         {"[Name] = 'x", "DROP TABLE Employee", "1; DELETE FROM Employee", "[Nope] = 1"}) {
        all.setFilter(QString::fromLatin1(bad));
        EXPECT_THROW(all.openRecordset(RecordSet::Dynaset), DataError) << bad;
    }
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 1);
}

} // namespace
