#include "records/ComplaintLinks.h"

#include "records/CaseDatabase.h"
#include "records/CaseSearch.h"
#include "records/RecordSet.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ComplaintLinks
{

std::function<void(QSqlQuery &)> moveComplaints(const QString &from, const QString &to)
{
    return [from, to](QSqlQuery &q) {
        if (!q.prepare(QStringLiteral(
                "UPDATE Complaints SET \"File Number\" = ? WHERE \"File Number\" = ?")))
            throw CaseDatabase::errorFrom(q.lastError());
        q.addBindValue(to.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(to));
        q.addBindValue(from);
        if (!q.exec())
            throw CaseDatabase::errorFrom(q.lastError(), QStringLiteral("Moving the complaints"));
    };
}

void changeFileNumber(const std::shared_ptr<CaseDatabase> &db, const StrandedComplaint &complaint,
                      const QString &to)
{
    // The record set reaches the one row by its key and writes it the way
    // every pane and grid does, checking the row inside the transaction.
    RecordSet rs(db, QStringLiteral("SELECT * FROM Complaints WHERE [Grievance Number] = %1")
                         .arg(complaint.number.toLongLong()));
    if (rs.loadedCount() == 0)
        rs.fetchMore(1);
    if (rs.loadedCount() == 0 || rs.keyAt(0) != complaint.key)
        throw DataError(
            DataErrors::RowDeleted,
            QStringLiteral("The %1 was deleted by another user; its file number was not changed.")
                .arg(rs.describeRow(complaint.row)));
    QVariantList changed = complaint.row;
    const int field = rs.fieldIndex(QStringLiteral("File Number"));
    changed[field] = to.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(to);
    rs.updateRow(0, complaint.row, changed);
}

} // namespace ComplaintLinks
