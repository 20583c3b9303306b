#pragma once

#include <functional>

struct CaseForm;

// What keeps an employee's complaints in view when the file number that
// ties them changes: the question when a saved employee's number changes
// under complaints, and notices on the status bar that never stop a save
// or a delete.
namespace FileNumberChecks
{

// Ties the checks to the employee pane's saves.
void watch(CaseForm &f);

// Runs the employee page's Delete command; when it deleted an employee who
// had complaints, says how many remain under the number and where they are.
void cmdDelete_Click(CaseForm &f, const std::function<void()> &deleteCommand);

} // namespace FileNumberChecks
