#pragma once

// What the Access reader tells the steward. %1 is the file's name.
namespace AccessTexts
{

inline constexpr const char *NotAccess = "\"%1\" cannot be read as an Access database: %2.";
inline constexpr const char *NoSuchTable = "\"%1\" has no table named \"%2\".";
inline constexpr const char *Damaged = "\"%1\" is damaged: %2. Nothing was imported.";
inline constexpr const char *ReaderMissing =
    "The program that reads Access files (%1) cannot be started: %2.";
inline constexpr const char *Cancelled = "The reading was stopped; nothing was imported.";

// The reasons given in Damaged.
inline constexpr const char *ReaderCrashed = "reading it made the reader fail";
inline constexpr const char *ReaderSilent = "reading it stopped for more than %1 seconds";
inline constexpr const char *ReaderGarbled = "what was read from it makes no sense (%1)";
inline constexpr const char *ReaderCut = "what was read from it ends too early";

} // namespace AccessTexts
