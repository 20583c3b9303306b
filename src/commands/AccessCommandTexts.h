#pragma once

// The captions and messages of File > Import from Access Database. %1, %2
// ... are filled in.
namespace AccessCommandTexts
{

inline constexpr const char *ImportAccessItem = "Import from &Access Database...";
inline constexpr const char *Title = "Import from Access Database";
inline constexpr const char *Filter = "Access databases (*.mdb *.accdb);;All files (*)";
inline constexpr const char *Reading = "Reading %1: %2 rows read...";
inline constexpr const char *Importing = "Importing %1: %2 of %3 rows...";

// The dialog.
inline constexpr const char *FileLine = "%1: choose which case table each table goes into.";
inline constexpr const char *TableColumn = "Table";
inline constexpr const char *RowsColumn = "Rows";
inline constexpr const char *TargetColumn = "Goes into";
inline constexpr const char *TargetPrompt = "&Goes into:";
inline constexpr const char *NotImported = "(not imported)";
inline constexpr const char *ColumnColumn = "Column";
inline constexpr const char *FillsColumn = "Fills";
inline constexpr const char *FillsPrompt = "&Fills:";
inline constexpr const char *ByName = "(the field of its name)";
inline constexpr const char *LeftOut = "(left out)";
inline constexpr const char *NotMapped =
    "This table is not imported. Choose the case table it goes into to see its columns "
    "matched.";
inline constexpr const char *NotReadYet = "Reading the file with these choices...";
inline constexpr const char *Plan = "%1 employees and %2 complaints will be added.";
inline constexpr const char *PlanKnown =
    " %1 of the employees have the file number of an employee already there.";
inline constexpr const char *PlanCollisions =
    " %1 of the complaints have a Grievance Number already there or given twice.";

// Questions before writing.
inline constexpr const char *KnownQuestion =
    "%1 of the %2 incoming employees have the file number of an employee already in the case "
    "database (the file may have been imported before). Add them all the same?\n\n"
    "Yes adds every employee, No leaves those %1 out, Cancel imports nothing.";
inline constexpr const char *CollisionsQuestion =
    "%1 incoming complaints have Grievance Numbers that the case database holds already (or "
    "that the file gives twice). Give them new numbers?\n\n"
    "Yes gives them the next free numbers and lists old and new in a file beside the backups; "
    "No imports nothing.";

// Results.
inline constexpr const char *Done = "Added %1 employees and %2 complaints from \"%3\".";
inline constexpr const char *DoneSkipped =
    " Left out %1 employees whose file number was there already.";
inline constexpr const char *DoneRenumbered =
    " Gave %1 complaints new Grievance Numbers; old and new are listed in \"%2\".";
inline constexpr const char *Failed = "Nothing was imported: %1";

} // namespace AccessCommandTexts
