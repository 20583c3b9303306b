#pragma once

#include <QString>
#include <memory>

class CaseDatabase;
class FindWindow;
class QWidget;
struct CaseForm;

// The Edit menu's Find and what choosing a row of the find window does to
// the main window's record panes.
namespace FindHandlers
{

// Opens the find window (or brings the open one forward) over the case
// database, tied to the form's panes.
FindWindow *mnuEditFind_Click(CaseForm &f, std::shared_ptr<CaseDatabase> db, QWidget *owner);

// Moves the employee pane to that employee, as its own navigation would:
// an edited record is saved first (a refused save leaves everything where
// it was), the boxes load and the pane's events run. The pane then holds
// the employees whose file number begins with fileNumber, as a lookup of
// it would, and the lookup box says so. Returns whether the pane moved.
bool showEmployee(CaseForm &f, qint64 key, const QString &fileNumber);

// Shows the employee a complaint is filed under and turns to the
// grievance page on that complaint.
bool showComplaint(CaseForm &f, qint64 complaintKey, qint64 employeeKey, const QString &fileNumber);

} // namespace FindHandlers
