#include "records/CaseCopyNumbering.h"

#include "jetsql/JetSql.h"
#include "records/CaseCopyTexts.h"
#include "records/DatabaseBackend.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

using namespace CaseCopyTexts;

namespace
{

bool onServer(const DatabaseBackend &database)
{
    return database.filePath().isEmpty();
}

// The server's sequence behind the numbered column, and the user asking;
// an empty sequence for a column numbered by hand.
QPair<QString, QString> sequenceOf(const DatabaseBackend &database, const QSqlDatabase &db,
                                   const QString &table, const QString &column)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT pg_get_serial_sequence(?, ?), current_user"));
    q.bindValue(0, JetSql::quoteIdentifier(table));
    q.bindValue(1, column);
    if (!q.exec() || !q.next())
        throw database.errorFrom(q.lastError(), table);
    const QPair<QString, QString> found{q.value(0).toString(), q.value(1).toString()};
    q.finish();
    return found;
}

DataError numberingRefused(const char *text, const QString &sequence, const QString &user,
                           const QSqlError &error)
{
    return DataError(DataErrors::ReadOnly,
                     QString::fromUtf8(text).arg(sequence, JetSql::quoteIdentifier(user),
                                                 error.databaseText().trimmed()));
}

} // namespace

namespace CaseCopyNumbering
{

qint64 handedOut(const DatabaseBackend &database, const QSqlDatabase &db, const QString &table,
                 const QString &column)
{
    QSqlQuery q(db);
    if (!onServer(database)) {
        // A file without numbered tables has no sqlite_sequence: nothing handed out.
        q.prepare(QStringLiteral("SELECT (SELECT seq FROM sqlite_sequence WHERE name = ?) FROM "
                                 "sqlite_master WHERE name = 'sqlite_sequence'"));
        q.bindValue(0, table);
        if (!q.exec())
            throw database.errorFrom(q.lastError(), table);
        return q.next() ? q.value(0).toLongLong() : 0;
    }
    const auto [sequence, user] = sequenceOf(database, db, table, column);
    if (sequence.isEmpty())
        return 0;
    // A sequence that never handed out a number reads as NULL.
    q.prepare(QStringLiteral("SELECT coalesce(pg_sequence_last_value(?::regclass), 0)"));
    q.bindValue(0, sequence);
    if (q.exec() && q.next())
        return q.value(0).toLongLong();
    if (q.lastError().nativeErrorCode() == QLatin1String("42501"))
        throw numberingRefused(NumberingUnreadable, sequence, user, q.lastError());
    throw database.errorFrom(q.lastError(), table);
}

void continueAfter(const DatabaseBackend &database, const QSqlDatabase &db, const QString &table,
                   const QString &column, qint64 highest)
{
    if (highest <= 0)
        return;
    QSqlQuery q(db);
    if (!onServer(database)) {
        // AUTOINCREMENT hands out numbers after sqlite_sequence's, which the
        // copied rows have raised to their own highest already.
        for (const QString &sql :
             {QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT ?, 0 WHERE NOT "
                             "EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?)"),
              QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?")}) {
            q.prepare(sql);
            q.addBindValue(sql.startsWith(QLatin1String("INSERT")) ? QVariant(table)
                                                                   : QVariant(highest));
            q.addBindValue(table);
            if (!q.exec())
                throw database.errorFrom(q.lastError(), table);
        }
        return;
    }
    const auto [sequence, user] = sequenceOf(database, db, table, column);
    if (sequence.isEmpty())
        return; // numbered by hand: nothing to move
    // nextval() needs no more right than setval() (a steward's role may be
    // granted UPDATE alone) and tells what the server handed out last; the
    // copy's lock on the table keeps every other insert waiting meanwhile.
    q.prepare(QStringLiteral("SELECT nextval(?::regclass)"));
    q.bindValue(0, sequence);
    if (q.exec() && q.next()) {
        const qint64 last = std::max(q.value(0).toLongLong() - 1, highest);
        q.finish();
        q.prepare(QStringLiteral("SELECT setval(?::regclass, ?)"));
        q.bindValue(0, sequence);
        q.bindValue(1, last);
        if (q.exec())
            return;
    }
    if (q.lastError().nativeErrorCode() == QLatin1String("42501"))
        throw numberingRefused(NumberingRefused, sequence, user, q.lastError());
    throw database.errorFrom(q.lastError(), table);
}

} // namespace CaseCopyNumbering
