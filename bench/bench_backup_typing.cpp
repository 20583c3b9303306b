// Typing in the main window while the backup taken on opening the file runs
// in the background, against the same typing once it has ended.
//
// The window is opened (offscreen) over a private copy of the cached
// database, so the backups it takes land in a temporary folder. Each sample
// is one key of "00012" typed into the file-number lookup, and a Backspace
// back to the empty box: every key runs the lookup on the window's own
// connection while the backup thread reads the same file. The first phase
// takes samples for as long as the backup runs (at most `Keys` of them);
// the second takes as many once it has ended. The ratio is what the backup
// costs the steward's typing.
#include "commands/SafekeepingCommands.h"
#include "platform/TextBox.h"
#include "session/BackupController.h"
#include "session/CaseSession.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/WindowControls.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

namespace
{

constexpr int Keys = 2000;
const QString Typed = QStringLiteral("00012");

void typeOneKey(OffscreenWindow &window, int n)
{
    TextBox *box = windowBox(window.window(), "txtFileNumber");
    const int at = n % (Typed.size() + 1);
    if (at == Typed.size())
        box->setText(QString());
    else
        window.keyClick(box, Qt::Key_0 + (Typed.at(at).unicode() - '0'), Typed.mid(at, 1));
}

void BM_TypingDuringBackup(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Quillmark.db"));
    if (!QFile::copy(BenchApp::database(rows, rows), path)) {
        state.SkipWithError("The database could not be copied.");
        return;
    }
    const std::string size = ", " + std::to_string(rows) + " + " + std::to_string(rows) + " rows";
    Comparison c("lookup key while the opening backup runs" + size, {0, 1.5, "no backup"});
    double backupSeconds = 0;
    int during = 0;
    for (auto _ : state) {
        const auto opened = std::chrono::steady_clock::now();
        OffscreenWindow window(path, OffscreenWindow::Backup::Running);
        BackupController &backups = *window.window().session().backups();
        windowBox(window.window(), "txtFileNumber")->setFocus(Qt::OtherFocusReason);
        during = 0;
        while (backups.isRunning() && during < Keys) {
            c.window([&] { typeOneKey(window, during); });
            ++during;
            // The thread's end is handled by the event loop, as in the window.
            QCoreApplication::processEvents();
        }
        backups.finishBackground();
        backupSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
        for (int n = 0; n < during; ++n) {
            c.baseline([&] { typeOneKey(window, n); });
            QCoreApplication::processEvents();
        }
        state.SetIterationTime(backupSeconds);
        if (backups.lastResult().outcome != KeeperResult::Outcome::Made) {
            state.SkipWithError(
                ("The backup was not made: " + backups.lastResult().message.toStdString()).c_str());
            return;
        }
        // The next repetition backs up again: the copy it would compare
        // with goes.
        QFile::remove(backups.lastResult().backup.path);
    }
    if (BenchApp::failedWithMessage(state))
        return;
    state.counters["keys_during_backup"] = during;
    state.counters["open_to_backup_done_s"] = backupSeconds;
    c.publish(&state);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_TypingDuringBackup", BM_TypingDuringBackup)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
