#pragma once

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QUrl>

// A PostgreSQL cluster of a test's own, made with the project's scripts in a
// build folder of its own, which the test may stop and start again without
// disturbing the tests running beside it on the shared one.
class OwnPgCluster
{
  public:
    OwnPgCluster() { m_started = run(QStringLiteral("start-postgres.sh")); }
    ~OwnPgCluster() { run(QStringLiteral("stop-postgres.sh")); }
    OwnPgCluster(const OwnPgCluster &) = delete;
    OwnPgCluster &operator=(const OwnPgCluster &) = delete;
    bool started() const { return m_started; }

    bool stop() { return run(QStringLiteral("stop-postgres.sh"), {QStringLiteral("--keep")}); }
    bool start() { return run(QStringLiteral("start-postgres.sh")); }

    QString value(const QString &key) const
    {
        QFile env(m_dir.path() + QStringLiteral("/postgres.env"));
        if (!env.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        for (const QByteArray &line : env.readAll().split('\n'))
            if (line.startsWith(key.toUtf8() + '='))
                return QString::fromUtf8(line.mid(key.size() + 1));
        return {};
    }
    QString location() const
    {
        return QStringLiteral("postgresql://%1@/quillmark_shared?host=%2&port=%3")
            .arg(value(QStringLiteral("PGUSER")),
                 QString::fromLatin1(QUrl::toPercentEncoding(value(QStringLiteral("PGHOST")))),
                 value(QStringLiteral("PGPORT")));
    }

  private:
    bool run(const QString &script, const QStringList &arguments = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BUILD_DIR"), m_dir.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("bash"),
                QStringList{QStringLiteral(QT_TESTCASE_SOURCEDIR "/../scripts/") + script} +
                    arguments);
        return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    bool m_started = false;
};
