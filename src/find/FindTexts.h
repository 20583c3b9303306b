#pragma once

// The texts of the find window and of the file-number checks.
namespace FindTexts
{

inline constexpr const char *WindowTitle = "Find";
inline constexpr const char *SearchLabel = "&Find:";
inline constexpr const char *EmployeesTab = "&Employees";
inline constexpr const char *ComplaintsTab = "&Complaints";
inline constexpr const char *StrandedTab = "Complaints &without an employee";
inline constexpr const char *EmployeeColumns[] = {"Name", "File Number", "Department",
                                                  "Complaints"};
inline constexpr const char *ComplaintColumns[] = {"File Number", "Employee", "Remedy Sought",
                                                   "Contract Provinsions", "Case Facts"};
inline constexpr const char *StrandedColumns[] = {"File Number", "Case Facts"};
inline constexpr const char *NoEmployee = "(no employee)";
inline constexpr const char *NoFileNumber = "(none)";

inline constexpr const char *TypeToFind =
    "Type part of a name, file number or department, or a word of a complaint.";
inline constexpr const char *ShortText =
    "Names, file numbers and departments that begin with what you typed. Type three characters "
    "or more to find them anywhere, and to search the complaints.";
inline constexpr const char *MoreThanListed =
    "Only the first %1 of each are listed: type more to narrow the search.";
inline constexpr const char *ServerScans =
    "Find is slow on this server until its administrator adds the search indexes (see README).";
inline constexpr const char *SearchFailed = "The search failed: %1";
inline constexpr const char *StrandedNote =
    "Complaints filed under a file number that no employee has. Select one and change its file "
    "number to file it with its employee.";
inline constexpr const char *StrandedMore = "Only the first %1 are listed.";
inline constexpr const char *NoneStranded = "Every complaint belongs to an employee.";
inline constexpr const char *NoLongerStranded =
    "That complaint is not listed here: it was changed, deleted or filed with an employee since "
    "it was found.";
inline constexpr const char *ChangeButton = "C&hange File Number...";
inline constexpr const char *CloseButton = "Cl&ose";
inline constexpr const char *ChangePrompt =
    "File Number for this complaint (use all 6 digits including leading zeros):";
inline constexpr const char *ChangeTitle = "Change File Number";
inline constexpr const char *Changed = "The complaint is now filed under %1%2.";

// The status bar while a file from before Find gets its index.
inline constexpr const char *IndexStarting = "Preparing Find...";
inline constexpr const char *IndexProgress = "Preparing Find: %1%";
inline constexpr const char *IndexFailed = "Find is slower: its index could not be made";

// Words of the case facts a list shows.
inline constexpr int FactsWords = 12;

inline constexpr const char *RenumberQuestion =
    "Move the %1 complaints filed under %2 to %3 as well?";
// The old number is another employee's too: the complaints under it may be
// theirs, and No leaves them with them.
inline constexpr const char *RenumberShared =
    "File Number %2 is also %4: the %1 complaints filed under it may be theirs. Move all %1 to "
    "%3 as well? No leaves them under %2.";
inline constexpr const char *GrievanceNotSaved =
    "The complaint on the Grievance Information page could not be saved first, so File Number "
    "%1 was not changed: %2";
inline constexpr const char *CheckFailed = "The file number check could not be made: %1";
inline constexpr const char *DuplicateNumber = "File Number %1 is also %2's.";
inline constexpr const char *NotSixDigits =
    "File Number %1 is not six digits: use all 6 digits including leading zeros, as in 000123.";
inline constexpr const char *LeftBehind =
    "%1 complaints remain under File Number %2: find them with Edit, Find..., \"Complaints "
    "without an employee\".";
inline constexpr const char *LeftWithOther = "%1 complaints remain under File Number %2, now %3's.";

} // namespace FindTexts
