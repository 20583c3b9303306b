#pragma once

// The captions and messages of the File menu's safekeeping commands and of
// the automatic backups, in one place. %1, %2 ... are filled in.
namespace SafeCommandTexts
{

// Menu items, with their access keys (frmMain keeps them unique).
inline constexpr const char *BackUpNowItem = "Back Up &Now...";
inline constexpr const char *ServerBackupsItem = "Automatic Server Bac&kups";
inline constexpr const char *RestoreItem = "&Restore from Backup...";
inline constexpr const char *ExportItem = "&Export...";
inline constexpr const char *ImportItem = "&Import...";

// File dialogs.
inline constexpr const char *BackUpNowTitle = "Back Up Now";
inline constexpr const char *BackupFilter = "Case databases (*.db);;All files (*)";
inline constexpr const char *CsvFilter = "CSV files (*.csv);;All files (*)";
inline constexpr const char *ImportTitle = "Import";
inline constexpr const char *RestoreFileTitle = "Restore from a File";

// Progress dialogs.
inline constexpr const char *BackingUp = "Backing up the case records...";
inline constexpr const char *ReadingBackups = "Reading the backups...";
inline constexpr const char *Restoring = "Restoring the backup...";
inline constexpr const char *ClosingBackup = "Backing up the case records before closing...";
inline constexpr const char *Importing = "Importing into %1: %2 rows read...";

// Results.
inline constexpr const char *BackUpNowDone =
    "The case records were saved to \"%1\": %2 employees and %3 complaints.";
inline constexpr const char *BackUpNowFailed = "The copy was not saved: %1";
inline constexpr const char *BackUpCancelled = "cancelled";
inline constexpr const char *BackUpNowBusy =
    "The copy was not saved: another backup of these records is being written on this "
    "computer. Try again in a moment.";
inline constexpr const char *ServerBackupsOn =
    "Automatic backups of the server are on: a copy is kept each time it is opened.";
inline constexpr const char *ServerBackupsOff = "Automatic backups of the server are off.";
inline constexpr const char *AutomaticBackupFailed = "Backup failed: %1";
inline constexpr const char *ImportDone = "%1 rows were added to %2.";
inline constexpr const char *ImportFailed = "Nothing was imported: %1";
inline constexpr const char *ImportDoneSkipping =
    "%1 rows were added to %2; %3 rows with the file number of an employee already there were "
    "left out.";
inline constexpr const char *ImportKnownRows =
    "%1 of the %2 rows have the file number of an employee already in the case database (the "
    "file may hold records exported from it). Add them all the same?\n\n"
    "Yes adds every row, No leaves those %1 rows out, Cancel imports nothing.";
inline constexpr const char *ImportNoBackup =
    "Nothing was imported: the records now open could not be backed up first (%1).";
inline constexpr const char *KeepingTable = "Saving %1 as it is now: %2 rows written...";
inline constexpr const char *ImportKeptTable =
    "\n\nThe %1 table as it was before the import is kept in \"%2\".";
inline constexpr const char *ImportKeepsNotDeleted =
    "\n\n%1 older copies of the %2 table kept before an import could not be deleted from "
    "\"%3\".";
inline constexpr const char *Surveying = "Reading %1: %2 rows read...";

// Restore.
inline constexpr const char *RestoreTitle = "Restore from Backup";
inline constexpr const char *RestoreNone = "There are no backups of \"%1\" yet.";
inline constexpr const char *RestoreConfirm =
    "Replace the case records now open (%1 employees and %2 complaints) with the backup of "
    "%3 (%4 employees and %5 complaints)? The records now open are backed up first.";
inline constexpr const char *RestoreRefused =
    "The backup was not restored, nothing was changed: %1";
inline constexpr const char *RestoreSameFile =
    "\"%1\" is the case database now open; choose a backup of it.";
inline constexpr const char *RestoreNoCurrentBackup =
    "The backup was not restored, nothing was changed: the records now open could not be "
    "backed up first (%1).";
inline constexpr const char *RestoreUnsaved =
    "The backup was not restored: a record you changed could not be saved.";
inline constexpr const char *RestoreServerConfirm =
    "Replace the case records on the shared server %1 (%2 employees and %3 complaints) with "
    "the backup of %4 (%5 employees and %6 complaints)? Every steward working on the server "
    "sees the restored records. The records now on the server are backed up first.";
inline constexpr const char *RestoreServerKept =
    " The records the server held before are kept in \"%1\".";
inline constexpr const char *RestoreDone =
    "Restored the backup of %1: %2 employees and %3 complaints.";

// A damaged database at start.
inline constexpr const char *DamagedOffer =
    "The case database \"%1\" is damaged and cannot be opened (%2).\n\n"
    "The newest good backup was taken on %3 and holds %4 employees and %5 complaints. "
    "Restore it? The damaged file is kept as \"%6\".";
inline constexpr const char *DamagedKept =
    "Restored the backup of %1. The damaged file was kept as \"%2\".";
inline constexpr const char *DamagedRestoreFailed =
    "The backup could not be put in place (%1). The damaged file is still \"%2\".";
inline constexpr const char *DamagedSuffix = "damaged";
inline constexpr const char *NumberingNotCarried =
    " The complaint numbers it had handed out could not be read (%1): a new complaint may get a "
    "number it already gave.";

// The open database found damaged by a backup.
inline constexpr const char *DamagedOpenOffer =
    "The case database \"%1\" is damaged (%2).\n\n"
    "The newest good backup was taken on %3 and holds %4 employees and %5 complaints. "
    "Restore it? The damaged file is kept as \"%6\".";

// Restore over a database that did not open but is not damaged.
inline constexpr const char *ReplaceUnopened =
    "The case database \"%1\" cannot be opened (%2), but it is not damaged. Put the backup of "
    "%3 in its place? The file is kept as \"%4\".";
inline constexpr const char *ReplacedSuffix = "replaced";
inline constexpr const char *ReplacedKept =
    "Restored the backup of %1. The file that did not open was kept as \"%2\".";

// The restore list's columns.
inline constexpr const char *ColumnTaken = "Taken";
inline constexpr const char *ColumnEmployees = "Employees";
inline constexpr const char *ColumnComplaints = "Complaints";
inline constexpr const char *ColumnState = "State";
inline constexpr const char *StateGood = "Good";
inline constexpr const char *RestoreButton = "&Restore";
inline constexpr const char *OtherFileButton = "&Other File...";

// Export and import choices.
inline constexpr const char *ExportChoiceTitle = "Export";
inline constexpr const char *ExportChoicePrompt = "Export which records to CSV?";
inline constexpr const char *BothTables = "Both";
inline constexpr const char *ImportIntoPrompt = "Import into:";
inline constexpr const char *ImportMatched = "Columns matched: %1";
inline constexpr const char *ImportIgnored = "Columns ignored: %1";
inline constexpr const char *ImportMissing = "Fields left empty: %1";
inline constexpr const char *ImportButton = "&Import";
inline constexpr const char *NoneText = "none";

} // namespace SafeCommandTexts
