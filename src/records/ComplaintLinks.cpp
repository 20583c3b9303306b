#include "records/ComplaintLinks.h"

#include "jetsql/SqlDialect.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/CaseSearch.h"
#include "records/RecordSet.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ComplaintLinks
{

namespace
{

const QString FileNumber = QStringLiteral("File Number");

QString table(const CaseDatabase &db, const char *name)
{
    const QString stored = db.tableName(QString::fromLatin1(name));
    return db.dialect().quoteIdentifier(stored.isEmpty() ? QString::fromLatin1(name) : stored);
}

// "File Number" equal to fileNumber as the dialect compares a Jet filter's
// text: what the complaints page of an employee with that number lists.
SqlCondition fileNumberIs(const CaseDatabase &db, const char *tableName, const QString &fileNumber)
{
    const QStringList columns = db.columns(QString::fromLatin1(tableName));
    return JetSql::parseFilter(
        QStringLiteral("[File Number] = ") + JetSql::quoteString(fileNumber),
        [columns](const QString &name) {
            for (const QString &c : columns)
                if (c.compare(name, Qt::CaseInsensitive) == 0)
                    return c;
            return QString();
        },
        db.dialect());
}

void bind(QSqlQuery &q, const QVariantList &params)
{
    for (const QVariant &p : params)
        q.addBindValue(p);
}

// Keys bound per statement: far below every engine's limit on parameters.
constexpr qsizetype KeysPerStatement = 500;

} // namespace

QList<qint64> complaintsUnder(const CaseDatabase &db, const QString &fileNumber)
{
    const SqlCondition where = fileNumberIs(db, CaseSchema::ComplaintsTable, fileNumber);
    QSqlQuery q =
        db.prepared(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                        .arg(db.keyExpression(QString::fromLatin1(CaseSchema::ComplaintsTable)),
                             table(db, CaseSchema::ComplaintsTable), where.sql));
    q.setForwardOnly(true);
    bind(q, where.params);
    db.exec(q);
    QList<qint64> keys;
    while (q.next())
        keys << q.value(0).toLongLong();
    if (q.lastError().isValid())
        throw db.error(q.lastError());
    return keys;
}

QStringList employeesWith(const CaseDatabase &db, const QString &fileNumber, qint64 exceptKey,
                          int limit)
{
    const SqlCondition where = fileNumberIs(db, CaseSchema::EmployeeTable, fileNumber);
    QSqlQuery q =
        db.prepared(QStringLiteral("SELECT %1 FROM %2 WHERE %3 AND %4 <> ? ORDER BY %4 LIMIT %5")
                        .arg(db.dialect().quoteIdentifier(QStringLiteral("Name")),
                             table(db, CaseSchema::EmployeeTable), where.sql,
                             db.keyExpression(QString::fromLatin1(CaseSchema::EmployeeTable)))
                        .arg(limit));
    q.setForwardOnly(true);
    bind(q, where.params);
    q.addBindValue(exceptKey);
    db.exec(q);
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    if (q.lastError().isValid())
        throw db.error(q.lastError());
    return names;
}

std::function<void(QSqlQuery &)> moveComplaints(const CaseDatabase &db, const QString &from,
                                                const QString &to, const QList<qint64> &keys)
{
    // Runs inside the save that the database's own record set makes.
    return [db = &db, from, to, keys](QSqlQuery &q) {
        const SqlCondition under = fileNumberIs(*db, CaseSchema::ComplaintsTable, from);
        const QString key = db->keyExpression(QString::fromLatin1(CaseSchema::ComplaintsTable));
        qint64 moved = 0;
        for (qsizetype at = 0; at < keys.size(); at += KeysPerStatement) {
            const QList<qint64> some = keys.mid(at, KeysPerStatement);
            QStringList marks;
            marks.fill(QStringLiteral("?"), some.size());
            // The file number is checked in the statement that changes it:
            // on a server a row moved by another steward meanwhile is read
            // again under its lock and no longer matches.
            if (!q.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 IN (%4) AND %5")
                               .arg(table(*db, CaseSchema::ComplaintsTable),
                                    db->dialect().quoteIdentifier(FileNumber), key,
                                    marks.join(QStringLiteral(", ")), under.sql)))
                throw db->error(q.lastError());
            q.addBindValue(to.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(to));
            for (qint64 k : some)
                q.addBindValue(k);
            bind(q, under.params);
            if (!q.exec())
                throw db->error(q.lastError(), QStringLiteral("Moving the complaints"));
            moved += q.numRowsAffected();
        }
        if (moved != keys.size())
            throw DataError(DataErrors::General,
                            QStringLiteral("The complaints filed under %1 were changed by another "
                                           "user while you were asked; nothing was saved. Save "
                                           "again to be asked anew.")
                                .arg(from));
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
    const int field = rs.fieldIndex(FileNumber);
    changed[field] = to.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(to);
    rs.updateRow(0, complaint.row, changed);
}

} // namespace ComplaintLinks
