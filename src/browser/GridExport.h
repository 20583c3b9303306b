#pragma once

#include <QString>
#include <QVariantList>

class CaseDatabase;
class QWidget;
class RecordSet;

// Records written to a CSV file the steward names: asked for with a save
// dialog, streamed from the database to the file on a thread of its own behind a
// progress dialog that can be cancelled, and the result told in a message.
namespace GridExport
{

struct Outcome {
    bool written = false;
    bool asked = false; // the steward chose a file (not cancelled at the dialog)
    qint64 rows = 0;
    QString path;
};

// `select` and `params` read the rows (SQLite's dialect) from the database
// file at databasePath; `what` names them to the steward ("Employee").
Outcome toCsv(QWidget *parent, const QString &databasePath, const QString &what,
              const QString &select, const QVariantList &params);

// A whole table of the open case database, on either back end.
Outcome table(QWidget *parent, const CaseDatabase &db, const QString &table);

// What a grid shows: its record set's rows, with its filter and in its order.
Outcome recordset(QWidget *parent, const RecordSet &records);

} // namespace GridExport
