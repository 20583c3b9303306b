#pragma once

#include <QVariantList>
#include <functional>

class QSqlQuery;
class RecordSet;
struct CaseForm;

// What keeps an employee's complaints in view when the file number that
// ties them changes: the question when a saved employee's number changes
// under complaints, and notices on the status bar that never stop a save
// or a delete. The employee pane and a grid window over the employees go
// through the same checks; a check that cannot be made says so on the
// status bar.
namespace FileNumberChecks
{

// Ties the checks to the employee pane's saves.
void watch(CaseForm &f);

// Runs the employee page's Delete command; when it deleted an employee who
// had complaints, says how many remain under the number and where they are.
void cmdDelete_Click(CaseForm &f, const std::function<void()> &deleteCommand);

// Before an employee's stored row (key, in rs) is written with `after`:
// asks when its file number changes under complaints, and returns the work
// the write's transaction must also do (empty: none). The question comes
// before the transaction opens: nothing stays locked while the steward
// thinks.
std::function<void(QSqlQuery &)> beforeUpdate(CaseForm &f, const RecordSet &rs, qint64 key,
                                              const QVariantList &before,
                                              const QVariantList &after);
// After the row was stored (a new one when added).
void afterSave(CaseForm &f, const RecordSet &rs, qint64 key, const QVariantList &before,
               const QVariantList &stored, bool added);
// After the row that held `values` was deleted.
void afterDelete(CaseForm &f, const RecordSet &rs, qint64 key, const QVariantList &values);

} // namespace FileNumberChecks
