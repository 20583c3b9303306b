#include "records/FindIndexBuild.h"

#include "jetsql/DataError.h"
#include "records/FindIndex.h"
#include "records/SqliteBackend.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <limits>

namespace
{

constexpr qint64 AllRows = std::numeric_limits<qint64>::max();

// A step holds the write lock about this long, then leaves it free at least
// as long: a save of the steward's waiting for the lock gets it within its
// busy timeout's first tries.
constexpr int StepMs = 100;
constexpr int FirstRows = 256;
constexpr int MostRows = 20000;
// Another program holding the file this long is waited for again.
constexpr int LockedRetryMs = 1000;

struct Table {
    const char *name;
    const char *index;
    const char *columns;
    const char *values;
};
const Table Tables[] = {
    {"Employee", "Employee Find", "\"Name\", \"File Number\", \"Department\"",
     "\"Name\", \"File Number\", \"Department\""},
    {"Complaints", "Complaint Find", "\"Remedy Sought\", \"Contract Provinsions\", \"Case Facts\"",
     "\"Remedy Sought\", \"Contract Provinsions\", coalesce(\"Case Facts1\", '') || "
     "coalesce(\"Case Facts2\", '') || coalesce(\"Case Facts3\", '')"},
};

QSqlQuery exec(const QSqlDatabase &db, const QString &sql, const QVariantList &params = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool ok = params.isEmpty() ? q.exec(sql) : q.prepare(sql);
    if (ok && !params.isEmpty()) {
        for (const QVariant &p : params)
            q.addBindValue(p);
        ok = q.exec();
    }
    if (!ok)
        throw SqliteBackend::sqliteError(q.lastError(), QStringLiteral("Building the find index"));
    return q;
}

QVariant single(const QSqlDatabase &db, const QString &sql, const QVariantList &params = {})
{
    QSqlQuery q = exec(db, sql, params);
    return q.next() ? q.value(0) : QVariant();
}

qint64 doneMark(const QSqlDatabase &db, const char *table)
{
    return single(db,
                  QStringLiteral("SELECT \"Done\" FROM \"%1\" WHERE \"Table\" = ?")
                      .arg(QLatin1String(FindIndex::BuildTable)),
                  {QString::fromLatin1(table)})
        .toLongLong();
}

void setDoneMark(const QSqlDatabase &db, const char *table, qint64 done)
{
    exec(db,
         QStringLiteral("UPDATE \"%1\" SET \"Done\" = ? WHERE \"Table\" = ?")
             .arg(QLatin1String(FindIndex::BuildTable)),
         {done, QString::fromLatin1(table)});
}

bool hasIndex(const QSqlDatabase &db, const QString &create)
{
    // "CREATE INDEX IF NOT EXISTS "<name>" ON ..."
    const QString name = create.section(QLatin1Char('"'), 1, 1);
    return single(db,
                  QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                                 "name = ?"),
                  {name})
               .toInt() > 0;
}

// The part of a step inside its transaction.
FindIndexBuild::Step stepIn(const QSqlDatabase &db, int rows)
{
    FindIndexBuild::Step s;
    switch (FindIndex::state(db)) {
    case FindIndex::State::Ready:
        s.finished = true;
        return s;
    case FindIndex::State::Absent:
        // Stray parts (of an index dropped by hand, say) go with the rest.
        for (const QString &sql : FindIndex::beginBuildStatements())
            exec(db, sql);
        return s;
    case FindIndex::State::Building:
        break;
    }
    // A program from before the build in steps saw the index incomplete and
    // built all of it, with triggers that index every row: only the mark is
    // left to go.
    if (single(db,
               QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND "
                              "sql LIKE ?"),
               {QStringLiteral("%") + QLatin1String(FindIndex::BuildTable) + QStringLiteral("%")})
            .toInt() == 0) {
        exec(db, QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(FindIndex::BuildTable)));
        return s;
    }
    for (const QString &sql : FindIndex::btreeIndexStatements()) {
        if (!hasIndex(db, sql)) {
            exec(db, sql);
            return s;
        }
    }
    for (const Table &t : Tables) {
        const qint64 done = doneMark(db, t.name);
        if (done == AllRows)
            continue;
        const QVariant last = single(
            db,
            QStringLiteral("SELECT max(rowid) FROM (SELECT rowid FROM %1 WHERE rowid > ? ORDER BY "
                           "rowid LIMIT ?)")
                .arg(QLatin1String(t.name)),
            {done, rows});
        if (last.isNull()) {
            // Past the last row: from now on the triggers index every row
            // of this table, the new ones too.
            setDoneMark(db, t.name, AllRows);
            continue;
        }
        QSqlQuery q = exec(db,
                           QStringLiteral("INSERT INTO \"%1\" (rowid, %2) SELECT rowid, %3 FROM %4 "
                                          "WHERE rowid > ? AND rowid <= ?")
                               .arg(QLatin1String(t.index), QLatin1String(t.columns),
                                    QLatin1String(t.values), QLatin1String(t.name)),
                           {done, last});
        s.indexed = q.numRowsAffected();
        setDoneMark(db, t.name, last.toLongLong());
        return s;
    }
    for (const QString &sql : FindIndex::finishBuildStatements())
        exec(db, sql);
    return s;
}

} // namespace

FindIndexBuild::Step FindIndexBuild::step(const QSqlDatabase &db, int rows)
{
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    auto rollBack = qScopeGuard([&db] {
        QSqlQuery rollback(db);
        rollback.exec(QStringLiteral("ROLLBACK"));
    });
    const Step s = stepIn(db, rows);
    exec(db, QStringLiteral("COMMIT"));
    rollBack.dismiss();
    return s;
}

qint64 FindIndexBuild::rowsInAll(const QSqlDatabase &db)
{
    qint64 n = 0;
    for (const Table &t : Tables)
        n += single(db, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(t.name)))
                 .toLongLong();
    return n;
}

qint64 FindIndexBuild::rowsIndexed(const QSqlDatabase &db)
{
    switch (FindIndex::state(db)) {
    case FindIndex::State::Absent:
        return 0;
    case FindIndex::State::Ready:
        return rowsInAll(db);
    case FindIndex::State::Building:
        break;
    }
    qint64 n = 0;
    for (const Table &t : Tables)
        n += single(db,
                    QStringLiteral("SELECT count(*) FROM %1 WHERE rowid <= ?")
                        .arg(QLatin1String(t.name)),
                    {doneMark(db, t.name)})
                 .toLongLong();
    return n;
}

FindIndexBuild::FindIndexBuild(QString path, QObject *parent)
    : QObject(parent), m_path(std::move(path))
{
}

FindIndexBuild::~FindIndexBuild()
{
    stop();
}

void FindIndexBuild::start()
{
    if (m_thread.joinable())
        return;
    m_stop = false;
    m_thread = std::thread([this] { run(); });
}

void FindIndexBuild::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool FindIndexBuild::pause(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop.load(); });
}

void FindIndexBuild::run()
{
    const QString name = QStringLiteral("find-index-") + QUuid::createUuid().toString();
    try {
        const QSqlDatabase db = SqliteBackend(m_path).openIndependentConnection(name);
        try {
            exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
            build(db);
        } catch (const DataError &e) {
            Q_EMIT failed(e.description());
        }
    } catch (const DataError &e) {
        Q_EMIT failed(e.description());
    }
    QSqlDatabase::removeDatabase(name);
}

void FindIndexBuild::build(const QSqlDatabase &db)
{
    qint64 total = rowsInAll(db);
    qint64 done = rowsIndexed(db);
    int rows = FirstRows;
    while (!m_stop) {
        QElapsedTimer took;
        took.start();
        Step s;
        try {
            s = step(db, rows);
        } catch (const DataError &e) {
            // Another program's long write: its turn, then ours again.
            if (e.number() != DataErrors::Locked)
                throw;
            if (!pause(LockedRetryMs))
                return;
            continue;
        }
        if (s.finished) {
            Q_EMIT finished();
            return;
        }
        // The steps' pages go into the file now, a few at a time, rather
        // than all at once inside a later save of the steward's, whose
        // commit would otherwise fold in the whole log.
        exec(db, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
        done += s.indexed;
        total = std::max(total, done);
        Q_EMIT progressed(done, total);
        const qint64 ms = std::max<qint64>(1, took.elapsed());
        if (s.indexed > 0)
            rows = int(std::clamp<qint64>(s.indexed * StepMs / ms, 16, MostRows));
        if (!pause(int(std::clamp<qint64>(ms, 10, 4 * StepMs))))
            return;
    }
}
