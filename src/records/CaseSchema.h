#pragma once

#include <QString>
#include <QStringList>

// The two tables of the case database and the map from the main window's
// bound boxes txtFields(0..21) to their fields.
namespace CaseSchema {

struct Column {
    const char *name;
    int length; // the box's limit; 0 for the automatically numbered key
};

struct BoundField {
    int index;           // txtFields index
    int pane;            // 0 employee pane, 1 grievance pane
    const char *field;   // field name as stored
    const char *caption; // lblLabels caption
    int maxLength;       // 0: no limit
    bool shown;
    int left, top, width; // twips, box position on its tab page
    int tabIndex;
    int labelWidth;
};

extern const char *const EmployeeTable;
extern const char *const ComplaintsTable;

const QList<Column> &employeeColumns();
const QList<Column> &complaintsColumns();
const BoundField &boundField(int index);
constexpr int BoundFieldCount = 22;

} // namespace CaseSchema
