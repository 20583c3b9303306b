#include "records/PostgresFind.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace
{

struct Searched {
    const char *index; // its name; the b-tree adds " Prefix"
    const char *table;
    const char *column; // empty: the joined case facts
    bool prefix;        // a short text searches its beginning
};

const Searched Indexes[] = {
    {"Employee Name Find", "Employee", "Name", true},
    {"Employee File Number Find", "Employee", "File Number", true},
    {"Employee Department Find", "Employee", "Department", true},
    {"Complaints Remedy Find", "Complaints", "Remedy Sought", false},
    {"Complaints Contract Find", "Complaints", "Contract Provinsions", false},
    {"Complaints Case Facts Find", "Complaints", "", false},
};

QString expression(const Searched &s)
{
    return PostgresFind::folded(*s.column ? QStringLiteral("\"%1\"").arg(QLatin1String(s.column))
                                          : PostgresFind::caseFacts(QString()));
}

QStringList indexNames()
{
    QStringList names;
    for (const Searched &s : Indexes) {
        names << QLatin1String(s.index);
        if (s.prefix)
            names << QLatin1String(s.index) + QStringLiteral(" Prefix");
    }
    return names;
}

// The schema pg_trgm is in; empty when it is not in this database.
QString trigramSchema(QSqlQuery &q)
{
    if (!q.exec(QStringLiteral("SELECT n.nspname FROM pg_extension e JOIN pg_namespace n ON "
                               "n.oid = e.extnamespace WHERE e.extname = 'pg_trgm'")))
        throw DataError(DataErrors::General, q.lastError().databaseText().trimmed());
    return q.next() ? q.value(0).toString() : QString();
}

// One statement that may be refused, inside the write transaction: a
// refusal leaves the transaction usable. Returns whether it ran.
bool attempt(QSqlQuery &q, const QString &sql)
{
    q.exec(QStringLiteral("SAVEPOINT find_index"));
    if (q.exec(sql)) {
        q.exec(QStringLiteral("RELEASE SAVEPOINT find_index"));
        return true;
    }
    // No right to it, pg_trgm not installed on the server, a server
    // without ICU: Find scans, as it does for a role that may not add them.
    q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT find_index"));
    return false;
}

} // namespace

namespace PostgresFind
{

QString folded(const QString &expr)
{
    return QStringLiteral("lower((%1) COLLATE \"und-x-icu\")").arg(expr);
}

QString caseFacts(const QString &alias)
{
    const QString a = alias.isEmpty() ? QString() : alias + QLatin1Char('.');
    return QStringLiteral("coalesce(%1\"Case Facts1\", '') || coalesce(%1\"Case Facts2\", '') || "
                          "coalesce(%1\"Case Facts3\", '')")
        .arg(a);
}

const QLatin1String IndexesPresent(
    "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
    "n.nspname = current_schema() AND c.relkind = 'i' AND c.relname = ANY (string_to_array(?, "
    "'|'))");

bool indexesPresent(const QSqlDatabase &db)
{
    const QStringList names = indexNames();
    QSqlQuery q(db);
    q.prepare(IndexesPresent);
    q.addBindValue(names.join(QLatin1Char('|')));
    if (!q.exec() || !q.next())
        throw DataError(DataErrors::General, q.lastError().databaseText().trimmed());
    return q.value(0).toInt() == names.size();
}

bool indexesPresent(const CaseDatabase &db)
{
    const QStringList names = indexNames();
    QSqlQuery q = db.prepared(IndexesPresent);
    q.addBindValue(names.join(QLatin1Char('|')));
    db.exec(q);
    if (!q.next())
        throw db.error(q.lastError());
    return q.value(0).toInt() == names.size();
}

SchemaStep step(const QString &lock)
{
    SchemaStep s;
    s.name = QStringLiteral("find indexes");
    s.present = [](const QSqlDatabase &db) { return indexesPresent(db); };
    s.create = [lock](QSqlQuery &q) {
        if (!q.exec(lock))
            throw DataError(DataErrors::General, q.lastError().databaseText().trimmed());
        QString schema = trigramSchema(q);
        if (schema.isEmpty()) {
            if (!attempt(q, QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm")))
                return;
            schema = trigramSchema(q);
        }
        const QString ops = QStringLiteral("\"%1\".gin_trgm_ops").arg(schema);
        for (const Searched &s : Indexes) {
            const QString name = QLatin1String(s.index), table = QLatin1String(s.table);
            if (!attempt(q, QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" USING gin "
                                           "((%3) %4)")
                                .arg(name, table, expression(s), ops)))
                return;
            if (s.prefix &&
                !attempt(q, QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1 Prefix\" ON \"%2\" "
                                           "((%3) text_pattern_ops)")
                                .arg(name, table, expression(s))))
                return;
        }
    };
    return s;
}

} // namespace PostgresFind
