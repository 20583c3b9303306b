#pragma once

#include "app/BackupController.h"
#include "safekeeping/CsvImport.h"

#include <QString>

class DataError;
class frmMain;

// The File menu's safekeeping commands on the main window's case database
// (Back Up Now, Restore from Backup, Export, Import) and its automatic
// backups.
class SafekeepingCommands
{
  public:
    SafekeepingCommands(frmMain &window, const QString &databasePath);

    BackupController &backups() { return m_backups; }

    void backUpNow();
    void restore();
    void exportRecords();
    void importRecords();
    // Waits for a backup still running and takes the closing one.
    void backUpBeforeClosing();

  private:
    QString currentTable() const;
    void status(const QString &text);
    bool isOpen() const;
    // Lets go of the database file before another takes its place.
    void release();
    // Restore over a database that did not open: kept aside as damaged
    // only when SQLite finds it so; otherwise only when the steward agrees.
    void replaceUnopened(const QString &chosen, const QString &when, const DataError &why);
    void replaceFile(const QString &chosen, const QString &when, const QString &kept, bool damaged);
    void offerAfterDamage(const QString &problem);
    // The import's file read without writing, or written: in the
    // background, behind a progress dialog that can cancel it.
    CsvImportResult importFile(const QString &path, const QString &table, const QString &skipKnown,
                               bool count);

    frmMain &m_window;
    QString m_path;
    BackupController m_backups;
    bool m_inCommand = false; // a command is taking its own backup
    bool m_offered = false;   // the damaged database was offered its backup
};
