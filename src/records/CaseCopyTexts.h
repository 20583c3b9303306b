#pragma once

// What the copy between two case databases says when it refuses or fails.
// %1, %2 ... are filled in.
namespace CaseCopyTexts
{

inline constexpr const char *TargetFileExists =
    "\"%1\" exists already; a copy of the case database goes into a new file only.";
inline constexpr const char *TargetFileUncreatable = "The new file \"%1\" cannot be made (%2).";
inline constexpr const char *TargetFileNotMoved =
    "The copy was made but could not be given the name \"%1\" (%2); nothing was kept.";
inline constexpr const char *TargetNotEmpty =
    "%1 holds %2 employees and %3 complaints already; nothing was copied.";
inline constexpr const char *TargetNotCaseDatabase = "%1 is not a case database: the table %2 %3.";
inline constexpr const char *TableMissing = "is missing";
inline constexpr const char *FieldMissing = "has no field \"%1\"";
inline constexpr const char *ValueTooLong =
    "%1: \"%2\" holds %3 characters, more than the %4 the server allows; nothing was copied.";
inline constexpr const char *EmployeeNamed = "The employee \"%1\" (File Number \"%2\")";
inline constexpr const char *ComplaintNumbered = "Grievance Number %1";
inline constexpr const char *CountsDiffer =
    "The copy of %1 was rolled back: %2 rows were read from the original and %3 from the copy.";
inline constexpr const char *ChecksumsDiffer =
    "The copy of %1 was rolled back: its %2 rows differ from the original's (checksums "
    "%3 and %4).";
inline constexpr const char *DeadlineTablesRefused =
    "%1 cannot take the grievance steps and deadlines that go with the complaints; nothing was "
    "copied (%2). The server's administrator starts the program once on it as the tables' "
    "owner, which makes them.";
inline constexpr const char *RowOf = "The row of %1 with %2";
inline constexpr const char *Cancelled = "The copy was cancelled; nothing was copied.";
inline constexpr const char *NumberingRefused =
    "The server does not let this user set the numbering of new complaints, so they would "
    "collide with the copied Grievance Numbers; nothing was copied. A server administrator "
    "runs once: GRANT UPDATE ON SEQUENCE %1 TO %2; (%3)";
inline constexpr const char *NumberingUnreadable =
    "The server does not let this user read the numbering of complaints, so the copy could "
    "hand out Grievance Numbers the server gave already; nothing was copied. A server "
    "administrator runs once: GRANT SELECT ON SEQUENCE %1 TO %2; (%3)";

} // namespace CaseCopyTexts
