#pragma once

#include "browser/GridSteps.h"
#include "caseform/NavigatorBar.h"
#include "caseform/RecordBinder.h"
#include "platform/TextBox.h"
#include "support/CaseFormHost.h"

#include <memory>

// Grid windows opened over the record panes' record sets as the main
// window's Grid buttons open them, from the panes of a CaseFormHost shown
// on screen over a fresh database; scripted dialogs answer every message.
class GridTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the panes on the database and shows them; fill the database
    // first when needed.
    void start();

    TextBox *field(int i) { return host->field(i); }
    RecordBinder *pane(int i) { return host->pane(i); }
    NavigatorBar *bar(int i) { return host->bar(i); }
    void typeInto(TextBox *box, const QString &text); // real key events
    void clickTab(int page);

    // Opens a grid window on the pane's record set (turning to the page
    // first) and returns it.
    frmDataGrid *openGrid(int page);
    static GridTableModel *model(frmDataGrid *g) { return GridSteps::model(g); }

    QList<qint64> addEmployees(const QStringList &names)
    {
        return GridSteps::addEmployees(db, names);
    }
    void fillEmployees(int count) { GridSteps::fillEmployees(db, count); }
    QString employeeName(qint64 rowid) { return GridSteps::employeeName(db, rowid); }
    static QStringList column(frmDataGrid *g, const QString &field)
    {
        return GridSteps::column(g, field);
    }
    static int storedRows(frmDataGrid *g) { return GridSteps::storedRows(g); }
    static int columnOf(frmDataGrid *g, const QString &field)
    {
        return GridSteps::columnOf(g, field);
    }
    static void clickHeader(frmDataGrid *g, const QString &field, Qt::KeyboardModifiers mods = {})
    {
        GridSteps::clickHeader(g, field, mods);
    }
    static void selectRow(frmDataGrid *g, int row) { GridSteps::selectRow(g, row); }
    static void typeInCell(frmDataGrid *g, int row, const QString &field, const QString &text)
    {
        GridSteps::typeInCell(g, row, field, text);
    }
    static void pressInEditor(frmDataGrid *g, Qt::Key key) { GridSteps::pressInEditor(g, key); }
    QStringList messageTexts() const { return GridSteps::messageTexts(dialogs); }

    TempCaseDb db;
    ScriptedDialogs dialogs;
    // The panes and the window that opens the grids (titled as the main
    // window is).
    std::unique_ptr<CaseFormHost> host = std::make_unique<CaseFormHost>();
};
