#include "records/CaseCopy.h"

#include "jetsql/JetSql.h"
#include "platform/core/PrivateFiles.h"
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
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace CaseCopyTexts;

namespace
{

QString text(const char *t)
{
    return QString::fromUtf8(t);
}

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

// Walks a table in the order of an integer key, ReadRows at a time, without
// keeping more than one batch: each batch starts after the last key seen.
template <typename RowFn>
void eachRow(const DatabaseBackend &backend, const QSqlDatabase &db, const QString &table,
             const QString &key, const QStringList &columns, const std::atomic<bool> *cancel,
             RowFn row)
{
    const QString select =
        QStringLiteral("SELECT %1, %2 FROM %3 ")
            .arg(key, CaseCopyTable::columnList(columns), JetSql::quoteIdentifier(table));
    const QString order = QStringLiteral(" ORDER BY %1 LIMIT %2").arg(key).arg(CaseCopy::ReadRows);
    QSqlQuery first(db), next(db);
    first.setForwardOnly(true);
    next.setForwardOnly(true);
    if (!first.prepare(select + order) ||
        !next.prepare(select + QStringLiteral("WHERE %1 > ?").arg(key) + order))
        throw backend.errorFrom(next.lastError().isValid() ? next.lastError() : first.lastError());
    QSqlQuery *q = &first;
    qint64 last = 0;
    QVariantList values;
    for (;;) {
        if (cancel && *cancel)
            throw DataError(DataErrors::General, text(Cancelled));
        if (q == &next)
            next.bindValue(0, last);
        if (!q->exec())
            throw backend.errorFrom(q->lastError(), table);
        int n = 0;
        while (q->next()) {
            ++n;
            last = q->value(0).toLongLong();
            values.clear();
            for (int i = 1; i <= columns.size(); ++i)
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

// The key a table is walked by: the Grievance Number, Employee's hidden key.
QString walkKey(const DatabaseBackend &backend, const CaseCopyTable &t)
{
    if (t.numbered)
        return JetSql::quoteIdentifier(QString::fromUtf8(t.columns.first().name));
    return onServer(backend)
               ? JetSql::quoteIdentifier(QString::fromLatin1(PostgresBackend::HiddenKey))
               : QStringLiteral("rowid");
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

// Finds both tables in the target and the stored name of every field. When
// it has neither they are made in this transaction, and true is returned:
// what a database holds besides them is made once the rows are in.
bool findTarget(const DatabaseBackend &target, const QSqlDatabase &db, QSqlQuery &q,
                QList<CaseCopyTable> &tables)
{
    QList<StoredTable> found = target.tables(db);
    bool any = false;
    for (const CaseCopyTable &t : std::as_const(tables))
        any = any || findTable(found, t.name);
    if (!any) {
        for (const SchemaStep &step : target.schemaSteps())
            if (step.newDatabaseOnly)
                step.create(q);
        found = target.tables(db);
    }
    for (CaseCopyTable &t : tables) {
        const StoredTable *stored = findTable(found, t.name);
        if (!stored)
            throw DataError(
                DataErrors::NotCaseDatabase,
                text(TargetNotCaseDatabase)
                    .arg(target.displayName(), QString::fromUtf8(t.name), text(TableMissing)));
        t.storedName = stored->name;
        t.storedColumns.clear();
        for (const QString &field : t.fieldNames()) {
            qsizetype at = stored->columns.size();
            while (--at >= 0 && stored->columns.at(at).compare(field, Qt::CaseInsensitive) != 0) {
            }
            if (at < 0)
                throw DataError(
                    DataErrors::NotCaseDatabase,
                    text(TargetNotCaseDatabase)
                        .arg(target.displayName(), stored->name, text(FieldMissing).arg(field)));
            t.storedColumns << stored->columns.at(at);
        }
    }
    return !any;
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
        {CaseSchema::ComplaintsTable, CaseSchema::complaintsColumns(), true, {}, {}}};
    CaseCopyCounts counts;
    try {
        // SQLite takes its snapshot at the first read: the counts.
        const qint64 total = count(source, read, QString::fromUtf8(tables[0].name)) +
                             count(source, read, QString::fromUtf8(tables[1].name));
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
            const bool made = findTarget(target, to.db(), q, tables);
            if (onServer(target)) {
                // Nobody else writes the tables until the copy is committed;
                // a steward's save waits for it, never mixes into it.
                if (!q.exec(QStringLiteral("LOCK TABLE %1, %2 IN EXCLUSIVE MODE")
                                .arg(JetSql::quoteIdentifier(tables[0].storedName),
                                     JetSql::quoteIdentifier(tables[1].storedName))))
                    throw target.errorFrom(q.lastError());
            }
            const qint64 employeesThere = count(target, q, tables[0].storedName);
            const qint64 complaintsThere = count(target, q, tables[1].storedName);
            if ((employeesThere || complaintsThere) && !options.replace)
                throw DataError(DataErrors::General, text(TargetNotEmpty)
                                                         .arg(target.displayName())
                                                         .arg(employeesThere)
                                                         .arg(complaintsThere));
            for (const CaseCopyTable &t : {tables[1], tables[0]})
                if (!q.exec(QStringLiteral("DELETE FROM %1")
                                .arg(JetSql::quoteIdentifier(t.storedName))))
                    throw target.errorFrom(q.lastError(), t.storedName);

            qint64 highest = numbered;
            for (const CaseCopyTable &t : std::as_const(tables)) {
                CaseCopyDigest original, copied;
                CaseCopyInserter insert(target, to.db(), t);
                eachRow(source, from.db(), QString::fromUtf8(t.name), walkKey(source, t),
                        t.fieldNames(), options.cancel, [&](const QVariantList &row) {
                            original.add(row);
                            if (t.numbered)
                                highest = std::max(highest, row.value(0).toLongLong());
                            insert.add(row);
                            step();
                        });
                insert.flush();
                const QString key = t.numbered ? JetSql::quoteIdentifier(t.storedColumns.first())
                                               : target.keyExpression(t.storedName);
                eachRow(target, to.db(), t.storedName, key, t.storedColumns, options.cancel,
                        [&](const QVariantList &row) {
                            copied.add(row);
                            step();
                        });
                if (copied.rows() != original.rows())
                    throw DataError(DataErrors::General, text(CountsDiffer)
                                                             .arg(QString::fromUtf8(t.name))
                                                             .arg(original.rows())
                                                             .arg(copied.rows()));
                if (!(copied == original))
                    throw DataError(DataErrors::General, text(ChecksumsDiffer)
                                                             .arg(QString::fromUtf8(t.name))
                                                             .arg(original.rows())
                                                             .arg(original.hex(), copied.hex()));
                (t.numbered ? counts.complaints : counts.employees) = original.rows();
            }
            // A search index, say: built in one pass over the copied rows
            // rather than row by row while they arrive.
            if (made)
                for (const SchemaStep &later : target.schemaSteps())
                    if (!later.newDatabaseOnly)
                        later.create(q);
            CaseCopyNumbering::continueAfter(target, to.db(), tables[1].storedName,
                                             tables[1].storedColumns.first(), highest);
            if (options.cancel && *options.cancel)
                throw DataError(DataErrors::General, text(Cancelled));
        });
    } catch (...) {
        read.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    read.exec(QStringLiteral("ROLLBACK")); // it only read
    return counts;
}

CaseCopyCounts CaseCopy::toNewFile(const DatabaseBackend &source, const QString &path,
                                   const CaseCopyOptions &options)
{
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw DataError(DataErrors::CannotOpen, text(TargetFileExists).arg(path));
    const QString building = path + QStringLiteral(".copy-") +
                             QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QString error;
    if (!PrivateFiles::createFile(building, &error))
        throw DataError(DataErrors::CannotOpen, text(TargetFileUncreatable).arg(path, error));
    auto discard = [&building] {
        QFile::remove(building);
        QFile::remove(building + QStringLiteral("-journal"));
    };
    CaseCopyCounts counts;
    try {
        SqliteBackend target(building);
        counts = copy(source, target, options);
    } catch (...) {
        discard();
        throw;
    }
    // Never over a file that appeared meanwhile: Qt's rename refuses to
    // replace one.
    QFile built(building);
    if (!built.rename(path)) {
        const QString why = built.errorString();
        discard();
        throw DataError(DataErrors::CannotOpen, text(TargetFileNotMoved).arg(path, why));
    }
    return counts;
}
