#pragma once

#include <QString>
#include <memory>
#include <optional>

class CaseDatabase;
class CaseSession;
class DatabaseBackend;
class QWidget;

// Which case database the program works on: the command line's, then
// QUILLMARK_DATABASE's, then the one the steward chose with File > Choose
// Database (kept in the settings store), then the per-user file. A server
// that wants a password asks the steward for it; the password lives in
// memory for the session and is never written anywhere.
namespace DatabaseChoice
{

enum class DecidedBy { CommandLine, Environment, Stored, Default };

struct Start {
    QString location;
    DecidedBy decidedBy = DecidedBy::Default;
};

// The database to open at start, given the --database value (or empty).
Start atStart(const QString &commandLineDatabase);
// What decided the database of this session (the start procedure sets it).
DecidedBy sessionDecidedBy();
void setSessionDecidedBy(DecidedBy decidedBy);

// The steward's choice in the settings store; empty when none was made.
QString stored();
void store(const QString &location);

// A case database for `location`, not opened yet, whose server asks the
// steward for a password in the password box when it wants one (at open
// and when a lost connection is made again). A password the server took is
// given again to later databases on the same server in this session.
// Made by CaseSession::makeDatabase, as every case database is.
std::shared_ptr<CaseDatabase> caseDatabase(const QString &location);

// The password the server at `location` took in this session, if one did.
std::optional<QString> knownPassword(const QString &location);
// The password box for `server` (at `location`); what the steward typed is
// kept for the session. False when cancelled.
bool promptPassword(const QString &location, const QString &server, const QString &reason,
                    bool refused, QString &password);

// Gives `backend` the password its server took earlier in this session,
// if one did.
void useKnownPassword(const QString &location, DatabaseBackend &backend);
// Asks the steward for the server's password in the password box (with the
// server's reason when it turned the last one away), gives it to `backend`
// and keeps it in memory for the session. False when cancelled.
bool askPassword(const QString &location, DatabaseBackend &backend, const QString &reason,
                 bool refused);

// Whether the start may make a new, empty case database at `location`. The
// usual places may; a file that the command line or QUILLMARK_DATABASE
// names and that is not there (a typo, a "~" no shell expanded) is made
// only when the steward says so, asked over the splash window.
bool mayCreateAtStart(const QString &location);

// Opens `location` without making anything and says plainly how it went.
QString testConnection(const QString &location);

// File > Choose Database: the dialog (over `parent`), then the switch of
// the session to the chosen database (its edited records saved first), or,
// when the command line or the environment decides this session, the
// choice kept for later starts.
void choose(CaseSession &session, QWidget *parent);

} // namespace DatabaseChoice
