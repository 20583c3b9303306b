#pragma once

#include "safekeeping/BackupRotation.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The CSV files a shared server's table is kept in before an import, in
// the per-user Backups folder:
//   "Server quill@db.office 5432 cases before import 2026-12-07 14.05.33 UTC Employee.csv"
//   "... UTC Employee (2).csv" for a second one within the second.
// The server's part of the name is that of its backups (BackupFolder::
// forServer), so that each server and each table has its own and rotates
// its own: never a file's backups, another server's or another table's
// files, nor a file of another name.
class TableKeeps
{
  public:
    TableKeeps(const QString &serverName, const QString &table);

    const QString &folder() const { return m_folder; }
    // Makes the folder (readable by its owner alone) when it is missing.
    bool make(QString *error) const;

    // The path for the table kept at `time`: the first of its names no
    // file has yet.
    QString newPath(const QDateTime &time) const;
    // Reads a name made by newPath(); false for any other name.
    bool parse(const QString &fileName, QDateTime *time, int *sequence) const;

    struct Kept {
        QString path;
        QDateTime time; // UTC
        int sequence = 1;
        qint64 bytes = 0;
    };
    // This server's and table's files, oldest first; only plain files
    // (never a link) under such a name.
    QList<Kept> list() const;

    struct Rotated {
        QStringList deleted;
        QStringList notDeleted; // whose removal failed
    };
    // Deletes those BackupRotation chooses with `policy` at `now`; with
    // no bound on the bytes in the policy, the backups' own bound.
    Rotated rotate(const QDateTime &now, BackupRotation::Policy policy = {}) const;

  private:
    QString m_folder;
    QString m_stem;  // "<server prefix> before import "
    QString m_table; // " <table>"
};
