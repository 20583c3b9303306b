#pragma once

#include "session/BackendAbilities.h"
#include "session/BackupController.h"
#include "session/ChangeNotices.h"

#include <QList>
#include <QObject>
#include <QScopedValueRollback>
#include <memory>

class CaseDatabase;
class DataError;
class RecordBinder;
class SessionPrompts;

// The case database the program works on and what stands between it and
// the windows: the two record panes' binders (the window builds them), the
// automatic backups of a database file, what the open back end can do,
// and the moves from one database to another. The commands work through
// it; the window listens to its signals.
class CaseSession : public QObject
{
    Q_OBJECT
  public:
    explicit CaseSession(SessionPrompts *prompts = nullptr, QObject *parent = nullptr);
    ~CaseSession() override;

    // The one place a case database is made (not opened yet): a server
    // that wants a password asks through the prompts, at open and when a
    // lost connection is made again, and is given the one it took earlier.
    static std::shared_ptr<CaseDatabase> makeDatabase(const QString &location,
                                                      SessionPrompts *prompts);
    std::shared_ptr<CaseDatabase> makeDatabase(const QString &location) const
    {
        return makeDatabase(location, m_prompts);
    }
    SessionPrompts *prompts() const { return m_prompts; }

    // The panes that show the records, employee first.
    void setPanes(const QList<RecordBinder *> &panes) { m_panes = panes; }
    // The page the window shows (0 employees, 1 grievances).
    void setCurrentPage(int page)
    {
        m_page = page;
        m_changes.setCurrentPage(page);
    }
    int currentPage() const { return m_page; }

    const std::shared_ptr<CaseDatabase> &database() const { return m_db; }
    bool isOpen() const;
    BackendAbilities abilities() const { return BackendAbilities::of(m_db.get()); }
    bool can(Ability ability) const { return abilities().can(ability); }
    QString whyNot(Ability ability) const { return abilities().whyNot(ability); }
    // The backups of the records open: of a database file, or of a shared
    // server's records into case files in the per-user Backups folder.
    BackupController *backups() const { return m_backups.get(); }
    // Who changed the records shown, and the other stewards' changes as
    // they come.
    ChangeNotices &changeNotices() { return m_changes; }

    // Whether the backup taken as a database is opened is taken on a shared
    // server too. Off unless the steward turns it on: the administrator's
    // own backups of the server are the office's main ones. Kept with the
    // program's settings.
    static bool automaticServerBackups();
    static void setAutomaticServerBackups(bool on);

    // Works on `db` (`failure`: why it did not open), the panes on it;
    // databaseChanged follows.
    void attach(std::shared_ptr<CaseDatabase> db, const DataError *failure = nullptr);
    // Saves what the steward changed on either pane. False when a save was
    // refused (the steward was told; the boxes keep what was typed).
    bool saveEditedRecords();
    // Opens the database anew and shows both panes' records: its records
    // were replaced or added to by another connection.
    void reload();
    // Works on `db` (opened) from now on: the windows close or rebind, the
    // file left behind is kept as closing keeps it, the panes show the
    // records of `db`. Save the edited records first.
    void use(std::shared_ptr<CaseDatabase> db);
    // Lets go of the database before another file takes its place: the
    // background backup stops, the edits are saved, the windows let go,
    // the connection closes. reload() opens what is there then.
    void release();

    // A backup of the records now open, waited for: before a restore or an
    // import replaces or adds to them.
    KeeperResult backUpBeforeReplace();
    // The backup taken as the database was opened, in the background.
    void startBackups();
    // Waits for a backup still running and takes the closing one (of the
    // file as the program leaves it).
    void backUpBeforeClosing();
    // Backups whose damage the command taking them handles itself, for as
    // long as the value returned lives.
    [[nodiscard]] QScopedValueRollback<bool> quietBackups()
    {
        return QScopedValueRollback<bool>(m_quiet, true);
    }
    bool backupsQuiet() const { return m_quiet; }

    // A line for the status bar.
    void tell(const QString &text) { Q_EMIT status(text); }

  Q_SIGNALS:
    void status(const QString &text);
    // The records the windows show are about to be replaced by another
    // database or file: the other windows close, background work on the
    // records stops.
    void aboutToReplaceRecords();
    // The same database is about to be opened anew: background work on it
    // stops.
    void aboutToReopen();
    // Another database, or the same one opened anew, is in use.
    void databaseChanged();

  private:
    void openPanes(const DataError *failure);
    // The backup as the database opens: always on a file, on a server when
    // the setting says so.
    bool backsUpAtOpen() const;

    SessionPrompts *m_prompts;
    std::shared_ptr<CaseDatabase> m_db;
    QList<RecordBinder *> m_panes;
    int m_page = 0;
    std::unique_ptr<BackupController> m_backups;
    bool m_quiet = false;
    ChangeNotices m_changes;
};
