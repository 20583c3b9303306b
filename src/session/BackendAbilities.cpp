#include "session/BackendAbilities.h"

#include "records/CaseDatabase.h"

namespace
{

const char *const NoDatabase = "Not available: no case database is open.";
const char *const NotOpened =
    "Not available: the case database did not open. Choose another with File > Choose Database.";
const char *const AlreadyOnServer =
    "Not available on a shared server: this copies a database file on this computer to a server, "
    "and the records open are on a server already.";
const char *const AlreadyOnFile =
    "Not available on a database file: this copies a shared server's records into a new file. "
    "Choose the server with File > Choose Database first.";
const char *const FileAlwaysBackedUp =
    "Not available on a database file: its backups are always kept automatically.";

} // namespace

BackendAbilities BackendAbilities::of(const CaseDatabase *db)
{
    BackendAbilities a;
    a.m_none = !db;
    a.m_onFile = db && !db->filePath().isEmpty();
    a.m_open = db && db->isOpen();
    if (a.m_open)
        a.m_changeLog = db->changeLogMissing();
    return a;
}

QString BackendAbilities::whyNot(Ability ability) const
{
    if (m_none)
        return QString::fromUtf8(NoDatabase);
    switch (ability) {
    case Ability::BackUpNow:
    case Ability::Restore:
        // On a file that did not open too: Restore is how it is mended. A
        // server's records are copied to and from a case file through the
        // connection, which must be there.
        if (m_onFile)
            return QString();
        return m_open ? QString() : QString::fromUtf8(NotOpened);
    case Ability::Export:
        // On a server the rows are read through the open connection's back end.
        if (m_onFile)
            return QString();
        return m_open ? QString() : QString::fromUtf8(NotOpened);
    case Ability::Import:
    case Ability::Find:
        return m_open ? QString() : QString::fromUtf8(NotOpened);
    case Ability::AccessImport:
        return m_open ? QString() : QString::fromUtf8(NotOpened);
    case Ability::ServerBackups:
        // A setting: it needs no connection to be changed.
        return m_onFile ? QString::fromUtf8(FileAlwaysBackedUp) : QString();
    case Ability::CopyToServer:
        return m_onFile ? QString() : QString::fromUtf8(AlreadyOnServer);
    case Ability::CopyToFile:
        return m_onFile ? QString::fromUtf8(AlreadyOnFile) : QString();
    case Ability::ChangeNotices:
        // A file that may not be written, or a server whose owner has not
        // opened it with this version, keeps no log yet.
        return m_open ? m_changeLog : QString::fromUtf8(NotOpened);
    }
    return QString::fromUtf8(NoDatabase);
}
