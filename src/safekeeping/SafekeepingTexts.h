#pragma once

// What the safekeeping jobs tell the steward, in one place. %1, %2 ... are
// filled in by the job (a file name, a row number, the system's reason).
namespace SafekeepingTexts
{

// A file offered as a case database (a backup, a file to restore).
inline constexpr const char *FileMissing = "The file \"%1\" does not exist.";
inline constexpr const char *FileEmpty = "\"%1\" is empty: it holds no case records.";
inline constexpr const char *FileUnreadable = "\"%1\" cannot be read (%2).";
inline constexpr const char *FileNotDatabase = "\"%1\" is damaged or is not a case database (%2).";
inline constexpr const char *FileDamaged = "\"%1\" is damaged (%2).";
inline constexpr const char *TableMissing =
    "\"%1\" is not a case database: the table %2 is missing.";
inline constexpr const char *FieldMissing =
    "\"%1\" is not a case database: the table %2 has no field \"%3\".";
inline constexpr const char *FileCut = "\"%1\" is damaged: the file ends before its last page.";

// Backups and exports.
inline constexpr const char *TargetIsDatabase =
    "\"%1\" is the case database itself; choose another file.";
inline constexpr const char *BackupFolderFailed = "The backup folder \"%1\" cannot be used (%2).";
inline constexpr const char *BackupSourceFailed = "The case database \"%1\" cannot be read (%2).";
inline constexpr const char *BackupWriteFailed = "The backup \"%1\" cannot be written (%2).";
inline constexpr const char *BackupCheckFailed = "The backup \"%1\" failed its check: %2";
inline constexpr const char *BackupNameTaken =
    "The backup \"%1\" was not saved: the name is taken.";
inline constexpr const char *BackupCancelled = "The backup was stopped before it was finished.";
inline constexpr const char *SourceDamaged = "The case database \"%1\" is damaged (%2).";
inline constexpr const char *BackupBusy = "Another backup of this database is running.";

// Restore.
inline constexpr const char *RestoreCopyFailed =
    "The backup \"%1\" cannot be copied for the restore (%2); nothing was changed.";
inline constexpr const char *RestoreWriteFailed =
    "The case database \"%1\" was not changed: the backup cannot be written into it (%2).";

// Export.
inline constexpr const char *ExportReadFailed = "The records cannot be read (%1).";
inline constexpr const char *ExportWriteFailed = "\"%1\" cannot be written (%2).";
inline constexpr const char *ExportCancelled = "The export was stopped; no file was written.";

// Import.
inline constexpr const char *ImportUnreadable = "The file cannot be read (%1).";
inline constexpr const char *ImportEmpty = "The file is empty: it has no header row.";
inline constexpr const char *ImportNothingMatches =
    "None of the file's columns matches a field (the file has: %1).";
inline constexpr const char *ImportDuplicateColumn =
    "The column \"%1\" appears twice in the header.";
inline constexpr const char *ImportBadCsv = "Row %1 is not valid CSV (%2).";
inline constexpr const char *ImportFieldCount = "Row %1 has %2 values; the header has %3.";
inline constexpr const char *ImportTooLong =
    "Row %1: the value of \"%2\" is %3 characters long; at most %4 fit.";
inline constexpr const char *ImportNotUtf8 =
    "Row %1: the value of \"%2\" is not UTF-8 text. Save the file as CSV in UTF-8.";
inline constexpr const char *ImportNul =
    "Row %1: the value of \"%2\" holds a NUL character, which no field can hold.";
inline constexpr const char *ImportHugeValue =
    "Row %1 holds a value of more than %2 bytes; it is not a file of case records.";
inline constexpr const char *ImportRefused = "Row %1 was not added (%2).";
inline constexpr const char *ImportDatabaseFailed =
    "The case database \"%1\" cannot be written (%2); no row was added.";
inline constexpr const char *ImportKnownSince =
    "an employee with its %1 was saved since the rows were counted; import the file again to "
    "be asked about it";
inline constexpr const char *ImportCancelled = "The import was stopped; no row was added.";

} // namespace SafekeepingTexts
