#pragma once

// A second copy of the program under test, for faults that need another
// process: a crash by SIGKILL, a second program on the same file, a lock
// held by someone else.
//
// The child is the same test executable, re-run with a filter that selects
// one DISABLED_ test and an environment that tells that test what to do.
// Disabled tests never run on their own, so the child roles stay out of the
// normal test list. The child talks back in lines starting with '@' on its
// standard output; everything else (gtest's own chatter) is ignored.

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace Fault
{

// The environment variable that carries a child's arguments.
inline constexpr const char *ArgsVariable = "QUILLMARK_FAULT_ARGS";

// In the child: its arguments, or empty when this process is no child.
inline QStringList childArgs()
{
    const QString a = qEnvironmentVariable(ArgsVariable);
    return a.isEmpty() ? QStringList() : a.split(QLatin1Char('\x1f'));
}

// In the child: one line to the parent, written straight to the pipe so
// that it is out of this process before the next step begins (a SIGKILL
// loses nothing that report() returned from).
inline void report(const QString &line)
{
    const QByteArray bytes = '@' + line.toUtf8() + '\n';
    std::fflush(stdout);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
}

class ChildProgram
{
  public:
    // test: the full name of the DISABLED_ test that plays the child.
    ChildProgram(const QString &test, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ArgsVariable), args.join(QLatin1Char('\x1f')));
        m_process.setProcessEnvironment(env);
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--gtest_filter=") + test,
                                QStringLiteral("--gtest_also_run_disabled_tests")});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
    }
    ~ChildProgram()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(-1);
        }
    }
    ChildProgram(const ChildProgram &) = delete;
    ChildProgram &operator=(const ChildProgram &) = delete;

    bool start()
    {
        m_process.start();
        return m_process.waitForStarted(-1);
    }

    // The next '@' line, without the '@'; empty when the child ended first.
    // Waits for as long as the child runs: a hung child is ctest's timeout.
    QString nextReport()
    {
        for (;;) {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine();
                if (line.startsWith('@'))
                    return QString::fromUtf8(line.mid(1)).trimmed();
            }
            if (m_process.state() == QProcess::NotRunning)
                return {}; // a partial last line was cut by the end
            m_process.waitForReadyRead(-1);
        }
    }

    // Reads reports until one matching the test, failing on an end first.
    QString waitFor(const std::function<bool(const QString &)> &matches)
    {
        for (;;) {
            const QString r = nextReport();
            if (r.isEmpty() || matches(r))
                return r;
            m_seen << r;
        }
    }

    void send(const QByteArray &line)
    {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(-1);
    }

    void kill()
    {
        m_process.kill(); // SIGKILL
        m_process.waitForFinished(-1);
    }
    // Waits for the child to end on its own; true when it passed.
    bool finish()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(-1);
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    // Reports that arrived (and were passed over by waitFor), plus what is
    // still buffered once the child has ended.
    QStringList remainingReports()
    {
        QStringList out = m_seen;
        m_seen.clear();
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine();
            if (line.startsWith('@'))
                out << QString::fromUtf8(line.mid(1)).trimmed();
        }
        return out;
    }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    QString output() { return QString::fromUtf8(m_process.readAllStandardOutput()); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }

  private:
    QProcess m_process;
    QStringList m_seen;
};

} // namespace Fault
