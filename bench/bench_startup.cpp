// Start-up to the main window shown over a case database of a million rows
// (offscreen): construct frmMain, Form_Load, show, run the event loop until
// the window system has the window on screen.
//
// Each run is a fresh process (this program started again with --child), so
// no run profits from a window, a font cache or a prepared statement that an
// earlier run left in memory; the operating system's file cache stays warm,
// as it is for a steward who opens the program a second time. The child
// times itself from the moment its QApplication stands, and prints that.
// The baseline is the same child showing an empty QMainWindow: the least
// any Qt window costs here.
//
// BM_StartupInProcess repeats the same steps in this process, for
// comparison: what start-up costs once the libraries are warm.
//
// BM_StartupInstalled, when the Debian package is installed, starts the
// installed /usr/bin/quillmark-wizard itself over the same database with
// SIGTERM already sent: it closes as soon as its event loop runs, which is
// right after its main window is shown. So the time runs from exec() to the
// window shown and closed again (placement written, database closed): an
// upper bound of the installed program's start-up.
#include "app/frmMain.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QMainWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstring>

namespace
{

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The child: prints "STARTUP <seconds to shown> <seconds since main>", or
// the reason it failed on stderr with exit status 1.
int child(int argc, char **argv, const QString &path)
{
    const auto atMain = Clock::now();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
    ScriptedDialogs dialogs;

    const auto start = Clock::now();
    std::unique_ptr<QMainWindow> window;
    if (path.isEmpty()) {
        window = std::make_unique<QMainWindow>();
    } else {
        auto main = std::make_unique<frmMain>();
        main->Form_Load(path);
        window = std::move(main);
    }
    window->show();
    if (!OffscreenWindow::waitExposed(*window)) {
        std::fprintf(stderr, "The window never came on screen.\n");
        return 1;
    }
    const double shown = secondsSince(start);
    if (!dialogs.messages().isEmpty()) {
        std::fprintf(stderr, "A message box came up: %s\n",
                     qPrintable(dialogs.messages().first().prompt));
        return 1;
    }
    std::printf("STARTUP %.9f %.9f\n", shown, secondsSince(atMain));
    return 0;
}

// Runs one child; returns its two figures, or an error text.
bool runChild(const QString &path, double &shown, double &fromMain, std::string &error)
{
    QProcess p;
    QStringList args{QStringLiteral("--child")};
    if (!path.isEmpty())
        args << path;
    p.start(QCoreApplication::applicationFilePath(), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = "The start-up child failed: " + p.readAllStandardError().trimmed().toStdString();
        return false;
    }
    const QList<QByteArray> words = p.readAllStandardOutput().trimmed().split(' ');
    if (words.size() != 3 || words.at(0) != "STARTUP") {
        error = "The start-up child printed no timing.";
        return false;
    }
    shown = words.at(1).toDouble();
    fromMain = words.at(2).toDouble();
    return true;
}

void BM_StartupFreshProcess(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const QString path = BenchApp::database(rows, rows);
    Comparison c("start-up, fresh process, " + std::to_string(rows) + " rows", {300.0, 0, "empty"});
    Comparison whole("start-up from main(), fresh process, " + std::to_string(rows) + " rows", {});
    std::string error;
    for (auto _ : state) {
        double shown = 0, fromMain = 0, bare = 0, bareFromMain = 0;
        if (!runChild(path, shown, fromMain, error) ||
            !runChild(QString(), bare, bareFromMain, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        c.addWindow(shown);
        c.addBaseline(bare);
        whole.addWindow(fromMain);
        state.SetIterationTime(shown);
    }
    if (!error.empty())
        return;
    c.publish(&state);
    whole.publish(nullptr);
}

void BM_StartupInProcess(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const QString path = BenchApp::database(rows, rows);
    Comparison c("start-up, in this process, " + std::to_string(rows) + " rows", {300.0, 0});
    for (auto _ : state) {
        std::unique_ptr<OffscreenWindow> w;
        state.SetIterationTime(c.window([&] { w = std::make_unique<OffscreenWindow>(path); }));
    }
    if (BenchApp::failedWithMessage(state))
        return;
    c.publish(&state);
}

const char *const InstalledProgram = "/usr/bin/quillmark-wizard";

void BM_StartupInstalled(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const QString path = BenchApp::database(rows, rows);
    Comparison c("start-up of the installed program to its window shown and closed, " +
                     std::to_string(rows) + " rows",
                 {300.0, 0});
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    std::string error;
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProgram(QString::fromLatin1(InstalledProgram));
        p.setArguments({QStringLiteral("--database"), path});
        // Blocked in the child, the signal sent below waits until the
        // program catches it, first thing in main().
        p.setChildProcessModifier([] {
            sigset_t term;
            sigemptyset(&term);
            sigaddset(&term, SIGTERM);
            ::sigprocmask(SIG_BLOCK, &term, nullptr);
        });
        const auto start = Clock::now();
        p.start();
        if (!p.waitForStarted(60000)) {
            error = "The installed program did not start.";
            break;
        }
        ::kill(pid_t(p.processId()), SIGTERM);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            error = "The installed program did not end cleanly: " +
                    p.readAllStandardError().trimmed().toStdString();
            break;
        }
        const double s = secondsSince(start);
        c.addWindow(s);
        state.SetIterationTime(s);
    }
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    c.publish(&state);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_StartupFreshProcess", BM_StartupFreshProcess)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_StartupInProcess", BM_StartupInProcess)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    if (QFileInfo(QString::fromLatin1(InstalledProgram)).isExecutable())
        benchmark::RegisterBenchmark("BM_StartupInstalled", BM_StartupInstalled)
            ->Arg(rows)
            ->ArgName("rows")
            ->UseManualTime()
            ->Iterations(10)
            ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, argc >= 3 ? QString::fromLocal8Bit(argv[2]) : QString());
    return BenchApp::run(argc, argv, registerAll);
}
