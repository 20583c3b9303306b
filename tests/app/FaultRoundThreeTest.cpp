// Round three from the real window. E: a silent print system (and its
// hand-over of a job), a database named at the start that is not there.
// F: access keys, Esc in Find, the keyboard after a file dialog (also under
// Xvfb and openbox: tests/e2e/tab_order.sh).
#include "session/CaseSession.h"
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "app/Module1.h"
#include "commands/DatabaseChoice.h"
#include "find/FindWindow.h"
#include "print/CupsQueue.h"
#include "print/DefaultPrinterProvider.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace
{

// A print system that takes every connection and never answers: a socket
// that listens but is never read, in CUPS_SERVER while the object lives.
// libcups reads CUPS_SERVER once per thread.
class SilentPrintSystem
{
  public:
    SilentPrintSystem()
    {
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, qPrintable(m_dir.filePath("cups.sock")), 100);
        if (::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(m_socket, 64) != 0)
            qFatal("no socket for a silent print system");
        qputenv("CUPS_SERVER", address.sun_path);
    }
    ~SilentPrintSystem()
    {
        ::close(m_socket);
        m_before.isNull() ? qunsetenv("CUPS_SERVER") : qputenv("CUPS_SERVER", m_before);
    }
    int socket() const { return m_socket; }

  private:
    QTemporaryDir m_dir;
    QByteArray m_before = qgetenv("CUPS_SERVER");
    int m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

// A command, and the status bar's text after it.
class FaultRoundThree : public MainWindowTest,
                        public ::testing::WithParamInterface<std::pair<const char *, const char *>>
{
};

// Each ctest test is a process of its own: the print system's thread first
// asks CUPS once the silent one is in place.
TEST_P(FaultRoundThree, PrintCommandsEndAtCancelWhenThePrintSystemKeepsSilent)
{
    const SilentPrintSystem silent;
    db.insert("Employee", {{"Name", "Pat Doe"}});
    start();
    windowStatusBar(*window)->setPanelText("before");
    QTemporaryDir dir;
    dialogs.queueSaveFileName(dir.filePath("form.pdf"));
    QString waiting; // the window goes on: its dialog shows, and is cancelled
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&waiting] {
        auto *w = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (w && w->isVisible() && waiting.isEmpty()) {
            waiting = w->labelText();
            w->findChild<QPushButton *>()->click();
        }
    });
    watch.start(20);
    const auto [command, status] = GetParam();
    windowAction(*window, command)->trigger();

    const bool saves = QByteArray(command) == "mnuFileSavePdf";
    EXPECT_EQ(waiting.isEmpty(), saves) << waiting.toStdString();
    EXPECT_TRUE(dialogs.dialogsShown().isEmpty()) << "no preview or setup without printers";
    EXPECT_TRUE(windowStatusBar(*window)->panelText(1).startsWith(status))
        << windowStatusBar(*window)->panelText(1).toStdString();
    EXPECT_TRUE(QDir(DefaultPrinterProvider::pdfFolder()).entryList({"*.pdf"}).isEmpty());
}

const char *const stopped = "Nothing was printed: you stopped waiting for the print system.";
INSTANTIATE_TEST_SUITE_P(
    Commands, FaultRoundThree,
    ::testing::Values(std::pair("mnuFilePrint", stopped), std::pair("mnuPrintBack", stopped),
                      std::pair("mnuFilePrintPreview", "before"),
                      std::pair("mnuFilePrintSetup", "before"),
                      std::pair("mnuFileSavePdf", "The form for: Pat Doe was saved as a PDF")));

TEST(FaultRoundThreeHandOver, AJobIsGivenUpAtCancelWhenThePrintSystemKeepsSilent)
{
    const SilentPrintSystem silent;
    QTemporaryDir dir;
    QFile pdf(dir.filePath("job.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly) && pdf.write("%PDF-1.4\n%%EOF\n") > 0);
    pdf.close();
    // A new thread reads CUPS_SERVER anew and finds the silent one.
    std::atomic<bool> cancel{false};
    CupsQueue::Submission s;
    std::thread job([&] { s = CupsQueue::submit("PDF", pdf.fileName(), "t", 1, {}, &cancel); });
    auto cancelAndWait = [&] {
        cancel = true;
        if (job.joinable())
            job.join();
    };
    const auto always = qScopeGuard(cancelAndWait);
    // It takes the connection and the request, and says nothing.
    pollfd waiting{silent.socket(), POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 30000), 1) << "the job never came";
    pollfd request{::accept(silent.socket(), nullptr, nullptr), POLLIN, 0};
    const auto closeConnection = qScopeGuard([&] { ::close(request.fd); });
    ASSERT_EQ(::poll(&request, 1, 30000), 1) << "no request came";
    cancelAndWait();
    EXPECT_TRUE(s.cancelled) << s.error.toStdString();
}

struct StartCase {
    DatabaseChoice::DecidedBy by;
    bool linkToNothing;
    Dialogs::Answer answer; // Ok: not asked
};

class FaultRoundThreeStart : public ::testing::TestWithParam<StartCase>
{
};

TEST_P(FaultRoundThreeStart, AFileThatIsNotThereIsMadeOnlyOnYes)
{
    const StartCase &c = GetParam();
    const auto restore = qScopeGuard(
        [was = DatabaseChoice::sessionDecidedBy()] { DatabaseChoice::setSessionDecidedBy(was); });
    QTemporaryDir dir;
    const QString path = dir.filePath("a/Quillmark.db"), target = dir.filePath("b/Quillmark.db");
    if (c.linkToNothing) {
        ASSERT_TRUE(QDir().mkpath(dir.filePath("a")) && QFile::link(target, path));
    }
    ScriptedDialogs dialogs;
    dialogs.queueAnswer(c.answer);
    DatabaseChoice::setSessionDecidedBy(c.by);
    std::unique_ptr<frmMain> window(Module1::Main(path));
    const bool made = !c.linkToNothing && c.answer != Dialogs::Answer::No;
    EXPECT_EQ(window->session().database()->isOpen(), made);
    window->close();

    QStringList prompts;
    for (const auto &m : dialogs.messages())
        prompts << m.prompt;
    const QString asked =
        QStringLiteral("%1 names a case database that does not exist:\n%2\n\n"
                       "Make a new, empty case database there? No opens none.")
            .arg(c.by == DatabaseChoice::DecidedBy::Environment ? "QUILLMARK_DATABASE"
                                                                : "--database",
                 path);
    EXPECT_EQ(prompts.removeAll(asked), int(c.answer != Dialogs::Answer::Ok));
    // One not made is reported: why, or where the link points.
    EXPECT_EQ(prompts.join('|').contains(c.linkToNothing ? target : path), !made)
        << prompts.join('|').toStdString();
    EXPECT_EQ(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink(), made);
    EXPECT_FALSE(QFileInfo::exists(target)) << "nothing is made through a link";
}

using By = DatabaseChoice::DecidedBy;
using A = Dialogs::Answer;
INSTANTIATE_TEST_SUITE_P(Places, FaultRoundThreeStart,
                         ::testing::Values(StartCase{By::CommandLine, false, A::Yes},
                                           StartCase{By::CommandLine, false, A::No},
                                           StartCase{By::Environment, false, A::No},
                                           StartCase{By::Stored, false, A::Ok},
                                           StartCase{By::CommandLine, true, A::Ok}));

// The real file dialog answered as the steward would: a name typed without
// its suffix, Enter, and Yes to the dialog's own "replace?" question.
void answerFileDialog()
{
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    if (!dialog)
        return QTimer::singleShot(20, qApp, answerFileDialog);
    dialog->findChild<QLineEdit *>("fileNameEdit")->setText("form");
    QTimer::singleShot(0, dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Return); });
    QTimer::singleShot(20, qApp, [] {
        if (auto *q = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            q->button(QMessageBox::Yes)->click();
    });
}

class FaultRoundThreeKeyboard : public MainWindowTest
{
};

TEST_F(FaultRoundThreeKeyboard, ReachesEveryCommandAndComesBack)
{
    start();
    // Every menu item has an access key of its own.
    QList<QAction *> menus = window->menuBar()->actions();
    for (QAction *menu : menus + QList<QAction *>{nullptr}) {
        QString keys;
        for (QAction *item : menu ? menu->menu()->actions() : menus) {
            const QString text = item->text();
            const qsizetype at = text.indexOf('&');
            const QChar key = text.at(at + 1).toUpper();
            EXPECT_TRUE(at >= 0 && text.lastIndexOf('&') == at && key.isLetter() &&
                        !keys.contains(key))
                << text.toStdString() << " among " << keys.toStdString();
            keys += key;
        }
    }
    // Esc closes Find, as it does every other window; so does its Close.
    for (const bool escape : {true, false}) {
        windowAction(*window, "mnuEditFind")->trigger();
        QPointer<FindWindow> find = window->findChild<FindWindow *>();
        ASSERT_TRUE(find && QTest::qWaitForWindowExposed(find));
        find->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(find));
        find->searchBox()->setFocus();
        if (escape)
            QTest::keyClick(find->searchBox(), Qt::Key_Escape);
        else
            find->findChild<QPushButton *>("cmdClose")->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !find; })) << escape; // closed and gone
    }
    // After a file dialog, also one that asked to replace a file, the window
    // that opened it has the keyboard again, where it was.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Dialogs::install(nullptr);
    QTemporaryDir dir;
    QFile taken(dir.filePath("form.pdf"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    QWidget *typing = field(CaseFields::Address)->editor();
    for (int round = 0; round < 20; ++round) {
        typing->setFocus(Qt::OtherFocusReason);
        answerFileDialog();
        EXPECT_EQ(Dialogs::instance().saveFileName("Save", dir.filePath("x"), "PDF files (*.pdf)"),
                  taken.fileName());
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return QApplication::activeWindow() == window.get() && typing->hasFocus();
        })) << "round "
            << round;
    }
}

} // namespace
