#pragma once

#include "safekeeping/CsvImport.h"
#include "session/BackupController.h"

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

  private:
    // Whether the open database can do it; when not, the steward is told why.
    bool mayRun(Ability ability) const;
    // Follows the session's backups when another database is in use.
    void watchBackups();
    QString currentTable() const;
    void status(const QString &text);
    bool isOpen() const;
    // Restore over a database that did not open: kept aside as damaged
    // only when SQLite finds it so; otherwise only when the steward agrees.
    void replaceUnopened(const QString &chosen, const QString &when, const DataError &why);
    void replaceFile(const QString &chosen, const QString &when, const QString &kept, bool damaged);
    void offerAfterDamage(const QString &problem);
    // The import's file read without writing, or written: in the
    // background, behind a progress dialog that can cancel it.
    CsvImportResult importFile(const QString &path, const QString &table, const QString &skipKnown,
                               bool count);

    CaseSession &m_session;
    QWidget *m_parent;
    QString m_path;                       // the file the command works on
    QPointer<BackupController> m_watched; // whose damage reports are offered
    bool m_offered = false;               // the damaged database was offered its backup
};
