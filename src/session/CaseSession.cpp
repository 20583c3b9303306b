#include "session/CaseSession.h"

#include "caseform/RecordBinder.h"
#include "platform/core/SettingsStore.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"
#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"
#include "session/SessionPrompts.h"

#include <optional>

namespace
{

const char *const ServerBackupsKey = "Settings/AutomaticServerBackups";

} // namespace

bool CaseSession::automaticServerBackups()
{
    return SettingsStore::open().value(QString::fromLatin1(ServerBackupsKey), false).toBool();
}

void CaseSession::setAutomaticServerBackups(bool on)
{
    QSettings settings = SettingsStore::open();
    settings.setValue(QString::fromLatin1(ServerBackupsKey), on);
}

CaseSession::CaseSession(SessionPrompts *prompts, QObject *parent)
    : QObject(parent), m_prompts(prompts)
{
    connect(&m_changes, &ChangeNotices::failed, this, &CaseSession::tell);
}

CaseSession::~CaseSession() = default;

std::shared_ptr<CaseDatabase> CaseSession::makeDatabase(const QString &location,
                                                        SessionPrompts *prompts)
{
    auto db = std::make_shared<CaseDatabase>(location);
    if (!prompts)
        return db;
    if (const std::optional<QString> known = prompts->knownPassword(location))
        db->backend().setPassword(*known);
    const QString server = db->backend().displayName();
    // The prompt keeps no reference to the database: the database owns it.
    db->setPasswordPrompt(
        [prompts, location, server](const QString &reason, bool refused, QString &password) {
            return prompts->askPassword(location, server, reason, refused, password);
        });
    return db;
}

bool CaseSession::isOpen() const
{
    return m_db && m_db->isOpen();
}

void CaseSession::openPanes(const DataError *failure)
{
    m_changes.detach();
    for (RecordBinder *pane : std::as_const(m_panes)) {
        pane->setDatabase(m_db);
        pane->open(failure);
    }
    m_changes.attach(m_db, m_panes);
}

void CaseSession::attach(std::shared_ptr<CaseDatabase> db, const DataError *failure)
{
    m_db = std::move(db);
    openPanes(failure);
    m_backups.reset();
    auto report = [this](const QString &t) { tell(t); };
    auto wait = [this](const QString &label, bool cancellable, const SessionPrompts::Work &work) {
        if (m_prompts)
            return m_prompts->wait(label, cancellable, work);
        std::atomic<bool> cancel{false};
        std::atomic<qint64> done{0}, total{0};
        work(cancel, done, total);
        return true;
    };
    if (m_db) {
        if (!m_db->filePath().isEmpty()) {
            m_backups = std::make_unique<BackupController>(m_db->filePath(), report, wait);
        } else {
            // Each backup of a server reads it through a connection of its
            // own, given the password the steward typed for it.
            m_backups = std::make_unique<BackupController>(
                [location = m_db->path(), prompts = m_prompts] {
                    std::shared_ptr<DatabaseBackend> server =
                        DatabaseBackend::forLocation(location);
                    if (prompts)
                        if (const std::optional<QString> known = prompts->knownPassword(location))
                            server->setPassword(*known);
                    return BackupKeeper(server, CaseShapes::caseShape());
                },
                report, wait);
        }
    }
    Q_EMIT databaseChanged();
}

bool CaseSession::saveEditedRecords()
{
    for (RecordBinder *pane : std::as_const(m_panes)) {
        if (pane->isEdited() && !pane->close())
            return false;
    }
    return true;
}

void CaseSession::reload()
{
    if (!m_db)
        return;
    m_changes.detach();
    Q_EMIT aboutToReopen();
    auto db = makeDatabase(m_db->path());
    std::optional<DataError> failure;
    try {
        db->open();
    } catch (const DataError &e) {
        failure = e;
    }
    m_db = db;
    openPanes(failure ? &*failure : nullptr);
    Q_EMIT databaseChanged();
}

void CaseSession::use(std::shared_ptr<CaseDatabase> db)
{
    Q_EMIT aboutToReplaceRecords();
    // The file left behind is kept as closing keeps it.
    backUpBeforeClosing();
    attach(std::move(db));
    startBackups();
}

void CaseSession::release()
{
    const auto quiet = quietBackups();
    // Nothing may hold the file while it is moved aside: a connection
    // closed after the move would fold its log into, and delete, the log of
    // the file put in its place.
    if (m_backups)
        m_backups->stopBackground();
    saveEditedRecords();
    m_changes.detach();
    Q_EMIT aboutToReplaceRecords();
    if (m_db)
        m_db->close();
}

KeeperResult CaseSession::backUpBeforeReplace()
{
    if (!m_backups) {
        KeeperResult none;
        none.outcome = KeeperResult::Outcome::Failed;
        none.message = whyNot(Ability::BackUpNow);
        return none;
    }
    return m_backups->runAndWait(false);
}

bool CaseSession::backsUpAtOpen() const
{
    return m_db && (!m_db->filePath().isEmpty() || automaticServerBackups());
}

void CaseSession::startBackups()
{
    if (m_backups && isOpen() && backsUpAtOpen())
        m_backups->startInBackground();
}

void CaseSession::backUpBeforeClosing()
{
    // A server's records stay where they are when the program closes.
    if (!m_backups || !isOpen() || m_db->filePath().isEmpty())
        return;
    const auto quiet = quietBackups();
    m_db->checkpoint();
    m_backups->runAndWait(true, QString::fromUtf8(SafeCommandTexts::ClosingBackup));
}
