#include "records/CaseImportWriter.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"
#include "records/CaseCopyInserter.h"
#include "records/CaseCopyNumbering.h"
#include "records/CaseCopyTable.h"
#include "records/CaseCopyTexts.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"

#include <QHash>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace CaseCopyTexts;

namespace
{

bool sameName(const QString &a, const char *b)
{
    return a.compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

} // namespace

struct CaseImportWriter::Private {
    const DatabaseBackend &backend;
    QString connection;
    QSqlDatabase db;
    bool onServer = false;
    QList<CaseCopyTable> tables = {
        {CaseSchema::EmployeeTable, CaseSchema::employeeColumns(), false, {}, {}},
        {CaseSchema::ComplaintsTable, CaseSchema::complaintsColumns(), true, {}, {}}};
    QHash<QString, qint64> lastBefore; // per table: its highest key before the import
    QHash<QString, std::shared_ptr<QSqlQuery>> lookups;
    QHash<QString, std::shared_ptr<CaseCopyInserter>> inserters;

    explicit Private(const DatabaseBackend &b) : backend(b) {}

    CaseCopyTable &table(const QString &name)
    {
        for (CaseCopyTable &t : tables)
            if (sameName(name, t.name))
                return t;
        throw DataError(DataErrors::UnknownTable,
                        QStringLiteral("There is no case table \"%1\".").arg(name));
    }

    // The stored names of both tables and their fields, as the copy finds them.
    void findTables()
    {
        const QList<StoredTable> found = backend.tables(db);
        for (CaseCopyTable &t : tables) {
            const StoredTable *stored = nullptr;
            for (const StoredTable &s : found)
                if (sameName(s.name, t.name))
                    stored = &s;
            if (!stored)
                throw DataError(DataErrors::NotCaseDatabase,
                                QString::fromUtf8(TargetNotCaseDatabase)
                                    .arg(backend.displayName(), QString::fromUtf8(t.name),
                                         QString::fromUtf8(TableMissing)));
            t.storedName = stored->name;
            t.storedColumns.clear();
            for (const QString &field : t.fieldNames()) {
                const auto at = std::find_if(
                    stored->columns.begin(), stored->columns.end(),
                    [&](const QString &c) { return c.compare(field, Qt::CaseInsensitive) == 0; });
                if (at == stored->columns.end())
                    throw DataError(DataErrors::NotCaseDatabase,
                                    QString::fromUtf8(TargetNotCaseDatabase)
                                        .arg(backend.displayName(), stored->name,
                                             QString::fromUtf8(FieldMissing).arg(field)));
                t.storedColumns << *at;
            }
        }
    }

    QSqlQuery &query(const QString &sql)
    {
        std::shared_ptr<QSqlQuery> &q = lookups[sql];
        if (!q) {
            q = std::make_shared<QSqlQuery>(db);
            q->setForwardOnly(true);
            if (!q->prepare(sql))
                throw backend.errorFrom(q->lastError());
        }
        return *q;
    }

    qint64 single(QSqlQuery &q)
    {
        if (!q.exec())
            throw backend.errorFrom(q.lastError());
        const qint64 v = q.next() ? q.value(0).toLongLong() : 0;
        q.finish();
        return v;
    }

    // The first field of every row `q` gives.
    QVariantList column(QSqlQuery &q)
    {
        if (!q.exec())
            throw backend.errorFrom(q.lastError());
        QVariantList values;
        while (q.next())
            values << q.value(0);
        const QSqlError failed = q.lastError();
        q.finish();
        if (failed.isValid())
            throw backend.errorFrom(failed);
        return values;
    }

    void begin(Mode mode, QSqlQuery &q)
    {
        findTables();
        if (mode == Mode::Write && onServer &&
            !q.exec(QStringLiteral("LOCK TABLE %1, %2 IN EXCLUSIVE MODE")
                        .arg(JetSql::quoteIdentifier(tables[0].storedName),
                             JetSql::quoteIdentifier(tables[1].storedName))))
            throw backend.errorFrom(q.lastError());
        for (const CaseCopyTable &t : std::as_const(tables)) {
            const QString key = t.numbered ? JetSql::quoteIdentifier(t.storedColumns.first())
                                           : backend.keyExpression(t.storedName);
            QSqlQuery &last = query(QStringLiteral("SELECT coalesce(max(%1), 0) FROM %2")
                                        .arg(key, JetSql::quoteIdentifier(t.storedName)));
            lastBefore[QString::fromUtf8(t.name)] = single(last);
        }
    }

    void end()
    {
        inserters.clear();
        lookups.clear();
    }
};

CaseImportWriter::CaseImportWriter(const DatabaseBackend &database)
    : d(std::make_unique<Private>(database))
{
    d->onServer = database.filePath().isEmpty();
}

CaseImportWriter::~CaseImportWriter()
{
    d->end();
    if (d->db.isValid()) {
        d->db.close();
        d->db = QSqlDatabase();
        QSqlDatabase::removeDatabase(d->connection);
    }
}

QStringList CaseImportWriter::fields(const QString &table)
{
    const auto &columns = sameName(table, CaseSchema::ComplaintsTable)
                              ? CaseSchema::complaintsColumns()
                              : CaseSchema::employeeColumns();
    QStringList names;
    for (const CaseSchema::Column &c : columns)
        names << QString::fromUtf8(c.name);
    return names;
}

void CaseImportWriter::run(Mode mode, const std::function<void()> &work)
{
    if (!d->db.isValid()) {
        d->connection = QStringLiteral("case import %1").arg(QUuid::createUuid().toString());
        d->db = d->backend.openIndependentConnection(d->connection);
    }
    if (mode == Mode::Write) {
        const auto ended = qScopeGuard([this] { d->end(); });
        d->backend.write(d->db, [&](QSqlQuery &q) {
            d->begin(mode, q);
            work();
        });
        return;
    }
    // A survey reads one snapshot and writes nothing, whatever happens.
    QSqlQuery q(d->db);
    if (!q.exec(d->onServer ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                            : QStringLiteral("BEGIN")))
        throw d->backend.errorFrom(q.lastError());
    const auto ended = qScopeGuard([this, &q] {
        d->end();
        q.exec(QStringLiteral("ROLLBACK"));
    });
    d->begin(mode, q);
    work();
}

bool CaseImportWriter::held(const QString &table, const QString &field, const QString &value)
{
    const CaseCopyTable &t = d->table(table);
    const qsizetype at = t.fieldNames().indexOf(field);
    if (at < 0)
        throw DataError(DataErrors::UnknownField, field);
    const QString column = JetSql::quoteIdentifier(t.storedColumns.at(at));
    // The file's text columns ignore letter case (NOCASE); the server's are
    // compared through lower(), as every search of the program does.
    const QString compare = d->onServer ? QStringLiteral("lower(%1) = lower(?)").arg(column)
                                        : QStringLiteral("%1 = ?").arg(column);
    QSqlQuery &q = d->query(QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND %3 <= ? LIMIT 1")
                                .arg(JetSql::quoteIdentifier(t.storedName), compare,
                                     d->backend.keyExpression(t.storedName)));
    q.bindValue(0, value);
    q.bindValue(1, d->lastBefore.value(QString::fromUtf8(t.name)));
    return d->single(q) != 0;
}

QSet<QString> CaseImportWriter::heldAmong(const QString &table, const QString &field,
                                          const QSet<QString> &values)
{
    QSet<QString> held;
    if (values.isEmpty())
        return held;
    if (!d->onServer) {
        // A file answers each one from its index at no cost of a trip.
        for (const QString &v : values)
            if (this->held(table, field, v))
                held.insert(v);
        return held;
    }
    const CaseCopyTable &t = d->table(table);
    const qsizetype at = t.fieldNames().indexOf(field);
    if (at < 0)
        throw DataError(DataErrors::UnknownField, field);
    // The values travel as one array, each compared as held() compares it.
    QString array = QStringLiteral("{");
    for (const QString &v : values) {
        if (array.size() > 1)
            array += u',';
        QString quoted = v;
        quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        array += u'"' + quoted + u'"';
    }
    array += u'}';
    QSqlQuery &q = d->query(
        QStringLiteral("SELECT v FROM unnest(CAST(? AS text[])) AS v WHERE EXISTS (SELECT 1 "
                       "FROM %1 WHERE lower(%2) = lower(v) AND %3 <= ?)")
            .arg(JetSql::quoteIdentifier(t.storedName),
                 JetSql::quoteIdentifier(t.storedColumns.at(at)),
                 d->backend.keyExpression(t.storedName)));
    q.bindValue(0, array);
    q.bindValue(1, d->lastBefore.value(QString::fromUtf8(t.name)));
    for (const QVariant &v : d->column(q))
        held.insert(v.toString());
    return held;
}

bool CaseImportWriter::numberTaken(qint64 number)
{
    const CaseCopyTable &t = d->table(QString::fromUtf8(CaseSchema::ComplaintsTable));
    QSqlQuery &q = d->query(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?")
                                .arg(JetSql::quoteIdentifier(t.storedName),
                                     JetSql::quoteIdentifier(t.storedColumns.first())));
    q.bindValue(0, number);
    return d->single(q) != 0;
}

QSet<qint64> CaseImportWriter::takenAmong(const QSet<qint64> &numbers)
{
    QSet<qint64> taken;
    if (numbers.isEmpty())
        return taken;
    if (!d->onServer) {
        for (qint64 n : numbers)
            if (numberTaken(n))
                taken.insert(n);
        return taken;
    }
    const CaseCopyTable &t = d->table(QString::fromUtf8(CaseSchema::ComplaintsTable));
    QStringList array;
    for (qint64 n : numbers)
        array << QString::number(n);
    QSqlQuery &q = d->query(
        QStringLiteral("SELECT n FROM unnest(CAST(? AS bigint[])) AS n WHERE EXISTS (SELECT 1 "
                       "FROM %1 WHERE %2 = n)")
            .arg(JetSql::quoteIdentifier(t.storedName),
                 JetSql::quoteIdentifier(t.storedColumns.first())));
    q.bindValue(0, QStringLiteral("{%1}").arg(array.join(u',')));
    for (const QVariant &v : d->column(q))
        taken.insert(v.toLongLong());
    return taken;
}

qint64 CaseImportWriter::highestNumber()
{
    const CaseCopyTable &t = d->table(QString::fromUtf8(CaseSchema::ComplaintsTable));
    return std::max(
        d->lastBefore.value(QString::fromUtf8(t.name)),
        CaseCopyNumbering::handedOut(d->backend, d->db, t.storedName, t.storedColumns.first()));
}

void CaseImportWriter::add(const QString &table, const QVariantList &values)
{
    CaseCopyTable &t = d->table(table);
    std::shared_ptr<CaseCopyInserter> &insert = d->inserters[QString::fromUtf8(t.name)];
    if (!insert)
        insert = std::make_shared<CaseCopyInserter>(d->backend, d->db, t);
    insert->add(values);
}

void CaseImportWriter::finish(qint64 highest)
{
    for (const auto &insert : std::as_const(d->inserters))
        insert->flush();
    const CaseCopyTable &t = d->table(QString::fromUtf8(CaseSchema::ComplaintsTable));
    CaseCopyNumbering::continueAfter(d->backend, d->db, t.storedName, t.storedColumns.first(),
                                     highest);
}
