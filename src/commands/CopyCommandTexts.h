#pragma once

// The captions and messages of the File menu's commands that move the case
// database to a shared server and back. %1, %2 ... are filled in.
namespace CopyCommandTexts
{

// Menu items, with their access keys (frmMain keeps them unique).
inline constexpr const char *ToServerItem = "&Copy to Shared Server...";
inline constexpr const char *ToFileItem = "Copy to a &File...";

// Questions.
inline constexpr const char *ToServerTitle = "Copy to Shared Server";
inline constexpr const char *ServerPrompt = "Copy the case database to which server?\n\n"
                                            "postgresql://user@server:5432/database";
inline constexpr const char *ReplaceQuestion =
    "The shared database %1 holds %2 employees and %3 complaints now.\n\n"
    "Replace them with the %4 employees and %5 complaints of this computer?";
inline constexpr const char *ToFileTitle = "Copy to a File";
inline constexpr const char *FileFilter = "Case databases (*.db);;All files (*)";
inline constexpr const char *SuggestedFile = "Quillmark.db";

// Progress.
inline constexpr const char *Counting = "Reading the shared database...";
inline constexpr const char *Copying = "Copying the case database: %1 of %2 rows...";

// Results.
inline constexpr const char *NotAServer =
    "\"%1\" is not a server address; it begins with postgresql://.";
inline constexpr const char *FileExists =
    "\"%1\" exists already. The copy goes into a new file only: choose another name.";
inline constexpr const char *CopyFailed = "The case database was not copied.\n\nError:%1";
inline constexpr const char *CopiedToServer =
    "%1 employees and %2 complaints were copied to %3; the checksums match.";
inline constexpr const char *CopiedToFile =
    "%1 employees and %2 complaints were copied to \"%3\"; the checksums match.";

} // namespace CopyCommandTexts
