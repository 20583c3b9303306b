#pragma once

#include <QString>

class QFile;

// Files and folders that hold the steward's cases (the database, print-outs,
// copies of either) are made readable by their owner alone, whatever the
// umask says, and from the moment they exist: created with their final
// rights, never widened first and narrowed later.
//
// What already exists is left as it is: the rights of a file or folder the
// program did not create are the steward's decision.
namespace PrivateFiles
{

constexpr unsigned FolderMode = 0700;
constexpr unsigned FileMode = 0600;

// Makes the folder and every missing folder above it, each with FolderMode.
// True when the path is a folder afterwards (made now or before); otherwise
// false with the cause in `error`.
bool makeFolder(const QString &path, QString *error = nullptr);

// Creates a new file with FileMode and opens it on `file` for writing.
// Fails, touching nothing, when anything (a file, a folder, a link) already
// has that name; the system's reason (e.g. "File exists") is then in
// `error`, for a message that names the file as the steward knows it.
bool openNew(QFile &file, const QString &path, QString *error = nullptr);

// openNew, closed again: an empty private file that a writer taking a path
// (a PDF printer, SQLite) then fills, keeping its rights.
bool createFile(const QString &path, QString *error = nullptr);

// Whether other users of this computer can read the file, as far as its
// rights and those of the folders above it tell: read for others (or for a
// group the owner shares with others), and a way in through every folder.
bool readableByOthers(const QString &path);

} // namespace PrivateFiles
