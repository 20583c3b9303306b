#pragma once

#include "browser/DataGrid.h"
#include "browser/GridTableModel.h"
#include "browser/frmDataGrid.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"

#include <QStringList>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// What the grid tests put in the database and do in a grid window, as the
// steward does it, whichever window opened the grid.
namespace GridSteps
{

inline GridTableModel *model(frmDataGrid *g)
{
    return g->grdDataGrid->gridModel();
}

// Employees named as given, with file numbers 000001, 000002, ... and
// department "D" + the name's first letter; returns their rowids.
QList<qint64> addEmployees(TempCaseDb &db, const QStringList &names);
// Fills Employee with count rows in one statement ("Person 1" ... with
// file numbers 000001 ...).
void fillEmployees(TempCaseDb &db, int count);
QString employeeName(TempCaseDb &db, qint64 rowid);

// A column's values in the grid's row order (all stored rows read).
QStringList column(frmDataGrid *g, const QString &field);
int storedRows(frmDataGrid *g);
int columnOf(frmDataGrid *g, const QString &field);

void clickHeader(frmDataGrid *g, const QString &field, Qt::KeyboardModifiers mods = {});
void selectRow(frmDataGrid *g, int row);
// Opens the cell's editor, replaces its text by typing, and leaves the
// editor open (the row is written when it is left).
void typeInCell(frmDataGrid *g, int row, const QString &field, const QString &text);
// Leaves the row being edited with an arrow key, as the steward would.
void pressInEditor(frmDataGrid *g, Qt::Key key);

// Prompts of the message boxes shown so far.
QStringList messageTexts(const ScriptedDialogs &dialogs);

} // namespace GridSteps
