#pragma once

#include <QString>

class CaseDatabase;

// What the steward can do on the case database that is open, in one table
// for both back ends: the menus switch a command off with the reason as its
// tooltip, and the commands ask before they start.
enum class Ability {
    Find,          // Edit > Find
    BackUpNow,     // File > Back Up Now
    ServerBackups, // File > Automatic Server Backups (a switch)
    Restore,       // File > Restore from Backup
    Export,        // File > Export
    Import,        // File > Import
    AccessImport,  // File > Import from Access Database
    CopyToServer,  // File > Copy to Shared Server
    CopyToFile,    // File > Copy to Database File
    ChangeNotices, // the status bar's who changed the record, others' changes as they come
};

class BackendAbilities
{
  public:
    // For `db` as it is now; null is no database at all.
    static BackendAbilities of(const CaseDatabase *db);

    bool can(Ability ability) const { return whyNot(ability).isEmpty(); }
    // Why the command is off, in words for its tooltip; empty when it is on.
    QString whyNot(Ability ability) const;

  private:
    bool m_none = true;
    bool m_onFile = false;
    bool m_open = false;
    QString m_changeLog; // why the change log cannot be read
};
