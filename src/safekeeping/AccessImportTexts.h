#pragma once

// What the import from an Access file tells the steward. %1, %2 ... are
// filled in.
namespace AccessImportTexts
{

inline constexpr const char *InTable = "Table \"%1\": %2";
inline constexpr const char *NoCaseTables =
    "\"%1\" has no tables named Employee or Complaints; choose which of its tables (%2) go "
    "into which case table.";
inline constexpr const char *NotACaseTable =
    "\"%1\" is not a case table; the tables are Employee and Complaints.";
inline constexpr const char *BinaryColumn =
    "the column \"%1\" holds pictures or other binary data, which no field can hold.";
inline constexpr const char *ValueCut =
    "Row %1: the value of \"%2\" is more than 65,536 bytes long; at most %3 characters fit.";
inline constexpr const char *BadNumber =
    "Row %1: the Grievance Number \"%2\" is not a whole number above 0.";
inline constexpr const char *KnownEmployees =
    "%1 of the %2 incoming employees have the file number of an employee the case database "
    "holds already; nothing was imported.";
inline constexpr const char *Collisions =
    "%1 incoming complaints have Grievance Numbers that the case database holds already (or "
    "that the file gives twice); nothing was imported.";
inline constexpr const char *ChangedMeanwhile =
    "The case database or the file changed while the import was being prepared; nothing was "
    "imported. Start the import again.";
inline constexpr const char *NoBackup =
    "No backup could be taken before the import (%1); nothing was imported.";
inline constexpr const char *ServerNotBackedUp =
    "The shared server's records were not backed up first: this version backs up a file only. "
    "A backup the server's administrator takes (pg_dump) undoes the import.";
inline constexpr const char *ReportFailed =
    "The list of the new Grievance Numbers cannot be written to \"%1\" (%2); nothing was "
    "imported.";
inline constexpr const char *ReportHeader = "Old Grievance Number,New Grievance Number\r\n";
inline constexpr const char *Cancelled = "The import was stopped; nothing was imported.";

} // namespace AccessImportTexts

// The import from the command line, for an administrator moving an office.
namespace AccessImportTexts
{

inline constexpr const char *ConsoleReading = "Reading \"%1\" (%2) into %3.\n";
inline constexpr const char *ConsolePlan =
    "  %1 <- \"%2\": %3 rows; fields filled: %4; columns left out: %5\n";
inline constexpr const char *ConsoleNone = "none";
inline constexpr const char *ConsoleKnownHint =
    " Run again with --skip-known-employees to leave them out, or with --add-known-employees "
    "to add them as well.";
inline constexpr const char *ConsoleCollisionsHint =
    " Run again with --renumber-collisions to give them new numbers (old and new are listed "
    "in a file beside the backups).";
inline constexpr const char *ConsoleBackup = "Backed up first to \"%1\".\n";
inline constexpr const char *ConsoleBackupUnchanged =
    "The newest backup already holds the records as they were; no new one was needed.\n";
inline constexpr const char *ConsoleAdded = "Added %1 employees and %2 complaints.\n";
inline constexpr const char *ConsoleSkipped =
    "Left out %1 employees whose file number was there already.\n";
inline constexpr const char *ConsoleRenumbered =
    "Gave %1 complaints new Grievance Numbers; old and new are listed in \"%2\".\n";

} // namespace AccessImportTexts
