#pragma once

#include <QString>
#include <memory>

class QWidget;
class RecordSet;
class frmDataGrid;

// The main window's Grid buttons, cmdGrid(0) and cmdGrid(1).
namespace GridHandlers
{

// Opens one more grid window over a record pane's own record set (shared,
// not copied), captioned after the main window, modeless, centred on the
// owner. Fails silently: returns null and leaves no hidden window behind.
frmDataGrid *cmdGrid_Click(std::shared_ptr<RecordSet> paneRecordset, const QString &mainCaption,
                           QWidget *owner);

} // namespace GridHandlers
