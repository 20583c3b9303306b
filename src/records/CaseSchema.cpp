#include "records/CaseSchema.h"

#include "jetsql/JetSql.h"

namespace CaseSchema
{

const char *const EmployeeTable = "Employee";
const char *const ComplaintsTable = "Complaints";

const QList<Column> &employeeColumns()
{
    static const QList<Column> c = {
        {"Name", 50},
        {"Department", 10},
        {"Shift Start Time", 10},
        {"File Number", 10},
        {"Home Phone", 14},
        {"Work Phone", 14},
        {"Company Seniority", 10},
        {"Class Seniortity", 10},
        {"Classification", 40},
        {"Address", 100},
        {"Days Off", 100},
    };
    return c;
}

const QList<Column> &complaintsColumns()
{
    static const QList<Column> c = {
        {"Grievance Number", 0},      {"File Number", 10},
        {"Contract Provinsions", 30}, {"Date of Violation", 30},
        {"Remedy Sought", 100},       {"Supervisor First Contacted", 50},
        {"Contact Date", 10},         {"Supervisor's Oral Answer Date", 10},
        {"Case Facts1", 255},         {"Case Facts2", 255},
        {"Case Facts3", 255},
    };
    return c;
}

namespace
{
const char *const g_fieldNames[CaseFields::BoundFieldCount] = {
    "Name",
    "Department",
    "Shift Start Time",
    "File Number",
    "Home Phone",
    "Work Phone",
    "Company Seniority",
    "Class Seniortity",
    "Classification",
    "Address",
    "Days Off",
    "Grievance Number",
    "File Number",
    "Case Facts3",
    "Case Facts2",
    "Case Facts1",
    "Supervisor's Oral Answer Date",
    "Contact Date",
    "Supervisor First Contacted",
    "Remedy Sought",
    "Date of Violation",
    "Contract Provinsions",
};

} // namespace

const char *tableOf(CaseFields::Pane pane)
{
    return pane == CaseFields::EmployeePane ? EmployeeTable : ComplaintsTable;
}

const char *fieldName(CaseFields::Field field)
{
    Q_ASSERT(field >= 0 && field < CaseFields::BoundFieldCount);
    return g_fieldNames[field];
}

int fieldLength(CaseFields::Field field)
{
    const QList<Column> &columns = CaseFields::paneOf(field) == CaseFields::EmployeePane
                                       ? employeeColumns()
                                       : complaintsColumns();
    for (const Column &c : columns)
        if (qstrcmp(c.name, fieldName(field)) == 0)
            return c.length;
    Q_ASSERT_X(false, "CaseSchema::fieldLength", "a named field without a column");
    return 0;
}

QString columnDefinitions(const QList<Column> &columns, const QString &numberedKey,
                          const QString &textOfLength)
{
    QStringList defs;
    for (const Column &c : columns) {
        const QString name = JetSql::quoteIdentifier(QString::fromUtf8(c.name));
        defs << name + u' ' + (c.length == 0 ? numberedKey : textOfLength.arg(c.length));
    }
    return defs.join(QStringLiteral(", "));
}

} // namespace CaseSchema
