#pragma once

#include <QByteArray>
#include <QString>

// What tells, without reading a single record, whether a case database
// file may have changed since a backup was taken of it.
//
// SQLite offers no counter that does this across programs and restarts:
// PRAGMA data_version speaks only of one open connection, and the change
// counter in the file's header is not moved by commits in WAL mode. So the
// fingerprint is taken from the files themselves:
//  - the database file: its identity (device, inode), size, modification
//    time and the header's change counter and page count, which change with
//    every commit in rollback mode and every checkpoint in WAL mode;
//  - the -wal file, when it holds anything: its size, modification time
//    and its 32-byte header. A commit in WAL mode either appends frames
//    (the size grows) or starts the log over, which writes a new header
//    with new salt values; so no commit leaves all three as they were.
// An empty or missing -wal file means the same thing (everything is in
// the database file), so that a program opening the file (which makes an
// empty -wal) and closing it (which removes it) changes nothing here.
//
// The fingerprint is taken before a backup starts: a commit made after it
// is either in the backup or changes the fingerprint, so a later equal
// fingerprint never hides a change that the backup lacks. At worst a
// checkpoint makes one backup more than needed.
class SourceFingerprint
{
  public:
    static SourceFingerprint of(const QString &databasePath);

    bool isValid() const { return !m_text.isEmpty(); }
    const QByteArray &toText() const { return m_text; }
    static SourceFingerprint fromText(const QByteArray &text);

    bool operator==(const SourceFingerprint &other) const
    {
        return isValid() && m_text == other.m_text;
    }
    bool operator!=(const SourceFingerprint &other) const { return !(*this == other); }

  private:
    QByteArray m_text; // one line, no spaces
};
