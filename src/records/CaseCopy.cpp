#include "records/CaseCopy.h"

#include "jetsql/JetSql.h"
#include "platform/core/PrivateFiles.h"
#include "records/CaseCopyDeadlines.h"
#include "records/CaseCopyDigest.h"
#include "records/CaseCopyInserter.h"
#include "records/CaseCopyNumbering.h"
#include "records/CaseCopyTable.h"
#include "records/CaseCopyTexts.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "records/PostgresBackend.h"
#include "records/SqliteBackend.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace CaseCopyTexts;

namespace
{

bool onServer(const DatabaseBackend &backend)
{
    return backend.filePath().isEmpty();
}

// A connection of the copy's own, closed and forgotten however it ends.
class Connection
{
  public:
    Connection(const DatabaseBackend &backend, const char *role)
        : m_name(QStringLiteral("case copy %1 %2")
                     .arg(QLatin1String(role), QUuid::createUuid().toString()))
    {
        m_db = backend.openIndependentConnection(m_name);
    }
    ~Connection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    const QSqlDatabase &db() const { return m_db; }

  private:
    QString m_name;
    QSqlDatabase m_db;
};

// Walks a table in the order of its key (one field or more), ReadRows at a
// time, without keeping more than one batch: each batch starts after the
// last key seen. Only rows that meet `condition` (when given) are read.
template <typename RowFn>
void eachRow(const DatabaseBackend &backend, const QSqlDatabase &db, const QString &table,
             const QStringList &keys, const QStringList &columns, const QString &condition,
             const std::atomic<bool> *cancel, RowFn row)
{
    const QString keyList = keys.join(QStringLiteral(", "));
    const QString select =
        QStringLiteral("SELECT %1, %2 FROM %3 ")
            .arg(keyList, CaseCopyTable::columnList(columns), JetSql::quoteIdentifier(table));
    const QString order =
        QStringLiteral(" ORDER BY %1 LIMIT %2").arg(keyList).arg(CaseCopy::ReadRows);
    const QString where = condition.isEmpty() ? QString() : QStringLiteral("(%1)").arg(condition);
    const QString after =
        keys.size() == 1
            ? keys.first() + QStringLiteral(" > ?")
            : QStringLiteral("(%1) > (%2)")
                  .arg(keyList,
                       QStringList(keys.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    QSqlQuery first(db), next(db);
    first.setForwardOnly(true);
    next.setForwardOnly(true);
    if (!first.prepare(select + (where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where) +
                       order) ||
        !next.prepare(select + QStringLiteral("WHERE ") +
                      (where.isEmpty() ? QString() : where + QStringLiteral(" AND ")) + after +
                      order))
        throw backend.errorFrom(next.lastError().isValid() ? next.lastError() : first.lastError());
    QSqlQuery *q = &first;
    QVariantList last;
    QVariantList values;
    const int k = int(keys.size());
    for (;;) {
        if (cancel && *cancel)
            throw DataError(DataErrors::General, QString::fromUtf8(Cancelled));
        if (q == &next)
            for (int i = 0; i < k; ++i)
                next.bindValue(i, last.at(i));
        if (!q->exec())
            throw backend.errorFrom(q->lastError(), table);
        int n = 0;
        while (q->next()) {
            ++n;
            last.clear();
            for (int i = 0; i < k; ++i)
                last << q->value(i);
            values.clear();
            for (int i = k; i < k + columns.size(); ++i)
                values << q->value(i);
            row(values);
        }
        if (q->lastError().isValid())
            throw backend.errorFrom(q->lastError(), table);
        q->finish();
        if (n < CaseCopy::ReadRows)
            return;
        q = &next;
    }
}

// The key a table is walked by in the original: its key fields, or
// Employee's hidden key.
QStringList walkKey(const DatabaseBackend &backend, const CaseCopyTable &t)
{
    if (t.keyColumns > 0)
        return t.keyFields(false);
    return {onServer(backend)
                ? JetSql::quoteIdentifier(QString::fromLatin1(PostgresBackend::HiddenKey))
                : QStringLiteral("rowid")};
}

// The same in the copy.
QStringList storedKey(const DatabaseBackend &target, const CaseCopyTable &t)
{
    return t.keyColumns > 0 ? t.keyFields(true) : QStringList{target.keyExpression(t.storedName)};
}

qint64 count(const DatabaseBackend &backend, QSqlQuery &q, const QString &table)
{
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(JetSql::quoteIdentifier(table))) ||
        !q.next())
        throw backend.errorFrom(q.lastError(), table);
    const qint64 n = q.value(0).toLongLong();
    q.finish();
    return n;
}

const StoredTable *findTable(const QList<StoredTable> &tables, const char *name)
{
    for (const StoredTable &t : tables)
        if (t.name.compare(QString::fromUtf8(name), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

// Makes the case tables in a target that has neither, in this transaction;
// true when it did: what a database holds besides them is made once the
// rows are in.
bool makeIfNew(const DatabaseBackend &target, const QSqlDatabase &db, QSqlQuery &q,
               const QList<CaseCopyTable> &tables)
{
    const QList<StoredTable> found = target.tables(db);
    for (const CaseCopyTable &t : tables)
        if (findTable(found, t.name))
            return false;
    for (const SchemaStep &step : target.schemaSteps())
        if (step.newDatabaseOnly)
            step.create(q);
    return true;
}

// Finds the tables in the target and the stored name of every field.
void findTarget(const DatabaseBackend &target, const QSqlDatabase &db, QList<CaseCopyTable> &tables)
{
    const QList<StoredTable> found = target.tables(db);
    for (CaseCopyTable &t : tables) {
        const StoredTable *stored = findTable(found, t.name);
        if (!stored)
            throw DataError(DataErrors::NotCaseDatabase,
                            QString::fromUtf8(TargetNotCaseDatabase)
                                .arg(target.displayName(), QString::fromUtf8(t.name),
                                     QString::fromUtf8(TableMissing)));
        t.storedName = stored->name;
        t.storedColumns.clear();
        for (const QString &field : t.fieldNames()) {
            qsizetype at = stored->columns.size();
            while (--at >= 0 && stored->columns.at(at).compare(field, Qt::CaseInsensitive) != 0) {
            }
            if (at < 0)
                throw DataError(DataErrors::NotCaseDatabase,
                                QString::fromUtf8(TargetNotCaseDatabase)
                                    .arg(target.displayName(), stored->name,
                                         QString::fromUtf8(FieldMissing).arg(field)));
            t.storedColumns << stored->columns.at(at);
        }
    }
}

void deleteRows(const DatabaseBackend &target, QSqlQuery &q, const CaseCopyTable &t)
{
    if (!q.exec(QStringLiteral("DELETE FROM %1").arg(JetSql::quoteIdentifier(t.storedName))))
        throw target.errorFrom(q.lastError(), t.storedName);
}

// What one copy needs to copy a table and check it.
struct Sides {
    const DatabaseBackend &source;
    const QSqlDatabase &from;
    const DatabaseBackend &target;
    const QSqlDatabase &to;
    const CaseCopyOptions &options;
};

// Copies every row of one table, then reads the copy back and compares it
// with what was read, row count and checksum. Returns the rows copied.
template <typename Step>
qint64 copyTable(const Sides &s, const CaseCopyTable &t, qint64 &highest, Step step)
{
    CaseCopyDigest original, copied;
    CaseCopyInserter insert(s.target, s.to, t);
    eachRow(s.source, s.from, QString::fromUtf8(t.name), walkKey(s.source, t), t.fieldNames(),
            t.sourceCondition, s.options.cancel, [&](const QVariantList &row) {
                original.add(row);
                if (t.numbered)
                    highest = std::max(highest, row.value(0).toLongLong());
                insert.add(row);
                step();
            });
    insert.flush();
    eachRow(s.target, s.to, t.storedName, storedKey(s.target, t), t.storedColumns, QString(),
            s.options.cancel, [&](const QVariantList &row) {
                copied.add(row);
                step();
            });
    if (copied.rows() != original.rows())
        throw DataError(DataErrors::General, QString::fromUtf8(CountsDiffer)
                                                 .arg(QString::fromUtf8(t.name))
                                                 .arg(original.rows())
                                                 .arg(copied.rows()));
    if (!(copied == original))
        throw DataError(DataErrors::General, QString::fromUtf8(ChecksumsDiffer)
                                                 .arg(QString::fromUtf8(t.name))
                                                 .arg(original.rows())
                                                 .arg(original.hex(), copied.hex()));
    return original.rows();
}

} // namespace

CaseCopyCounts CaseCopy::rowsIn(const DatabaseBackend &database)
{
    Connection c(database, "count");
    const QList<StoredTable> found = database.tables(c.db());
    QSqlQuery q(c.db());
    CaseCopyCounts counts;
    if (const StoredTable *t = findTable(found, CaseSchema::EmployeeTable))
        counts.employees = count(database, q, t->name);
    if (const StoredTable *t = findTable(found, CaseSchema::ComplaintsTable))
        counts.complaints = count(database, q, t->name);
    return counts;
}

CaseCopyCounts CaseCopy::copy(const DatabaseBackend &source, const DatabaseBackend &target,
                              const CaseCopyOptions &options)
{
    Connection from(source, "source");
    QSqlQuery read(from.db());
    // One snapshot for everything read, whatever the stewards save meanwhile.
    const QString snapshot = onServer(source)
                                 ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                                 : QStringLiteral("BEGIN");
    if (!read.exec(snapshot))
        throw source.errorFrom(read.lastError());
    QList<CaseCopyTable> tables = {
        {CaseSchema::EmployeeTable, CaseSchema::employeeColumns(), false, {}, {}},
        {CaseSchema::ComplaintsTable, CaseSchema::complaintsColumns(), true, {}, {}, 1}};
    QList<CaseCopyTable> deadlines = CaseCopyDeadlines::tables();
    CaseCopyCounts counts;
    // It only reads: the snapshot ends with a rollback, whatever happens.
    const auto endSnapshot = qScopeGuard([&read] { read.exec(QStringLiteral("ROLLBACK")); });
    // SQLite takes its snapshot at the first read: the counts.
    qint64 total = count(source, read, QString::fromUtf8(tables[0].name)) +
                   count(source, read, QString::fromUtf8(tables[1].name));
    // The steps and deadlines go with the complaints when the original
    // has them.
    const bool carry = CaseCopyDeadlines::present(source, from.db());
    if (carry)
        for (const CaseCopyTable &t : std::as_const(deadlines))
            total += count(source, read, QString::fromUtf8(t.name));
    const qint64 numbered =
        CaseCopyNumbering::handedOut(source, from.db(), QString::fromUtf8(tables[1].name),
                                     QString::fromUtf8(tables[1].columns.first().name));
    qint64 done = 0;
    // Each row is written once and read back once: half a row each.
    auto step = [&] {
        if (++done % ReadRows == 0 && options.progress)
            options.progress(done / 2, total);
    };

    Connection to(target, "target");
    target.write(to.db(), [&](QSqlQuery &q) {
        const bool made = makeIfNew(target, to.db(), q, tables);
        findTarget(target, to.db(), tables);
        if (carry || made)
            CaseCopyDeadlines::prepare(target, to.db(), q);
        const bool targetHas = CaseCopyDeadlines::present(target, to.db());
        if (targetHas)
            findTarget(target, to.db(), deadlines);
        if (onServer(target)) {
            // Nobody else writes the tables until the copy is committed;
            // a steward's save waits for it, never mixes into it.
            QStringList locked;
            for (const CaseCopyTable &t : std::as_const(tables))
                locked << JetSql::quoteIdentifier(t.storedName);
            for (const CaseCopyTable &t : std::as_const(deadlines))
                if (targetHas)
                    locked << JetSql::quoteIdentifier(t.storedName);
            if (!q.exec(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE")
                            .arg(locked.join(QStringLiteral(", ")))))
                throw target.errorFrom(q.lastError());
        }
        const qint64 employeesThere = count(target, q, tables[0].storedName);
        const qint64 complaintsThere = count(target, q, tables[1].storedName);
        if ((employeesThere || complaintsThere) && !options.replace)
            throw DataError(DataErrors::General, QString::fromUtf8(TargetNotEmpty)
                                                     .arg(target.displayName())
                                                     .arg(employeesThere)
                                                     .arg(complaintsThere));
        // The steps of the complaints replaced go with them; the office's
        // time limits only when the original brings its own.
        if (targetHas)
            for (qsizetype i = deadlines.size() - 1; i >= 0; --i)
                if (carry || CaseCopyDeadlines::followsComplaints(deadlines.at(i)))
                    deleteRows(target, q, deadlines.at(i));
        for (const CaseCopyTable &t : {tables[1], tables[0]})
            deleteRows(target, q, t);

        qint64 highest = numbered;
        const Sides sides{source, from.db(), target, to.db(), options};
        for (const CaseCopyTable &t : std::as_const(tables))
            (t.numbered ? counts.complaints : counts.employees) =
                copyTable(sides, t, highest, step);
        if (carry)
            for (const CaseCopyTable &t : std::as_const(deadlines))
                copyTable(sides, t, highest, step);
        // A search index, say: built in one pass over the copied rows
        // rather than row by row while they arrive.
        if (made)
            for (const SchemaStep &later : target.schemaSteps())
                if (!later.newDatabaseOnly && !later.holdsCopiedRows)
                    later.create(q);
        CaseCopyNumbering::continueAfter(target, to.db(), tables[1].storedName,
                                         tables[1].storedColumns.first(), highest);
        if (options.cancel && *options.cancel)
            throw DataError(DataErrors::General, QString::fromUtf8(Cancelled));
    });
    return counts;
}

CaseCopyCounts CaseCopy::toNewFile(const DatabaseBackend &source, const QString &path,
                                   const CaseCopyOptions &options)
{
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw DataError(DataErrors::CannotOpen, QString::fromUtf8(TargetFileExists).arg(path));
    const QString building = path + QStringLiteral(".copy-") +
                             QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QString error;
    if (!PrivateFiles::createFile(building, &error))
        throw DataError(DataErrors::CannotOpen,
                        QString::fromUtf8(TargetFileUncreatable).arg(path, error));
    auto discard = [&building] {
        QFile::remove(building);
        QFile::remove(building + QStringLiteral("-journal"));
    };
    auto discardOnFailure = qScopeGuard(discard);
    CaseCopyCounts counts;
    {
        SqliteBackend target(building);
        counts = copy(source, target, options);
    }
    discardOnFailure.dismiss();
    // Never over a file that appeared meanwhile: Qt's rename refuses to
    // replace one.
    QFile built(building);
    if (!built.rename(path)) {
        const QString why = built.errorString();
        discard();
        throw DataError(DataErrors::CannotOpen,
                        QString::fromUtf8(TargetFileNotMoved).arg(path, why));
    }
    return counts;
}
