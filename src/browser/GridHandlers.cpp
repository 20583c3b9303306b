#include "browser/GridHandlers.h"

#include "browser/GridLayout.h"
#include "browser/frmDataGrid.h"

namespace GridHandlers
{

frmDataGrid *cmdGrid_Click(std::shared_ptr<RecordSet> paneRecordset, const QString &mainCaption,
                           QWidget *owner)
{
    auto *grid = new frmDataGrid(owner);
    // Touching the window loads it; a failed load has shown its message and
    // unloaded it.
    if (!grid->ensureLoaded())
        return nullptr;
    if (!paneRecordset) {
        // The pane has nothing to share (its database did not open): an
        // invisible loaded window would only linger until the program ends.
        grid->close();
        return nullptr;
    }
    grid->setRecordset(std::move(paneRecordset));
    grid->setWindowTitle(mainCaption + QString::fromUtf8(GridTexts::GridSuffix));
    grid->centreOnOwner();
    grid->show();
    return grid;
}

} // namespace GridHandlers
