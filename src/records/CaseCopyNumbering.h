#pragma once

#include <QString>
#include <QtGlobal>

class DatabaseBackend;
class QSqlDatabase;

// The numbering of new complaints on both sides of a copy. A Grievance
// Number once handed out is never handed out again, even when its complaint
// was deleted since: the copy carries the higher of the numbering of both
// databases, and never moves either back.
namespace CaseCopyNumbering
{

// The highest number `database` has handed out for `table`'s numbered
// `column`, deleted complaints included; 0 when none. Throws DataError when
// the server does not let this user read its numbering.
qint64 handedOut(const DatabaseBackend &database, const QSqlDatabase &db, const QString &table,
                 const QString &column);

// Makes `database` number new complaints after `highest`, unless it is past
// it already. Throws DataError.
void continueAfter(const DatabaseBackend &database, const QSqlDatabase &db, const QString &table,
                   const QString &column, qint64 highest);

} // namespace CaseCopyNumbering
