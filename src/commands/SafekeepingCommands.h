#pragma once

#include "safekeeping/CsvImport.h"
#include "safekeeping/TableImport.h"
#include "session/BackendAbilities.h"
#include "session/BackupController.h"

#include <QPointer>
#include <QString>

class CaseSession;
class DataError;
class QWidget;

// The File menu's safekeeping commands on the session's database file
// (Back Up Now, Restore from Backup, Export, Import), and the offer of a
// backup when an automatic one finds the open file damaged.
class SafekeepingCommands
{
  public:
    // `parent`: the window the dialogs are shown over.
    SafekeepingCommands(CaseSession &session, QWidget *parent);

    void backUpNow();
    // The switch for automatic backups of a shared server, kept in the
    // settings; turned on, the first copy is taken at once.
    void setServerBackups(bool on);
    void restore();
    void exportRecords();
    void importRecords();

  private:
    // The same on a shared server: its records to and from case files in
    // the per-user Backups folder, through the copy between the two.
    void backUpServerNow();
    void restoreServer();
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
    CsvImportResult importFile(const QString &path, const QString &table,
                               TableImportOptions options);
    // A server's table as it is before an import, written to a file in the
    // backups folder; false, with the steward told, when it cannot be.
    // Older such files of that server and table are rotated then; those
    // that could not be deleted go to notDeleted.
    bool keepServerTable(const QString &table, QString *kept, QStringList *notDeleted);

    CaseSession &m_session;
    QWidget *m_parent;
    QString m_path;                       // the file the command works on
    QPointer<BackupController> m_watched; // whose damage reports are offered
    bool m_offered = false;               // the damaged database was offered its backup
};
