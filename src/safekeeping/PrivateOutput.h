#pragma once

#include <QFile>
#include <QString>

// A file that takes its name only once it is whole and on the disk: it is
// written under a private name of its own beside the final one
// ("<final>.<tag>.part", readable by its owner alone from its first byte),
// synced, renamed, and the rename synced too. Until then a crash, a kill or
// a full disk leaves at most a .part file, never a cut file under the final
// name; whatever had the final name before stays as it was.
class PrivateOutput
{
  public:
    explicit PrivateOutput(const QString &finalPath);
    ~PrivateOutput(); // removes the part file unless it was committed
    PrivateOutput(const PrivateOutput &) = delete;
    PrivateOutput &operator=(const PrivateOutput &) = delete;

    // Creates the empty part file, for a writer that takes a path (SQLite).
    bool create(QString *error);
    // Creates it and opens it for writing on file().
    bool open(QString *error);
    QFile &file() { return m_file; }

    const QString &partPath() const { return m_partPath; }
    const QString &finalPath() const { return m_finalPath; }

    enum class Replace {
        Never,   // a name already taken is refused (automatic backups)
        Allowed, // the steward chose the name and agreed to replace it
    };
    // Closes the file when open, syncs it, gives it its final name and
    // syncs the folder. On failure the part file is removed.
    bool commit(Replace replace, QString *error);
    // After a failed commit: whether the final name was taken.
    bool nameTaken() const { return m_nameTaken; }
    // Removes the part file (and any journal SQLite left beside it).
    void discard();

    // Whether a file name is one of the part files (or their journals).
    static bool isPartName(const QString &fileName);
    static bool syncFile(const QString &path, QString *error);
    // Whether a path names a database file or one of SQLite's files beside
    // it (-wal, -shm, -journal), however it is spelled (a link, "..").
    // Written over, it would take the records away from under SQLite.
    static bool namesDatabase(const QString &path, const QString &databasePath);
    static bool syncFolder(const QString &folder, QString *error);

  private:
    QString m_finalPath;
    QString m_partPath;
    QFile m_file;
    bool m_created = false;
    bool m_nameTaken = false;
};
