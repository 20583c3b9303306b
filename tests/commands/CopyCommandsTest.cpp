// The File menu's copy commands on the case session: from a file the records
// (the typed ones saved first) go to a server, a server's tables replaced
// only when the steward says Yes; from a server they go into a new file,
// never over one; a password is asked in a box of its own.
#include "commands/CopyCommands.h"
#include "commands/CommandFixture.h"
#include "support/PgTestServer.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"
#include "support/WindowControls.h"

#include "platform/TextBox.h"
#include "records/CaseFields.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QUrl>

namespace
{

class CopyCommandsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QStandardPaths::setTestModeEnabled(true);
        SKIP_WITHOUT_BACKEND(db);
        SKIP_WITHOUT_BACKEND(other);
        db.insert(QStringLiteral("Employee"),
                  {{"Name", "Seán O'Brien"}, {"File Number", "000123"}});
        db.insert(QStringLiteral("Complaints"), {{"File Number", "000123"}});
        if (!QFile::exists(db.path()))
            db.open();
        copy.addTo(&menu);
        s.open(db.path());
    }
    QString lastMessage() const
    {
        return dialogs.messages().isEmpty() ? QString() : dialogs.messages().last().prompt;
    }

    // The other side of the copy: a server for a session on a file.
    TempCaseDb other{CaseBackend::Postgres};
    QTemporaryDir folder;
    TempCaseDb db;
    ScriptedDialogs dialogs;
    CommandSession s;
    CopyCommands copy{s.session, &s.window};
    QMenu menu; // the File menu's two items
};

} // namespace

TEST_F(CopyCommandsTest, CopiesTheOtherWayFromWhereTheProgramIs)
{
    QAction *toServer = windowAction(menu, "mnuFileCopyToServer");
    QAction *toFile = windowAction(menu, "mnuFileCopyToFile");
    EXPECT_EQ(toServer->isEnabled(), !db.onServer());
    EXPECT_EQ(toFile->isEnabled(), db.onServer());
    s.field(CaseFields::Name)->setText(QStringLiteral("Typed, not yet saved"));

    if (db.onServer()) {
        const QString laptop = QDir(folder.path()).filePath(QStringLiteral("Laptop.db"));
        dialogs.queueSaveFileName(laptop);
        toFile->trigger();
        EXPECT_EQ(lastMessage(),
                  QStringLiteral("1 employees and 1 complaints were copied to \"%1\"; the "
                                 "checksums match.")
                      .arg(laptop));
        CaseDatabase copied(laptop);
        ASSERT_NO_THROW(copied.open());
        QSqlQuery q(copied.connection());
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT Name FROM Employee")) && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("Typed, not yet saved"));
        q.finish();

        // Asked again for the same name (the dialog asked to replace it): refused.
        dialogs.queueSaveFileName(laptop);
        toFile->trigger();
        EXPECT_TRUE(lastMessage().contains(QLatin1String("exists already")))
            << lastMessage().toStdString();
        return;
    }

    other.insert(QStringLiteral("Employee"), {{"Name", "On the server"}});
    const QString statusBefore = s.status();
    dialogs.queueInput(other.path());
    dialogs.queueAnswer(Dialogs::Answer::No);
    toServer->trigger();
    ASSERT_GE(dialogs.messages().size(), 1);
    EXPECT_TRUE(lastMessage().contains(QLatin1String("holds 1 employees and 0 complaints now")))
        << lastMessage().toStdString();
    EXPECT_EQ(other.count(QStringLiteral("Employee"), QStringLiteral("\"Name\" = 'On the server'")),
              1);
    EXPECT_EQ(s.status(), statusBefore);

    dialogs.queueInput(other.path());
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    toServer->trigger();
    EXPECT_TRUE(
        lastMessage().contains(QLatin1String("1 employees and 1 complaints were copied to")))
        << lastMessage().toStdString();
    EXPECT_TRUE(s.status().contains(QLatin1String("checksums match")));
    EXPECT_EQ(other.count(QStringLiteral("Employee"), QStringLiteral("\"Name\" = 'On the server'")),
              0);
    EXPECT_EQ(other.count(QStringLiteral("Employee"),
                          QStringLiteral("\"Name\" = 'Typed, not yet saved'")),
              1);
}

TEST_F(CopyCommandsTest, AServerThatWantsAPasswordGetsOneTypedInAPasswordBox)
{
    if (db.onServer())
        GTEST_SKIP() << "the copy to a server starts from a file";
    const PgTestServer *pg = PgTestServer::instance();
    const QString location = pg->location(pg->value("QUILLMARK_PG_PASSWORD_ROLE"),
                                          pg->value("QUILLMARK_PG_STEWARD_DATABASE"));
    bool hidden = false;
    dialogs.queueInput(location);
    dialogs.queueDialog([&hidden](QDialog &dialog) {
        auto *box = dialog.findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        if (!box)
            return int(QDialog::Rejected);
        hidden = box->echoMode() == QLineEdit::Password;
        box->setText(QStringLiteral("not the password"));
        return int(QDialog::Accepted);
    });
    windowAction(menu, "mnuFileCopyToServer")->trigger();
    EXPECT_TRUE(hidden);
    // The typed password went to the server, which refused it; the message
    // never repeats it.
    EXPECT_TRUE(lastMessage().contains(QLatin1String("Error:3010"))) << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().contains(QLatin1String("refused the connection")))
        << lastMessage().toStdString();
    EXPECT_FALSE(lastMessage().contains(QLatin1String("not the password")));
}
