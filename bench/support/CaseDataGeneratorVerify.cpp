// The checks of a generated database: what the benchmarks rely on when they
// pick a file number to type or an employee with complaints.
#include "support/CaseDataGenerator.h"

#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "support/CaseRowMaker.h"
#include "support/RawDatabase.h"

#include <string>

namespace
{

std::string quoted(const char *name)
{
    std::string q = "\"";
    for (const char *p = name; *p; ++p)
        q += *p == '"' ? std::string("\"\"") : std::string(1, *p);
    return q + '"';
}

} // namespace

QStringList CaseDataGenerator::verify(const QString &path) const
{
    QStringList problems;
    try {
        CaseDatabase program(path);
        program.open(); // the schema the program expects, through its own checks
    } catch (const DataError &e) {
        return {QStringLiteral("The program does not open it: ") + e.description()};
    }
    RawDatabase db(path, RawDatabase::ReadOnly);
    auto expect = [&](const char *what, const std::string &sql, auto holds) {
        const long long value = db.scalar(sql);
        if (!holds(value))
            problems << QStringLiteral("%1 (found %2)").arg(QLatin1String(what)).arg(value);
    };
    auto equals = [](long long want) { return [want](long long v) { return v == want; }; };
    auto positive = [](long long v) { return v > 0; };

    // Find's index holds every row (a document count per table).
    expect("Employees in the find index", "SELECT COUNT(*) FROM \"Employee Find_docsize\"",
           equals(m_employees));
    expect("Complaints in the find index", "SELECT COUNT(*) FROM \"Complaint Find_docsize\"",
           equals(m_complaints));
    if (db.text("PRAGMA journal_mode") != "wal")
        problems << QStringLiteral("The file is not in WAL mode, as the program keeps it");
    expect("Employees in the Employee table", "SELECT COUNT(*) FROM Employee", equals(m_employees));
    expect("Complaints in the Complaints table", "SELECT COUNT(*) FROM Complaints",
           equals(m_complaints));
    expect(
        "File numbers that are not six digits",
        "SELECT COUNT(*) FROM Employee WHERE \"File Number\" IS NULL OR \"File Number\" NOT GLOB "
        "'[0-9][0-9][0-9][0-9][0-9][0-9]'",
        equals(0));
    expect("Distinct file numbers", "SELECT COUNT(DISTINCT \"File Number\") FROM Employee",
           equals(m_employees));
    expect("Complaints whose file number no employee has",
           "SELECT COUNT(*) FROM Complaints c WHERE NOT EXISTS (SELECT 1 FROM Employee e WHERE "
           "e.\"File Number\" = c.\"File Number\")",
           equals(0));

    if (m_employees >= 100) {
        // Shuffled: neither ascending nor descending in rowid order.
        const long long falls = db.scalar(
            "SELECT COUNT(*) FROM Employee a JOIN Employee b ON b.rowid = a.rowid + 1 WHERE "
            "b.\"File Number\" < a.\"File Number\"");
        if (falls == 0 || falls == m_employees - 1)
            problems << QStringLiteral("File numbers follow the rowid order");
    }
    if (m_employees >= 100 && m_complaints >= m_employees) {
        expect("Employees with no complaint",
               "SELECT COUNT(*) FROM Employee e WHERE NOT EXISTS (SELECT 1 FROM Complaints c WHERE "
               "c.\"File Number\" = e.\"File Number\")",
               positive);
        expect("Employees with several complaints",
               "SELECT COUNT(*) FROM (SELECT 1 FROM Complaints GROUP BY \"File Number\" HAVING "
               "COUNT(*) >= 3)",
               positive);
        expect("Complaints whose case facts fill all three pieces",
               "SELECT COUNT(*) FROM Complaints WHERE length(\"Case Facts3\") = 255", positive);
    }

    auto limits = [&](const char *table, const QList<CaseSchema::Column> &columns) {
        for (const CaseSchema::Column &c : columns) {
            if (c.length <= 0)
                continue;
            const long long longest = db.scalar("SELECT IFNULL(MAX(length(" + quoted(c.name) +
                                                ")), 0) FROM " + quoted(table));
            if (longest > c.length)
                problems << QStringLiteral("%1.%2 holds %3 characters, more than its %4")
                                .arg(QLatin1String(table), QString::fromUtf8(c.name))
                                .arg(longest)
                                .arg(c.length);
        }
    };
    limits(CaseSchema::EmployeeTable, CaseSchema::employeeColumns());
    limits(CaseSchema::ComplaintsTable, CaseSchema::complaintsColumns());
    expect("Case facts not cut into full 255-character pieces",
           "SELECT COUNT(*) FROM Complaints WHERE (\"Case Facts2\" IS NOT NULL AND length(\"Case "
           "Facts1\") <> " +
               std::to_string(CaseRowMaker::CaseFactsPiece) +
               ") OR (\"Case Facts3\" IS NOT NULL AND length(\"Case Facts2\") <> " +
               std::to_string(CaseRowMaker::CaseFactsPiece) + ")",
           equals(0));
    return problems;
}
