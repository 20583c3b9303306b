// The database file in trouble: its folder missing, the file read-only,
// another program holding the write lock past the busy timeout, the disk
// full. Each save that cannot be made is refused with a message, what was
// typed stays on screen, and nothing half-made reaches the file.
#include "faults/ChildProgram.h"
#include "session/CaseSession.h"
#include "support/CaseFixture.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <fcntl.h>
#include <iostream>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace CaseFields;

namespace
{

using Fault::ChildProgram;

// The owner (root here) writes through any permission bits, so a read-only
// file is made with the immutable attribute, which stops root too. Without
// root the plain permission bits are enough.
class ReadOnlyFile
{
  public:
    explicit ReadOnlyFile(const QString &path) : m_path(path)
    {
        if (::geteuid() != 0) {
            m_done =
                QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            m_how = "permission bits";
            return;
        }
        m_how = "immutable attribute";
        m_done = setImmutable(true);
    }
    ~ReadOnlyFile()
    {
        if (m_how == std::string("immutable attribute"))
            setImmutable(false);
        else
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    bool done() const { return m_done; }
    const char *how() const { return m_how; }

  private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }
    QString m_path;
    bool m_done = false;
    const char *m_how = "";
};

// The ways a steward's edit gets saved on the employee page.
enum class SaveBy { UpdateButton, AddButton, RefreshButton, NextButton, Closing };

struct Route {
    const char *name;
    SaveBy by;
};

class FaultFile : public MainWindowTest, public ::testing::WithParamInterface<Route>
{
  protected:
    // Saves the way the route says; returns the messages shown.
    QList<ScriptedDialogs::Shown> save()
    {
        dialogs.clear();
        switch (GetParam().by) {
        case SaveBy::UpdateButton:
            QTest::mouseClick(recordCommand(*window, "cmdUpdate", EmployeePane), Qt::LeftButton);
            break;
        case SaveBy::AddButton:
            QTest::mouseClick(recordCommand(*window, "cmdAdd", EmployeePane), Qt::LeftButton);
            break;
        case SaveBy::RefreshButton:
            QTest::mouseClick(recordCommand(*window, "cmdRefresh", EmployeePane), Qt::LeftButton);
            break;
        case SaveBy::NextButton:
            QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
            break;
        case SaveBy::Closing:
            dialogs.queueAnswer(Dialogs::Answer::Ok); // the pane's own report of the failure
            dialogs.queueAnswer(Dialogs::Answer::No); // do not close and lose the changes
            EXPECT_FALSE(window->close());
            break;
        }
        return dialogs.messages();
    }
    QString storedName()
    {
        return db.row(QStringLiteral("Employee"), QStringLiteral("rowid = 1"))
            .value(QStringLiteral("Name"))
            .toString();
    }
    static QString prompts(const QList<ScriptedDialogs::Shown> &shown)
    {
        QStringList p;
        for (const auto &s : shown)
            p << s.prompt;
        return p.join(QStringLiteral(" | "));
    }
    void addTwoEmployees()
    {
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("Ada")},
                   {QStringLiteral("File Number"), QStringLiteral("000123")}});
        db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Bea")}});
    }
};

TEST_P(FaultFile, ReadOnlyFileRefusesEverySaveWithAMessageAndKeepsTheTypedValues)
{
    addTwoEmployees();
    db.query(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    ReadOnlyFile readOnly(db.path());
    if (!readOnly.done())
        GTEST_SKIP() << "this file system cannot make a file read-only by " << readOnly.how();
    RecordProperty("read-only by", readOnly.how());
    start();
    ASSERT_TRUE(dialogs.messages().isEmpty()) << prompts(dialogs.messages()).toStdString();
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Ada"))
        << "a read-only file still shows its records";
    typeInto(field(Name), QStringLiteral(" Lovelace"));
    const QString typed = field(Name)->text();

    const auto shown = save();
    ASSERT_FALSE(shown.isEmpty()) << "the refusal is reported";
    EXPECT_TRUE(prompts(shown).contains(QStringLiteral("cannot be written")))
        << prompts(shown).toStdString();
    EXPECT_EQ(field(Name)->text(), typed);
    EXPECT_EQ(storedName(), QStringLiteral("Ada"));
    // And again: the second try is refused the same way, nothing is lost.
    const auto again = save();
    EXPECT_FALSE(again.isEmpty());
    EXPECT_EQ(field(Name)->text(), typed);
}

TEST_P(FaultFile, LockHeldPastTheBusyTimeoutIsReportedAndARetryAfterItGoesSucceeds)
{
    addTwoEmployees();
    start();
    ChildProgram holder(QStringLiteral("FaultLockHolder.DISABLED_HoldsTheWriteLock"), {db.path()});
    ASSERT_TRUE(holder.start());
    ASSERT_EQ(holder.nextReport(), QStringLiteral("holding")) << holder.errors().toStdString();
    typeInto(field(Name), QStringLiteral(" King"));
    const QString typed = field(Name)->text();

    const auto shown = save();
    ASSERT_FALSE(shown.isEmpty()) << "the lock is reported";
    EXPECT_TRUE(prompts(shown).contains(QStringLiteral("in use by another program")))
        << prompts(shown).toStdString();
    EXPECT_EQ(field(Name)->text(), typed);

    holder.send("release");
    EXPECT_EQ(holder.nextReport(), QStringLiteral("released"));
    ASSERT_TRUE(holder.finish()) << holder.errors().toStdString();
    EXPECT_EQ(storedName(), QStringLiteral("Ada"));
    if (GetParam().by == SaveBy::Closing) {
        dialogs.clear();
        EXPECT_TRUE(window->close());
        EXPECT_TRUE(dialogs.messages().isEmpty()) << prompts(dialogs.messages()).toStdString();
    } else {
        const auto retry = save();
        EXPECT_TRUE(retry.isEmpty()) << prompts(retry).toStdString();
    }
    EXPECT_EQ(storedName(), typed);
}

INSTANTIATE_TEST_SUITE_P(Saves, FaultFile,
                         ::testing::Values(Route{"UpdateButton", SaveBy::UpdateButton},
                                           Route{"AddButton", SaveBy::AddButton},
                                           Route{"RefreshButton", SaveBy::RefreshButton},
                                           Route{"NavigatorNext", SaveBy::NextButton},
                                           Route{"ClosingTheWindow", SaveBy::Closing}),
                         [](const auto &info) { return std::string(info.param.name); });

// The other program: takes the write lock and keeps it until told to let go.
TEST(FaultLockHolder, DISABLED_HoldsTheWriteLock)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 1);
    CaseDatabase db(args.at(0));
    db.open();
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
    ASSERT_TRUE(q.exec(QStringLiteral("UPDATE Employee SET Department = Department")));
    Fault::report(QStringLiteral("holding"));
    std::string line;
    std::getline(std::cin, line);
    ASSERT_TRUE(q.exec(QStringLiteral("ROLLBACK")));
    Fault::report(QStringLiteral("released"));
}

using FaultFolder = MainWindowTest;

TEST_F(FaultFolder, AMissingDataFolderIsCreatedAndTheFirstSaveLandsInIt)
{
    QTemporaryDir root;
    const QString path = root.path() + QStringLiteral("/not/yet/there/Quillmark.db");
    window = std::make_unique<frmMain>();
    window->Form_Load(path);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(dialogs.messages().isEmpty());
    typeInto(field(Name), QStringLiteral("Ada"));
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", EmployeePane), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    window->close();
    window.reset();
    ASSERT_TRUE(QFile::exists(path));
    CaseDatabase reopened(path);
    reopened.open();
    QSqlQuery q(reopened.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT Name FROM Employee")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("Ada"));
}

using FaultDiskFull = MainWindowTest;

// The database's size limit stands in for a full disk: SQLite answers both
// with the same error, at the same point of a write.
TEST_F(FaultDiskFull, TheSaveIsRefusedWholeAndTheNextSaveAfterSpaceReturnsSucceeds)
{
    start();
    auto limit = [this](int pages) {
        QSqlQuery q(window->session().database()->connection());
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        q.finish();
    };
    limit(1); // clamps to the pages the file has now
    int saved = 0;
    QString typedName, typedAddress;
    QList<ScriptedDialogs::Shown> refused;
    for (int i = 0; i < 400 && refused.isEmpty(); ++i) {
        QTest::mouseClick(recordCommand(*window, "cmdAdd", EmployeePane), Qt::LeftButton);
        typedName = QStringLiteral("Employee %1").arg(i);
        typedAddress = QStringLiteral("%1 Mill Road").arg(i).leftJustified(100, QLatin1Char('.'));
        typeInto(field(Name), typedName);
        field(Address)->typeText(typedAddress);
        dialogs.clear();
        QTest::mouseClick(recordCommand(*window, "cmdUpdate", EmployeePane), Qt::LeftButton);
        if (dialogs.messages().isEmpty())
            ++saved;
        else
            refused = dialogs.messages();
    }
    ASSERT_FALSE(refused.isEmpty()) << "the file never filled up";
    EXPECT_TRUE(refused.at(0).prompt.contains(QStringLiteral("disk is full")))
        << refused.at(0).prompt.toStdString();
    EXPECT_EQ(field(Name)->text(), typedName);
    EXPECT_EQ(field(Address)->text(), typedAddress);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), saved) << "no half record";
    EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("Name = ? OR Address = ?"),
                       {typedName, typedAddress}),
              0);

    limit(1 << 30);
    dialogs.clear();
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", EmployeePane), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().value(0).prompt.toStdString();
    EXPECT_EQ(db.count(QStringLiteral("Employee")), saved + 1);
    EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("Name = ? AND Address = ?"),
                       {typedName, typedAddress}),
              1);
    QSqlQuery check = db.query(QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
}

} // namespace
