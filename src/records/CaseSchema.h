#pragma once

#include "records/CaseFields.h"

#include <QString>
#include <QStringList>

// The two tables of the case database and the stored field behind each of
// the case's named fields.
namespace CaseSchema
{

struct Column {
    const char *name;
    int length; // the box's limit; 0 for the automatically numbered key
};

extern const char *const EmployeeTable;
extern const char *const ComplaintsTable;

const QList<Column> &employeeColumns();
const QList<Column> &complaintsColumns();

// The table a pane edits.
const char *tableOf(CaseFields::Pane pane);
// A field's name as stored, in the table of its pane.
const char *fieldName(CaseFields::Field field);
// The longest text the field holds; 0 for the automatically numbered key.
int fieldLength(CaseFields::Field field);

// The columns as CREATE TABLE lists them, in an engine's words: the
// numbered key as `numberedKey`, each text column as `textOfLength` with
// its length for %1.
QString columnDefinitions(const QList<Column> &columns, const QString &numberedKey,
                          const QString &textOfLength);

} // namespace CaseSchema
