// The session between the windows and the data, on the back end the test
// command runs (a database file, or the PostgreSQL test server).
#include "session/CaseSession.h"
#include "caseform/RecordBinder.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "records/RecordSet.h"
#include "records/ServerAddress.h"
#include "session/SafeCommandTexts.h"
#include "session/SessionPrompts.h"
#include "support/PgTestServer.h"
#include "support/TempCaseDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <utility>

namespace
{

const Ability Every[] = {Ability::Find,         Ability::BackUpNow,    Ability::ServerBackups,
                         Ability::Restore,      Ability::Export,       Ability::Import,
                         Ability::AccessImport, Ability::CopyToServer, Ability::CopyToFile,
                         Ability::ChangeNotices};

// What the menus switched on before the back ends' abilities were one
// table (the main window's own tests, one rule per item): the file-only
// commands on a file, Find and both imports on a database that opened,
// Export, Back Up Now and Restore on a file or a server that opened,
// the copies the other way from where the records are.
bool wasOn(Ability a, bool onFile, bool open)
{
    switch (a) {
    case Ability::CopyToServer:
        return onFile;
    case Ability::ServerBackups:
        // A file is always backed up; a server when the steward asks.
        return !onFile;
    case Ability::Find:
    case Ability::Import:
        return open;
    case Ability::BackUpNow:
    case Ability::Restore:
    case Ability::Export:
        // A server's tables are read through its open connection.
        return onFile || open;
    case Ability::AccessImport:
        return open;
    case Ability::CopyToFile:
        return !onFile;
    case Ability::ChangeNotices:
        return open;
    }
    return false;
}

void expectAbilities(const CaseSession &session, bool onFile, const char *when)
{
    const bool open = session.isOpen();
    for (Ability a : Every) {
        const bool on = wasOn(a, onFile, open);
        EXPECT_EQ(session.can(a), on) << when << ", ability " << int(a);
        // Off always says why, in a sentence; on says nothing.
        EXPECT_EQ(session.whyNot(a).isEmpty(), on) << when << ", ability " << int(a);
        if (!on) {
            EXPECT_TRUE(session.whyNot(a).startsWith(QLatin1String("Not available")))
                << session.whyNot(a).toStdString();
        }
    }
    EXPECT_NE(session.backups(), nullptr) << when;
}

QString nameShown(const RecordBinder &pane)
{
    RecordSet *rs = pane.rs();
    if (!rs || !rs->hasCurrent())
        return {};
    return rs->value(rs->fieldIndex(QStringLiteral("Name"))).toString();
}

// The signals, in the order they came.
struct Heard {
    QStringList signals;
    QStringList status;

    explicit Heard(CaseSession &s)
    {
        QObject::connect(&s, &CaseSession::aboutToReplaceRecords, &s,
                         [this] { signals << QStringLiteral("replace"); });
        QObject::connect(&s, &CaseSession::aboutToReopen, &s,
                         [this] { signals << QStringLiteral("reopen"); });
        QObject::connect(&s, &CaseSession::databaseChanged, &s,
                         [this] { signals << QStringLiteral("changed"); });
        QObject::connect(&s, &CaseSession::status, &s, [this](const QString &t) {
            signals << QStringLiteral("status");
            status << t;
        });
    }
    QStringList take() { return std::exchange(signals, {}); }
};

} // namespace

// A database that did not open, then opened, changed by another
// connection and read anew, then another database put in its place: the
// signals say each step once, the panes follow the database in use, and
// what the back end can do is what the menus allowed before.
TEST(CaseSession, PanesSignalsAndAbilitiesFollowTheDatabaseInUse)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    const bool onFile = !db.onServer();
    const QString Employee = QString::fromLatin1(CaseSchema::EmployeeTable);
    const qint64 key = db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                                            {QStringLiteral("File Number"), QStringLiteral("1")}});

    CaseSession session;
    Heard heard(session);
    RecordBinder employees(0), complaints(1);
    employees.setRecordSource(Employee);
    complaints.setRecordSource(QString::fromLatin1(CaseSchema::tableOf(CaseFields::GrievancePane)));
    session.setPanes({&employees, &complaints});
    for (Ability a : Every) // no database at all
        EXPECT_FALSE(session.can(a)) << int(a);

    // Made but not opened: what works on a database that did not open.
    session.attach(session.makeDatabase(db.path()));
    EXPECT_EQ(heard.take(), QStringList{QStringLiteral("changed")});
    expectAbilities(session, onFile, "not opened");

    session.database()->open();
    session.reload();
    EXPECT_EQ(heard.take(), (QStringList{QStringLiteral("reopen"), QStringLiteral("changed")}));
    expectAbilities(session, onFile, "opened");
    EXPECT_EQ(nameShown(employees), QStringLiteral("Ruth"));

    // Another connection changes the records; reload reads them anew, the
    // panes on the new connection, nothing replaced.
    db.query(QStringLiteral("UPDATE Employee SET Name = 'Sam' WHERE rowid = ?"), {key});
    const std::shared_ptr<CaseDatabase> before = session.database();
    session.reload();
    EXPECT_EQ(heard.take(), (QStringList{QStringLiteral("reopen"), QStringLiteral("changed")}));
    EXPECT_NE(session.database(), before);
    EXPECT_EQ(nameShown(employees), QStringLiteral("Sam"));
    for (RecordBinder *pane : {&employees, &complaints})
        ASSERT_TRUE(pane->rs() && &pane->rs()->database() == session.database().get());
    EXPECT_TRUE(session.saveEditedRecords());

    // A backup before a replace: on a file its failure is said on the
    // status line (the folder for backups cannot be made: a file has its
    // name); a server's records go to a case file in the per-user folder.
    if (onFile) {
        QFile blocker(QFileInfo(db.path()).dir().filePath(QStringLiteral("Backups")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
    }
    const KeeperResult kept = session.backUpBeforeReplace();
    if (onFile) {
        EXPECT_EQ(kept.outcome, KeeperResult::Outcome::Failed);
        EXPECT_EQ(heard.take(), QStringList{QStringLiteral("status")});
        EXPECT_TRUE(heard.status.value(0).contains(kept.message))
            << heard.status.value(0).toStdString();
    } else {
        EXPECT_EQ(kept.outcome, KeeperResult::Outcome::Made) << kept.message.toStdString();
        EXPECT_EQ(heard.take(), QStringList());
        EXPECT_EQ(kept.backup.rows, (QList<qint64>{1, 0}));
        EXPECT_EQ(QFileInfo(kept.backup.path).path(),
                  BackupFolder::forServer(session.database()->backend().displayName()).path());
    }

    // Another database in use: the windows are told before, the panes show
    // its records after.
    TempCaseDb other(db.backend());
    other.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Lee")},
                            {QStringLiteral("File Number"), QStringLiteral("2")}});
    auto next = session.makeDatabase(other.path());
    next->open();
    session.use(next);
    EXPECT_EQ(heard.take().filter(QRegularExpression(QStringLiteral("^(replace|changed)$"))),
              (QStringList{QStringLiteral("replace"), QStringLiteral("changed")}));
    EXPECT_EQ(session.database(), next);
    EXPECT_EQ(nameShown(employees), QStringLiteral("Lee"));
    expectAbilities(session, onFile, "after use");
    if (onFile) {
        EXPECT_EQ(session.backups()->databasePath(), other.path());
    }
}

namespace
{

// The steward at the password box: types the server's password, which the
// program keeps for its run, as the real box's caller does.
class TypedPassword : public SessionPrompts
{
  public:
    explicit TypedPassword(QString password) : m_password(std::move(password)) {}
    int asked = 0;

    bool wait(const QString &, bool, const Work &work) override
    {
        std::atomic<bool> cancel{false};
        std::atomic<qint64> done{0}, total{0};
        work(cancel, done, total);
        return true;
    }
    std::optional<QString> knownPassword(const QString &location) const override
    {
        if (!m_taken.contains(location))
            return std::nullopt;
        return m_taken.value(location);
    }
    bool askPassword(const QString &location, const QString &, const QString &, bool,
                     QString &password) override
    {
        ++asked;
        password = m_password;
        m_taken.insert(location, password);
        return true;
    }

  private:
    QString m_password;
    QHash<QString, QString> m_taken;
};

} // namespace

// Read anew after an import on a server that wants a password: the
// database made again has the password, and the panes the records, without
// asking twice (made without the prompt, it failed to open).
TEST(CaseSession, ReloadKeepsAServersPassword)
{
    const PgTestServer *server = PgTestServer::instance();
    if (!server)
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    TempCaseDb made(CaseBackend::Postgres);
    SKIP_WITHOUT_BACKEND(made);
    made.open();
    const QString role = server->value("QUILLMARK_PG_PASSWORD_ROLE");
    const QString schema = made.path().section(QStringLiteral("search_path%3D"), 1);
    QSqlQuery grant(server->admin(QStringLiteral("session-admin"),
                                  server->value("QUILLMARK_PG_STEWARD_DATABASE")));
    for (const QString &sql :
         {QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2"),
          QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2")})
        ASSERT_TRUE(grant.exec(sql.arg(schema, role))) << grant.lastError().text().toStdString();
    const QString location =
        ServerAddress{server->value("PGHOST"), server->value("PGPORT"),
                      server->value("QUILLMARK_PG_STEWARD_DATABASE"), role,
                      QStringLiteral("options='-c search_path=%1'").arg(schema)}
            .toUri();

    TypedPassword steward(server->value("QUILLMARK_PG_PASSWORD"));
    CaseSession session(&steward);
    RecordBinder employees(0);
    employees.setRecordSource(QString::fromLatin1(CaseSchema::EmployeeTable));
    session.setPanes({&employees});
    auto db = session.makeDatabase(location);
    ASSERT_NO_THROW(db->open());
    session.attach(db);
    ASSERT_EQ(steward.asked, 1);
    session.reload();
    EXPECT_TRUE(session.isOpen());
    EXPECT_TRUE(employees.rs() != nullptr);
    EXPECT_EQ(steward.asked, 1);
}
