#pragma once

// What the tests of the choice of database share: the settings store and
// QUILLMARK_DATABASE left as found, the choose and password dialogs worked
// as a steward works them, and the PostgreSQL test server's password role.
#include "commands/DatabaseChoice.h"
#include "platform/core/AppInfo.h"
#include "records/ServerAddress.h"
#include "support/PgTestServer.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

// Leaves the settings store and QUILLMARK_DATABASE as the test found them.
class ChoiceScope
{
  public:
    ChoiceScope()
        : m_had(qEnvironmentVariableIsSet("QUILLMARK_DATABASE")),
          m_env(qgetenv("QUILLMARK_DATABASE")), m_decidedBy(DatabaseChoice::sessionDecidedBy())
    {
        qunsetenv("QUILLMARK_DATABASE");
        QSettings(AppInfo::title(), AppInfo::title()).clear();
    }
    ~ChoiceScope()
    {
        if (m_had)
            qputenv("QUILLMARK_DATABASE", m_env);
        else
            qunsetenv("QUILLMARK_DATABASE");
        QSettings(AppInfo::title(), AppInfo::title()).clear();
        DatabaseChoice::setSessionDecidedBy(m_decidedBy);
    }

  private:
    bool m_had;
    QByteArray m_env;
    DatabaseChoice::DecidedBy m_decidedBy;
};

inline QString settingsText()
{
    QSettings s(AppInfo::title(), AppInfo::title());
    s.sync();
    QFile f(s.fileName());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

template <class T> T *child(QDialog &dialog, const char *name)
{
    T *w = dialog.findChild<T *>(QLatin1String(name));
    if (!w)
        throw std::runtime_error(std::string("the dialog has no ") + name);
    return w;
}

// Fills the server boxes as a steward types them and presses OK.
inline std::function<int(QDialog &)> chooseServer(const ServerAddress &a)
{
    return [a](QDialog &dialog) {
        child<QRadioButton>(dialog, "optServer")->click();
        child<QLineEdit>(dialog, "txtHost")->setText(a.host);
        child<QLineEdit>(dialog, "txtPort")->setText(a.port);
        child<QLineEdit>(dialog, "txtDatabase")->setText(a.database);
        child<QLineEdit>(dialog, "txtUser")->setText(a.user);
        child<QLineEdit>(dialog, "txtOptions")->setText(a.options);
        dialog.accept();
        return dialog.result();
    };
}

// Answers the password box with `password`, after checking it hides what
// is typed; `reasons` gets the server's reason shown, if any.
inline std::function<int(QDialog &)> typePassword(const QString &password, QStringList *reasons)
{
    return [password, reasons](QDialog &dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("PasswordDialog"));
        auto *box = child<QLineEdit>(dialog, "txtPassword");
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        if (auto *why = dialog.findChild<QLabel *>(QStringLiteral("lblReason")))
            reasons->append(why->text());
        else
            reasons->append(QString());
        box->setText(password);
        dialog.accept();
        return dialog.result();
    };
}

// The password role on a schema of its own, its tables made by the
// administrator's role.
class PasswordServer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        server = PgTestServer::instance();
        if (!server)
            GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
        role = server->value("QUILLMARK_PG_PASSWORD_ROLE");
        password = server->value("QUILLMARK_PG_PASSWORD");
        made.open();
        const QString schema = made.path().section(QStringLiteral("search_path%3D"), 1);
        QSqlQuery q(admin());
        for (const QString &sql :
             {QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2"),
              QStringLiteral(
                  "GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2")})
            ASSERT_TRUE(q.exec(sql.arg(schema, role))) << q.lastError().text().toStdString();
        location = ServerAddress{server->value("PGHOST"), server->value("PGPORT"),
                                 server->value("QUILLMARK_PG_STEWARD_DATABASE"), role,
                                 QStringLiteral("options='-c search_path=%1'").arg(schema)}
                       .toUri();
    }
    QSqlDatabase admin() const
    {
        return server->admin(QStringLiteral("choice-admin"),
                             server->value("QUILLMARK_PG_STEWARD_DATABASE"));
    }

    const PgTestServer *server = nullptr;
    TempCaseDb made{CaseBackend::Postgres};
    ScriptedDialogs dialogs;
    ChoiceScope scope;
    QString role, password, location;
};
