#pragma once

#include "app/BackupController.h"

#include <QString>

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

    frmMain &m_window;
    QString m_path;
    BackupController m_backups;
};
