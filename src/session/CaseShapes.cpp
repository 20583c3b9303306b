#include "session/CaseShapes.h"

#include "records/CaseSchema.h"

namespace
{

const QList<CaseSchema::Column> &columnsOf(const QString &table)
{
    return table.compare(QLatin1String(CaseSchema::EmployeeTable), Qt::CaseInsensitive) == 0
               ? CaseSchema::employeeColumns()
               : CaseSchema::complaintsColumns();
}

} // namespace

namespace CaseShapes
{

QStringList tables()
{
    return {QString::fromLatin1(CaseSchema::EmployeeTable),
            QString::fromLatin1(CaseSchema::ComplaintsTable)};
}

CaseShape caseShape()
{
    CaseShape shape;
    for (const QString &t : tables()) {
        TableShape table{t, {}};
        for (const CaseSchema::Column &c : columnsOf(t))
            table.fields << QString::fromUtf8(c.name);
        shape << table;
    }
    return shape;
}

QList<CsvColumn> importColumns(const QString &table)
{
    QList<CsvColumn> out;
    for (const CaseSchema::Column &c : columnsOf(table)) {
        if (c.length > 0)
            out.append({QString::fromUtf8(c.name), c.length});
    }
    return out;
}

qint64 employees(const QList<qint64> &rows)
{
    return rows.value(0);
}

qint64 complaints(const QList<qint64> &rows)
{
    return rows.value(1);
}

} // namespace CaseShapes
