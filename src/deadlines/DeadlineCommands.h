#pragma once

#include "deadlines/DeadlinesWindow.h"
#include "records/DeadlineStore.h"

#include <QDate>
#include <QKeySequence>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class CaseDatabase;
class QWidget;
class StepsWindow;
class TimeLimitsWindow;

// What the menus and the grievance page's button run: each opens its window
// over the case database it is given, or says why it cannot (a database
// that did not open, a server without the deadline tables).
namespace DeadlineCommands
{

// Edit, Deadlines: works from inside any text box, where Ctrl+D would
// delete a character instead.
QKeySequence deadlinesShortcut();

// Edit, Time Limits...: a window of its own at a time.
TimeLimitsWindow *openTimeLimits(std::shared_ptr<CaseDatabase> db, QWidget *owner);

// Edit, Deadlines: one list at a time; asked again, it comes forward and
// reads the list anew.
DeadlinesWindow *openDeadlines(std::shared_ptr<CaseDatabase> db, DeadlinesWindow::Hooks hooks,
                               QWidget *owner);

// Steps and Deadlines... of the complaint on the grievance page.
// `saveAndRead` saves the page's edited complaint first, as its navigator
// would, and hands back the complaint as the page shows it (its date boxes
// as they stand); nothing when that was refused (and said) or the page
// holds no complaint. The deadlines list, when open, reads anew after a
// save.
StepsWindow *openSteps(std::shared_ptr<CaseDatabase> db,
                       const std::function<std::optional<ComplaintFacts>()> &saveAndRead,
                       QWidget *owner);

// The one status-bar notice at start: how many deadlines are overdue or due
// within 3 working days, and how to open the list; empty when none are, or
// the database has no deadline tables. Throws nothing: a failed read is
// said in the notice.
QString startupNotice(const CaseDatabase &db, QDate today = QDate::currentDate());

} // namespace DeadlineCommands
