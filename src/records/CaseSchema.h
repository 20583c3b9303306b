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

} // namespace CaseSchema
