#include "find/FindHandlers.h"

#include "caseform/CaseForm.h"
#include "caseform/CaseHandlers.h"
#include "caseform/RecordBinder.h"
#include "find/FindWindow.h"
#include "jetsql/DataError.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"

#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>

namespace FindHandlers
{

FindWindow *mnuEditFind_Click(CaseForm &f, std::shared_ptr<CaseDatabase> db, QWidget *owner)
{
    // Find searches an open database only.
    if (!db || !db->isOpen())
        return nullptr;
    // One find window at a time: Ctrl+F again brings it back with its text,
    // and what it lists read anew.
    static QPointer<FindWindow> open;
    if (open && (open->parentWidget() != owner || open->database() != db)) {
        open->close(); // over another database: it goes
        open.clear();
    }
    if (open) {
        open->refresh();
    } else {
        open = new FindWindow(std::move(db), owner);
        QObject::connect(open, &FindWindow::employeeChosen, owner,
                         [&f](qint64 key, const QString &number) { showEmployee(f, key, number); });
        QObject::connect(open, &FindWindow::complaintChosen, owner,
                         [&f](qint64 key, qint64 employee, const QString &number) {
                             showComplaint(f, key, employee, number);
                         });
    }
    open->show();
    open->raise();
    open->activateWindow();
    open->searchBox()->setFocus(Qt::OtherFocusReason);
    open->searchBox()->selectAll();
    return open;
}

namespace
{

const QString EveryEmployee = QStringLiteral("SELECT * FROM Employee");

// Rebuilds the employee pane from source and stands on key (on its first
// record when key is -1). False when key is not among the rows.
bool openOn(RecordBinder *pane, const QString &source, qint64 key)
{
    pane->setRecordSource(source);
    pane->refresh();
    if (key < 0 || (pane->rs()->hasCurrent() && pane->rs()->bookmark() == key))
        return true;
    try {
        pane->setBookmark(key);
    } catch (const DataError &e) {
        if (e.number() != DataErrors::NoCurrentRecord)
            throw;
        return false;
    }
    return true;
}

} // namespace

bool showEmployee(CaseForm &f, qint64 key, const QString &fileNumber)
{
    RecordBinder *pane = f.Data1[0];
    if (!pane->rs())
        return false;
    if (f.SSTab2->currentIndex() != 0)
        f.SSTab2->setCurrentIndex(0);
    const QString before = pane->recordSource();
    try {
        if (key >= 0 && pane->rs()->rowOfKey(key) >= 0) {
            pane->setBookmark(key);
            return true;
        }
        // A file number holding a pattern character ([, *) may not find
        // itself as a lookup: then the whole table is the pane's set.
        if (!fileNumber.isEmpty() &&
            openOn(pane, CaseHandlers::employeeLookupSource(fileNumber), key)) {
            f.txtFileNumber->setText(fileNumber);
            f.lookupText = fileNumber;
            return true;
        }
        const bool found = openOn(pane, EveryEmployee, key);
        f.txtFileNumber->setText(QString());
        f.lookupText = QString();
        return found;
    } catch (const DataError &e) {
        // The edited record could not be saved (or the source not read):
        // the pane keeps what the steward typed and its source.
        pane->setRecordSource(before);
        CaseHandlers::reportFailure(e);
        return false;
    }
}

bool showComplaint(CaseForm &f, qint64 complaintKey, qint64 employeeKey, const QString &fileNumber)
{
    // A complaint filed under no employee's number has no employee to show.
    if (employeeKey < 0 || !showEmployee(f, employeeKey, fileNumber))
        return false;
    if (f.txtFields[CaseFields::FileNumber]->text().compare(fileNumber, Qt::CaseInsensitive) != 0)
        return false;
    f.SSTab2->setCurrentIndex(1); // the page switch loads this employee's complaints
    RecordBinder *grievances = f.Data1[1];
    if (f.SSTab2->currentIndex() != 1 || !grievances->rs())
        return false;
    try {
        if (grievances->rs()->hasCurrent() && grievances->rs()->bookmark() == complaintKey)
            return true;
        grievances->setBookmark(complaintKey);
    } catch (const DataError &e) {
        CaseHandlers::reportFailure(e);
        return false;
    }
    return true;
}

} // namespace FindHandlers
