#pragma once

#include "support/CaseFixture.h"

#include "browser/DataGrid.h"
#include "browser/GridTableModel.h"
#include "browser/frmDataGrid.h"

#include <QStringList>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// The real main window with grid windows opened through its Grid buttons.
class GridTest : public MainWindowTest
{
  protected:
    void TearDown() override;

    // Presses cmdGrid(page) (turning to the page first) and returns the new window.
    frmDataGrid *openGrid(int page);
    static GridTableModel *model(frmDataGrid *g) { return g->grdDataGrid->gridModel(); }

    // Employees named as given, with file numbers 000001, 000002, ... and
    // department "D" + the name's first letter; returns their rowids.
    QList<qint64> addEmployees(const QStringList &names);
    // Fills Employee with count rows in one statement ("Person 1" ... with
    // file numbers 000001 ...).
    void fillEmployees(int count);

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
    QString employeeName(qint64 rowid);

    // Prompts of the message boxes shown so far.
    QStringList messageTexts() const;
};
