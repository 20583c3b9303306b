// A day at the union office: several stewards, each a program of its own,
// work on one case database at once for a bounded time, through the
// program's record panes, its file-number checks, its grid, Find and the
// grid's Export; in the morning one of them imports employees (keeping the
// records first: a backup of a file, the table of a server); on a file
// another program reads the file now and then, and at noon a steward alone
// restores that backup and goes on saving while the other program checks
// each save; on a server one steward's connection is cut once between a
// COMMIT and its answer in the morning; in the afternoon one steward is
// killed in the middle of a save, and on a server the server itself is
// restarted. The diary of every steward and the
// database between the parts go to the oracle (DayOracle.h).
//
// QUILLMARK_OFFICE_DAY_SECONDS sets the length of the day (50 by default),
// QUILLMARK_OFFICE_DAY_START the random start that the test prints, to make
// the same choices again.
#include "faults/ChildProgram.h"
#include "officeday/DayOracle.h"
#include "officeday/Steward.h"
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"
#include "support/CutProxy.h"
#include "support/OwnPgCluster.h"
#include "support/PgTestServer.h"
#include "support/TempCaseDb.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

using namespace OfficeDay;

namespace
{

constexpr int Stewards = 3;
constexpr int SoloSaves = 4;

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

// The children: a steward's day, and the steward who restores at noon.
TEST(OfficeDayChild, DISABLED_Steward)
{
    const QStringList a = Fault::childArgs();
    ASSERT_EQ(a.size(), 5);
    Steward steward(a.at(0), a.at(1).toInt(), a.at(2).toUInt());
    try {
        steward.open();
    } catch (const DataError &e) {
        FAIL() << e.what();
    }
    const qint64 begun = monotonic();
    const qint64 importAt = a.at(4).toLongLong();
    steward.work(begun + a.at(3).toLongLong() * 1000, importAt < 0 ? -1 : begun + importAt * 1000);
    Fault::report(QStringLiteral("done"));
}

TEST(OfficeDayChild, DISABLED_Restorer)
{
    const QStringList a = Fault::childArgs();
    ASSERT_EQ(a.size(), 4);
    Steward steward(a.at(0), a.at(1).toInt(), a.at(2).toUInt());
    try {
        steward.open();
        steward.restore(a.at(3));
    } catch (const DataError &e) {
        FAIL() << e.what();
    }
    // Each save waits for the other program to have looked.
    std::string line;
    Fault::report(QStringLiteral("restored"));
    while (std::getline(std::cin, line))
        Fault::report(QStringLiteral("solo ") + steward.saveOneName());
}

// Where the day's database lives: a file, or a server of the test's own
// that it may restart.
class Office
{
  public:
    Office() : m_backend(testBackend())
    {
        if (m_backend == CaseBackend::Postgres) {
            if (!PgTestServer::instance())
                m_unavailable = PgTestServer::notStartedMessage();
            else
                m_cluster = std::make_unique<OwnPgCluster>();
        }
    }
    bool onFile() const { return m_backend == CaseBackend::Sqlite; }
    const QString &unavailable() const { return m_unavailable; }
    bool ready() const { return onFile() || m_cluster->started(); }
    QString location() const
    {
        return onFile() ? m_dir.filePath(QStringLiteral("Quillmark.db")) : m_cluster->location();
    }
    bool restart() { return m_cluster->stop() && m_cluster->start(); }
    // The server's own socket, and its password file, for a relay in front.
    QString socket() const
    {
        return m_cluster->value(QStringLiteral("PGHOST")) + QStringLiteral("/.s.PGSQL.") +
               m_cluster->value(QStringLiteral("PGPORT"));
    }
    QString passwordFile() const { return m_cluster->value(QStringLiteral("PGPASSFILE")); }

    // Every row of both tables, through a connection of the test's own,
    // closed again at once: `file` reads a backup instead.
    Snapshot snapshot(const QString &file = {}) const
    {
        Snapshot s;
        const QString name = QStringLiteral("office-day-check");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(
                onFile() ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
            if (onFile()) {
                db.setDatabaseName(file.isEmpty() ? location() : file);
                db.setConnectOptions(file.isEmpty() ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")
                                                    : QStringLiteral("QSQLITE_OPEN_READONLY"));
            } else {
                db.setHostName(m_cluster->value(QStringLiteral("PGHOST")));
                db.setPort(m_cluster->value(QStringLiteral("PGPORT")).toInt());
                db.setUserName(m_cluster->value(QStringLiteral("PGUSER")));
                db.setDatabaseName(QStringLiteral("quillmark_shared"));
            }
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
            read(db, Employee, s.employees);
            read(db, Complaints, s.complaints);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return s;
    }

    // Another program (the sqlite3 shell) opens the file, reads, closes it.
    QString outsideRead(const QString &sql) const
    {
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {QStringLiteral("-cmd"), QStringLiteral(".timeout 5000"), location(), sql});
        if (!shell.waitForFinished(30000) || shell.exitCode() != 0)
            return QStringLiteral("failed: ") + QString::fromUtf8(shell.readAllStandardError());
        return QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
    }

  private:
    void read(QSqlDatabase &db, const QString &table, Rows &rows) const
    {
        const QStringList fields = versionFields(table);
        QString key = table == Employee ? QStringLiteral("\"qm!key\"")
                                        : QStringLiteral("\"Grievance Number\"");
        QStringList columns{onFile() ? QStringLiteral("rowid") : key};
        for (const QString &f : fields + QStringList{FileNumber})
            columns << u'"' + f + u'"';
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(
            QStringLiteral("SELECT %1 FROM \"%2\"").arg(columns.join(QStringLiteral(", ")), table)))
            << q.lastError().text().toStdString();
        while (q.next()) {
            QStringList values;
            for (int i = 1; i <= fields.size(); ++i)
                values << q.value(i).toString();
            rows.insert(q.value(0).toLongLong(),
                        {values.join(u'|'), q.value(int(fields.size()) + 1).toString()});
        }
    }

    CaseBackend m_backend;
    QTemporaryDir m_dir;
    std::unique_ptr<OwnPgCluster> m_cluster;
    QString m_unavailable;
};

// The stewards of one part of the day, run as programs of their own until
// every one has ended; what they write goes to `heard`.
class Crew
{
  public:
    struct Member {
        std::unique_ptr<QProcess> process;
        int actor = 0;
        bool killed = false;
        QString said;
    };

    void add(const QString &role, const QStringList &args, int actor)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(Fault::ArgsVariable), args.join(QLatin1Char('\x1f')));
        p->setProcessEnvironment(env);
        p->setProgram(QCoreApplication::applicationFilePath());
        p->setArguments({QStringLiteral("--gtest_filter=OfficeDayChild.DISABLED_") + role,
                         QStringLiteral("--gtest_also_run_disabled_tests")});
        m_members.push_back({std::move(p), actor, false, {}});
    }
    void kill(Member &m)
    {
        m.killed = true;
        m.process->kill();
    }
    // Calls `work` once, `ms` after the start.
    void at(int ms, std::function<void()> work) { m_timed.append({ms, std::move(work)}); }
    void every(int ms, std::function<void()> work) { m_every = {ms, std::move(work)}; }

    // Returns what went wrong with the programs themselves.
    QStringList run(int limitMs, const std::function<void(Member &, const QString &)> &heard)
    {
        QEventLoop loop;
        QObject context;
        QStringList wrong;
        int running = int(m_members.size());
        for (Member &m : m_members) {
            QProcess *p = m.process.get();
            auto lines = [p, &m, &heard] {
                while (p->canReadLine()) {
                    const QByteArray line = p->readLine();
                    if (line.startsWith('@'))
                        heard(m, QString::fromUtf8(line.mid(1)).trimmed());
                    else // gtest's own words, should the steward fail
                        m.said = (m.said + QString::fromUtf8(line)).right(3000);
                }
            };
            QObject::connect(p, &QProcess::readyReadStandardOutput, &context, lines);
            QObject::connect(p, &QProcess::finished, &context, [&, p, lines] {
                lines();
                if (!m.killed && (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0))
                    wrong << QStringLiteral("steward %1 ended badly: %2\n%3")
                                 .arg(m.actor)
                                 .arg(m.said,
                                      QString::fromUtf8(p->readAllStandardError().right(3000)));
                if (--running == 0)
                    loop.quit();
            });
            p->start();
        }
        for (auto &[ms, work] : m_timed)
            QTimer::singleShot(ms, &context, work);
        QTimer ticks;
        if (m_every.second) {
            QObject::connect(&ticks, &QTimer::timeout, &context, m_every.second);
            ticks.start(m_every.first);
        }
        QTimer::singleShot(limitMs, &context, [&] {
            wrong << QStringLiteral("the stewards did not end in time");
            for (Member &m : m_members)
                kill(m);
        });
        if (running > 0)
            loop.exec();
        return wrong;
    }

  private:
    std::vector<Member> m_members;
    QList<QPair<int, std::function<void()>>> m_timed;
    QPair<int, std::function<void()>> m_every;
};

// The records the day starts with, saved through the program.
void fill(const QString &location, std::mt19937 &random)
{
    auto db = std::make_shared<CaseDatabase>(location);
    db->open();
    RecordSet employees(db, Employee), complaints(db, Complaints);
    QStringList numbers;
    int n = 0;
    for (int i = 0; i < 8; ++i) {
        const QString token = QStringLiteral("0.%1").arg(n++);
        numbers << poolNumber(i == 7 ? 0 : i); // two employees share a number
        employees.addNew();
        for (const QString &f : versionFields(Employee))
            employees.setValue(employees.fieldIndex(f), f == FileNumber ? numbers.last() : token);
        employees.update();
    }
    for (int i = 0; i < 16; ++i) {
        const QString token = QStringLiteral("0.%1").arg(n++);
        complaints.addNew();
        complaints.setValue(complaints.fieldIndex(FileNumber),
                            numbers.at(int(random() % unsigned(numbers.size()))));
        for (const QString &f : versionFields(Complaints))
            complaints.setValue(complaints.fieldIndex(f), token);
        complaints.update();
    }
}

} // namespace

TEST(OfficeDay, StewardsWorkADayAndNoSaveIsLost)
{
    bool fixed = false;
    const unsigned given =
        unsigned(qEnvironmentVariableIntValue("QUILLMARK_OFFICE_DAY_START", &fixed));
    const unsigned r0 = fixed ? given : std::random_device{}();
    SCOPED_TRACE(QStringLiteral("random start %1 (QUILLMARK_OFFICE_DAY_START=%1 makes the same "
                                "choices again)")
                     .arg(r0)
                     .toStdString());
    Office office;
    if (!office.unavailable().isEmpty())
        GTEST_SKIP() << office.unavailable().toStdString();
    ASSERT_TRUE(office.ready());
    QElapsedTimer took;
    took.start();
    std::mt19937 random(r0);
    const int partMs = envNumber("QUILLMARK_OFFICE_DAY_SECONDS", 50) * 450;
    ASSERT_NO_THROW(fill(office.location(), random));
    DayOracle oracle;
    Snapshot now = office.snapshot();
    // Every steward's diary, kept when asked for, to follow a fault.
    QFile kept(qEnvironmentVariable("QUILLMARK_OFFICE_DAY_DIARY"));
    if (!kept.fileName().isEmpty())
        kept.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto keep = [&kept](int actor, const QString &line) {
        if (kept.isOpen())
            kept.write(QStringLiteral("%1 %2\n").arg(actor).arg(line).toUtf8());
    };
    QString backup; // the one the import took
    int outsideReads = 0;
    QStringList outsideFailures;
    auto outsideRead = [&] {
        const QString n = office.outsideRead(QStringLiteral("SELECT count(*) FROM Employee"));
        ++outsideReads;
        if (n.startsWith(QLatin1String("failed")))
            outsideFailures << n;
    };
    auto finish = [&](Phase &p, Diary &diary, const QStringList &wrong) {
        for (const QString &w : wrong)
            oracle.fault(p.name + QStringLiteral(": ") + w);
        p.saves = diary.saves();
        p.troubles = diary.troubles();
        now = p.end = office.snapshot();
        oracle.check(p);
        std::cout << oracle.summary(p).toStdString() << std::endl;
    };

    // A part of the day with every steward at work: in the morning one
    // imports, in the afternoon one is killed in the middle of a save and a
    // server is restarted.
    // On a server, a relay in front of it: in the morning the second
    // steward reaches the server through it, and it cuts that steward's
    // connection once, after a COMMIT reached the server and before its
    // answer came back. The relay is reached over TCP, where the server
    // asks for a password: the stewards find it in a password file that
    // names the relay's port too.
    std::unique_ptr<CutProxy> proxy;
    QTemporaryDir passwords;
    if (!office.onFile()) {
        proxy = std::make_unique<CutProxy>(office.socket());
        ASSERT_NE(proxy->port(), 0);
        QFile own(office.passwordFile());
        ASSERT_TRUE(own.open(QIODevice::ReadOnly));
        const QByteArray lines = own.readAll();
        QByteArray both = lines;
        for (const QByteArray &line : lines.split('\n'))
            if (line.startsWith("127.0.0.1:"))
                both += "127.0.0.1:" + QByteArray::number(proxy->port()) +
                        line.mid(line.indexOf(':', 10)) + '\n';
        QFile file(passwords.filePath(QStringLiteral("pgpass")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(both) == both.size());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    const QByteArray passwordsBefore = qgetenv("PGPASSFILE");
    const auto putBack =
        qScopeGuard([&passwordsBefore] { qputenv("PGPASSFILE", passwordsBefore); });
    if (proxy)
        qputenv("PGPASSFILE", passwords.filePath(QStringLiteral("pgpass")).toUtf8());

    auto together = [&](const QString &name, int number) {
        const bool afternoon = number > 1;
        Phase p;
        p.name = name;
        p.start = now;
        Diary diary;
        Crew crew;
        const bool cuts = proxy && !afternoon;
        for (int i = 0; i < Stewards; ++i) {
            const bool imports = !afternoon && i == 0;
            const int actor = number * 10 + i + 1;
            crew.add(QStringLiteral("Steward"),
                     {cuts && i == 1 ? proxy->through(office.location()) : office.location(),
                      QString::number(actor), QString::number(random()), QString::number(partMs),
                      QString::number(imports ? partMs * int(25 + random() % 25) / 100 : -1)},
                     actor);
        }
        if (cuts) {
            crew.at(partMs * int(15 + random() % 30) / 100, [&] {
                p.cutArmed = monotonic();
                proxy->arm(CutProxy::Cut::AfterCommit);
            });
            crew.every(50, [&] {
                if (p.cutArmed >= 0 && p.cutDone < 0 && proxy->cutDone()) {
                    p.cutDone = monotonic();
                    keep(0, QStringLiteral("cut %1 %2").arg(p.cutArmed).arg(p.cutDone));
                }
            });
        }
        bool armed = false;
        const int victim = number * 10 + 1 + int(random() % Stewards);
        if (afternoon)
            crew.at(partMs * int(30 + random() % 40) / 100, [&armed] { armed = true; });
        if (afternoon && !office.onFile())
            crew.at(partMs * int(30 + random() % 40) / 100, [&] {
                p.serverDown = monotonic();
                if (!office.restart())
                    oracle.fault(QStringLiteral("the server did not start again"));
                p.serverUp = monotonic();
                keep(0, QStringLiteral("restart %1 %2").arg(p.serverDown).arg(p.serverUp));
            });
        if (office.onFile())
            crew.every(250, outsideRead);
        const QStringList wrong = crew.run(partMs + 120000, [&](Crew::Member &m, const QString &l) {
            keep(m.actor, l);
            if (l.startsWith(QLatin1String("backup ")))
                backup = l.mid(7);
            else
                diary.take(m.actor, l);
            if (armed && m.actor == victim && l.startsWith(QLatin1String("try "))) {
                armed = false; // in the middle of a save
                crew.kill(m);
            }
        });
        if (cuts) {
            EXPECT_GE(p.cutDone, 0) << "the relay cut no save's answer";
        }
        finish(p, diary, wrong);
    };

    // Noon, on a file: one steward alone restores the backup the import
    // took, then saves while another program opens and closes the file
    // between the saves; it sees each one, and each survives a kill.
    auto noon = [&] {
        Phase p;
        p.name = QStringLiteral("noon");
        Diary diary;
        Crew crew;
        crew.add(QStringLiteral("Restorer"),
                 {office.location(), QStringLiteral("20"), QString::number(random()), backup}, 20);
        int solo = 0;
        const QStringList wrong = crew.run(60000, [&](Crew::Member &m, const QString &l) {
            keep(m.actor, l);
            if (l == QLatin1String("restored")) {
                p.start = office.snapshot();
                if (!(p.start == office.snapshot(backup)))
                    oracle.fault(
                        QStringLiteral("noon: the restored records differ from the backup"));
            } else if (l.section(u' ', 0, 0) == QLatin1String("solo")) {
                const QString token = l.section(u' ', 1);
                const QString seen = office.outsideRead(
                    QStringLiteral("SELECT count(*) FROM Employee WHERE Name = '%1'").arg(token));
                if (token.isEmpty() || seen != QLatin1String("1"))
                    oracle.fault(QStringLiteral("noon: the other program does not see save %1 (%2)")
                                     .arg(token, seen));
                ++solo;
            } else {
                diary.take(m.actor, l);
                return;
            }
            if (solo == SoloSaves)
                crew.kill(m);
            else
                m.process->write("go\n");
        });
        finish(p, diary, wrong);
        EXPECT_EQ(solo, SoloSaves);
    };

    together(QStringLiteral("morning"), 1);
    if (office.onFile()) {
        ASSERT_FALSE(backup.isEmpty()) << "the import took no backup";
        noon();
    }
    together(QStringLiteral("afternoon"), 3);

    if (office.onFile()) {
        const QString integrity = office.outsideRead(QStringLiteral("PRAGMA integrity_check"));
        EXPECT_EQ(integrity, QStringLiteral("ok"));
        std::cout << "the other program read the file " << outsideReads << " times" << std::endl;
        EXPECT_TRUE(outsideFailures.isEmpty())
            << outsideFailures.join(QLatin1Char('\n')).toStdString();
    }
    std::cout << "the day took " << took.elapsed() / 1000 << " s (random start " << r0 << ")"
              << std::endl;
    for (const QString &f : oracle.faults())
        keep(0, QStringLiteral("fault ") + f);
    // The faults by kind (numbers and versions left out), then the first ones.
    QMap<QString, int> kinds;
    static const QRegularExpression particulars(QStringLiteral("[0-9.|]+"));
    for (const QString &f : oracle.faults())
        kinds[QString(f).replace(particulars, QStringLiteral("#"))] += 1;
    QStringList tally;
    for (auto it = kinds.begin(); it != kinds.end(); ++it)
        tally << QStringLiteral("%1 x %2").arg(it.value()).arg(it.key());
    EXPECT_TRUE(oracle.faults().isEmpty())
        << oracle.faults().size() << " faults:\n"
        << tally.join(QLatin1Char('\n')).toStdString() << "\nthe first of them:\n"
        << oracle.faults().mid(0, 30).join(QLatin1Char('\n')).toStdString();
}
