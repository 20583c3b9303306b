#pragma once

#include "caseform/CaseForm.h"

#include <Qt>

class DataError;

// The main window's record handlers: the record commands, the panes'
// events, the lookup by file number, the page switch and the case facts
// editor. Each takes the form's controls it works on.
namespace CaseHandlers
{

// Record commands, Index 0 the employee pane, 1 the grievance pane.
void cmdAdd_Click(CaseForm &f, int Index);
void cmdDelete_Click(CaseForm &f, int Index);
void cmdRefresh_Click(CaseForm &f, int Index);
void cmdUpdate_Click(CaseForm &f, int Index);
void cmdReset_Click(CaseForm &f);

// Events of the record panes.
void Data1_Error(CaseForm &f, int Index, int DataErr, const QString &text, int &Response);
void Data1_Reposition(CaseForm &f, int Index);
void Data1_Validate(CaseForm &f, int Index, int Action, bool &Save);
void Data1_MouseDown(CaseForm &f, int Index);

// Lookup and page switch.
void txtFileNumber_KeyUp(CaseForm &f, int KeyCode, Qt::KeyboardModifiers Shift);
void SSTab2_Click(CaseForm &f, int PreviousTab);
void txtFields_Change(CaseForm &f, int Index);

// The case facts editor.
void txtCaseFacts_Change(CaseForm &f);
// The three stored pieces of a case facts text, as the split writes them.
QStringList splitCaseFacts(const QString &text);
// The room a case facts text takes in its pieces (the editor's limit counts
// this): its length, plus a unit left empty wherever a character of two
// units had to start the next piece.
int caseFactsLength(const QString &text);

// The record sources of the lookup and of one employee's complaints.
QString employeeLookupSource(const QString &typed);
QString complaintsSource(const QString &fileNumber);

// Tells the steward that an operation a handler called failed; the program
// goes on.
void reportFailure(const DataError &e);

} // namespace CaseHandlers
