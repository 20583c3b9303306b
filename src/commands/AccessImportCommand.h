#pragma once

#include "safekeeping/BackupKeeper.h"

#include <QString>
#include <functional>

class CaseSession;
class DatabaseBackend;
class QWidget;

// File > Import from Access Database: an old Access file's records brought
// into the open case database, file or server alike. The file is read in
// the background behind a progress dialog with Cancel; the steward sees its
// tables, chooses where each goes and answers for employees already there
// and Grievance Numbers already taken; the records now open are backed up
// first (a file's: Restore undoes the import), then every row is added or
// none.
class AccessImportCommand
{
  public:
    struct Hooks {
        std::function<bool()> saveEdited;     // false: the command stops
        std::function<KeeperResult()> backUp; // a file's backup first; empty on a server
        std::function<void()> reload;         // the windows read the records anew
        std::function<void(const QString &)> status;
    };

    AccessImportCommand(QWidget *parent, const DatabaseBackend &database, Hooks hooks);
    // On the session's database: its edited records saved first, a file's
    // backup taken, the panes reading the records anew after.
    AccessImportCommand(QWidget *parent, CaseSession &session);

    // Asks for the file, then as importFile.
    void run();
    void importFile(const QString &path);

  private:
    QWidget *m_parent;
    const DatabaseBackend &m_database;
    Hooks m_hooks;
};
