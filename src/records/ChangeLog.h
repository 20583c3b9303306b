#pragma once

#include "records/SchemaStep.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class CaseDatabase;
class QSqlDatabase;

// Who changed which case row last, and when: one row per row of the two
// case tables in the side table "Quillmark Changes", written by triggers
// on those tables so that every program's writes are counted, never a
// field of the case tables themselves. On a server the trigger names the
// role (session_user) and the server's time, and tells the listening
// programs at commit; in a file a trigger notes the change with the time,
// and the program's own connection adds the operating system user and its
// session (other programs' changes stay without a name).
namespace ChangeLog
{

inline constexpr const char *Table = "Quillmark Changes";
// The server's channel for the notices.
inline constexpr const char *Channel = "quillmark_changes";
// A statement that changes more rows than this is told as "many rows".
inline constexpr int NoticeRowsAtMost = 100;

struct Change {
    QString table;   // "Employee" or "Complaints"
    qint64 row = -1; // the row's key; -1 for "many rows of the table"
    QString kind;    // "insert", "update" or "delete"
    QString by;      // the role or the user; empty when the writer did not say
    QDateTime at;    // UTC
    QString session; // the writing session's marker; empty when unknown
};

// The schema steps that make the side table and its triggers.
SchemaStep sqliteStep();
SchemaStep postgresStep(const QString &lockStatement);

// What a file's connection runs as it opens: TEMP triggers that name this
// user and `session` on the side table's new rows.
QStringList sqliteSessionStatements(const QString &session);
// What a server's session runs as it (re)connects.
QStringList postgresSessionStatements(const QString &session);
// Whether the side table and its triggers are there and this user may
// read it: empty when so, otherwise why not, for the steward.
QString sqliteMissing(const QSqlDatabase &db);
QString postgresMissing(const QSqlDatabase &db);

// The operating system user this program runs as.
QString osUser();

// The last change of `row` of `table`, when one is kept. Throws DataError.
std::optional<Change> last(const CaseDatabase &db, const QString &table, qint64 row);

// A server's notice: the changes one statement made.
struct Notice {
    QString session;
    QString table;
    QString kind;
    QDateTime at;
    QString schema; // the case tables' own
    qint64 seq = 0; // the side table's number of the statement's last row
    QString by;
    QList<qint64> rows; // empty with many
    bool many = false;
};
std::optional<Notice> parseNotice(const QString &payload);

// The changes other sessions committed, as they arrive: on a file the side
// table's rows numbered after the last seen, read only when the file's
// data_version says another connection wrote; on a server the notices the
// connection received, and after a lost session was made again the side
// table's rows numbered after the last notice. Changes of the database's own
// session are left out.
class Watch
{
  public:
    // From now on. Throws DataError.
    explicit Watch(const CaseDatabase &db);
    // Nothing new, or what arrived since the last call. Throws DataError.
    QList<Change> poll();

  private:
    QList<Change> readSince(const QString &own);
    // The side table's highest number, 0 when empty.
    qint64 newestSeq() const;

    const CaseDatabase &m_db;
    qint64 m_dataVersion = -1;
    qint64 m_lastSeq = 0;
    QString m_schema;        // on a server
    int m_sessionStarts = 0; // on a server: the session made again after a loss
};

// The text the status bar shows: "Last changed by quill on 09/12/2026
// 14:05", in the system's short forms.
QString describe(const Change &change);

} // namespace ChangeLog
