#include "app/QuitSignals.h"
#include "platform/core/AppInfo.h"
#include "support/CaseFixture.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace
{

// The desktop or a terminal asks the program to end: the window closes as
// its close box would, keeping what the steward typed.
class QuitFixture : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        QSettings(AppInfo::title(), AppInfo::title()).clear();
        QuitSignals::install();
    }
    void TearDown() override
    {
        QuitSignals::uninstall();
        MainWindowTest::TearDown();
    }
    bool waitClosed()
    {
        return QTest::qWaitFor([this] { return !window->isVisible(); });
    }
    static QString storedLeft()
    {
        return QSettings(AppInfo::title(), AppInfo::title())
            .value(QStringLiteral("Settings/MainLeft"))
            .toString();
    }
};

class QuitSignalsTest : public QuitFixture, public ::testing::WithParamInterface<int>
{
};

TEST_P(QuitSignalsTest, SavesTheEditedRecordAndPlacement)
{
    start();
    QuitSignals quit(window.get(), 0);
    typeInto(field(0), QStringLiteral("Ada Lovelace"));
    ASSERT_EQ(db.count(QStringLiteral("Employee")), 0);

    ::raise(GetParam());
    ASSERT_TRUE(waitClosed());
    EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("\"Name\" = ?"),
                       {QStringLiteral("Ada Lovelace")}),
              1);
    EXPECT_FALSE(storedLeft().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalsTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto &info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGINT ? "Interrupt"
                                                                       : "HangUp");
                         });

using QuitSignalsDialogTest = QuitFixture;

TEST_F(QuitSignalsDialogTest, OpenQuestionIsDismissedThenTheWindowCloses)
{
    start();
    QuitSignals quit(window.get(), 0);
    QDialog question(window.get());
    question.setModal(true);
    question.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &question);

    ::raise(SIGTERM);
    ASSERT_TRUE(waitClosed());
    EXPECT_FALSE(question.isVisible());
    EXPECT_FALSE(storedLeft().isEmpty());
}

// A dialog's own event loop still runs the handler that opened it; closing
// the window under it would pull the window out from under that handler.
TEST_F(QuitSignalsDialogTest, WaitsForANestedLoopToReturn)
{
    start();
    QuitSignals quit(window.get(), 0);
    bool visibleInside = false;
    QEventLoop nested;
    QTimer::singleShot(0, &nested, [&] {
        ::raise(SIGTERM);
        QCoreApplication::processEvents();
        visibleInside = window->isVisible();
        nested.quit();
    });
    nested.exec();
    EXPECT_TRUE(visibleInside);
    ASSERT_TRUE(waitClosed());
}

// A launcher may start the program with the signals blocked: one sent
// before the program is ready waits, and is heard once it is.
TEST_F(QuitSignalsDialogTest, SignalSentWhileBlockedArrivesOnceCaught)
{
    start();
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    QuitSignals::uninstall();
    ::sigprocmask(SIG_BLOCK, &term, nullptr);
    ::raise(SIGTERM);
    QuitSignals::install();
    QuitSignals quit(window.get(), 0);
    const bool closed = waitClosed();
    ::sigprocmask(SIG_UNBLOCK, &term, nullptr);
    EXPECT_TRUE(closed);
}

} // namespace
