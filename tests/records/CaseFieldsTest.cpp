// The named fields against the database the program creates: each names a
// column of its pane's table, and the length the data layer reports for it
// (which the window gives its box as the typing limit) is the column's own.
#include "support/TempCaseDb.h"

#include "records/CaseFields.h"
#include "records/CaseSchema.h"

namespace
{

using namespace CaseFields;

class NamedField : public ::testing::TestWithParam<int>
{
  protected:
    TempCaseDb db;
    // The declared type of `field` in `table` of a new case database; empty
    // when the table has no such column.
    QString declaredType(const QString &table, const QString &field)
    {
        db.open();
        QSqlQuery q = db.query(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
        while (q.next())
            if (q.value(1).toString() == field)
                return q.value(2).toString();
        return {};
    }
};

TEST_P(NamedField, IsAColumnOfItsPanesTableWithTheLengthTheDataLayerReports)
{
    const auto field = Field(GetParam());
    const QString table = QString::fromLatin1(CaseSchema::tableOf(paneOf(field)));
    const QString type = declaredType(table, QString::fromUtf8(CaseSchema::fieldName(field)));
    ASSERT_FALSE(type.isEmpty()) << "no column " << CaseSchema::fieldName(field) << " in "
                                 << table.toStdString();
    const int length = CaseSchema::fieldLength(field);
    if (field == GrievanceNumber)
        EXPECT_EQ(length, 0) << "the automatically numbered key has no typing limit";
    else
        EXPECT_EQ(type, QStringLiteral("VARCHAR(%1)").arg(length));
}

INSTANTIATE_TEST_SUITE_P(EveryField, NamedField, ::testing::Range(0, int(BoundFieldCount)),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return "Field" + std::to_string(info.param);
                         });

TEST(NamedFields, SplitBetweenThePanesAsTheFormNumbersThem)
{
    EXPECT_EQ(paneOf(Name), EmployeePane);
    EXPECT_EQ(paneOf(DaysOff), EmployeePane);
    EXPECT_EQ(paneOf(GrievanceNumber), GrievancePane);
    EXPECT_EQ(paneOf(ContractProvisions), GrievancePane);
    EXPECT_STREQ(CaseSchema::tableOf(EmployeePane), "Employee");
    EXPECT_STREQ(CaseSchema::tableOf(GrievancePane), "Complaints");
    // The two file numbers are one stored name in two tables: the link.
    EXPECT_STREQ(CaseSchema::fieldName(FileNumber), CaseSchema::fieldName(GrievanceFileNumber));
}

} // namespace
