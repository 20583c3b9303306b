// The main window's menus and the controls placed on its pages.
#include "support/CaseFixture.h"

#include "deadlines/DeadlinesWindow.h"
#include "deadlines/StepsWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>

using namespace CaseFields;

namespace
{

class MainWindowMenus : public MainWindowTest
{
};

TEST_F(MainWindowMenus, HoldTheCommandsInOrderWithTheirShortcutsAndNoSeparators)
{
    start();
    const QList<QAction *> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Help"));
    struct Item {
        const char *caption;
        QKeySequence shortcut;
    };
    const QList<Item> file = {{"&Print Grievance Side", QKeySequence(Qt::CTRL | Qt::Key_P)},
                              {"Print &Back Side", QKeySequence(Qt::CTRL | Qt::Key_B)},
                              {"Print Pre&view...", QKeySequence()},
                              {"&Save Form as PDF...", QKeySequence()},
                              {"Print Set&up...", QKeySequence()},
                              {"Back Up &Now...", QKeySequence()},
                              {"Automatic Server Bac&kups", QKeySequence()},
                              {"&Restore from Backup...", QKeySequence()},
                              {"&Export...", QKeySequence()},
                              {"&Import...", QKeySequence()},
                              {"Import from &Access Database...", QKeySequence()},
                              {"Choose &Database...", QKeySequence()},
                              {"&Copy to Shared Server...", QKeySequence()},
                              {"Copy to a &File...", QKeySequence()},
                              {"E&xit", QKeySequence()}};
    const QList<QAction *> fileItems = menus[0]->menu()->actions();
    ASSERT_EQ(fileItems.size(), file.size());
    for (int i = 0; i < file.size(); ++i) {
        EXPECT_FALSE(fileItems[i]->isSeparator());
        EXPECT_EQ(fileItems[i]->text(), QString::fromUtf8(file[i].caption));
        EXPECT_EQ(fileItems[i]->shortcut(), file[i].shortcut);
    }
    const QList<QAction *> editItems = menus[1]->menu()->actions();
    ASSERT_EQ(editItems.size(), 4);
    EXPECT_EQ(editItems[0]->text(), QStringLiteral("&Find..."));
    EXPECT_EQ(editItems[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(editItems[1]->text(), QStringLiteral("Time &Limits..."));
    EXPECT_EQ(editItems[2]->text(), QStringLiteral("&Steps and Deadlines..."));
    EXPECT_EQ(editItems[3]->text(), QStringLiteral("&Deadlines"));
    EXPECT_EQ(editItems[3]->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    const QList<QAction *> helpItems = menus[2]->menu()->actions();
    ASSERT_EQ(helpItems.size(), 1);
    EXPECT_EQ(helpItems[0]->text(), QStringLiteral("&About Quillmark_Wizard..."));
}

TEST_F(MainWindowMenus, PagesCarryTheirCaptionsAndTheHiddenAndCoveredBoxes)
{
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillmark Wizard"));
    EXPECT_EQ(windowTabs(*window)->tabText(0), QStringLiteral("Employee Information"));
    EXPECT_EQ(windowTabs(*window)->tabText(1), QStringLiteral("Grievance Information"));
    EXPECT_EQ(windowTabs(*window)->currentIndex(), 0);
    EXPECT_EQ(windowLabel(*window, FileNumber)->text(),
              QStringLiteral("File Number: (use all 6 digits)"));
    EXPECT_EQ(windowLabel(*window, CaseFacts1)->text(), QStringLiteral("Case Facts:"));
    EXPECT_TRUE(windowField(*window, GrievanceNumber)->isHidden());
    EXPECT_TRUE(windowField(*window, GrievanceFileNumber)->isHidden());
    EXPECT_EQ(windowBox(*window, "txtCopies")->text(), QStringLiteral("2"));
    EXPECT_EQ(windowBox(*window, "txtBackCopies")->text(), QStringLiteral("1"));
    // The editor lies over the three pieces it keeps in step.
    const QRect editor = windowBox(*window, "txtCaseFacts")->geometry();
    for (int i = 13; i <= 15; ++i)
        EXPECT_TRUE(editor.contains(windowField(*window, i)->geometry().topLeft())) << i;
}

TEST_F(MainWindowMenus, DeadlinesComeFromInsideATextBoxAndStepsFromTheGrievancePage)
{
    const qint64 employee =
        db.insert(QStringLiteral("Employee"), {{"Name", "Pat"}, {"File Number", "000123"}});
    const qint64 complaint =
        db.insert(QStringLiteral("Complaints"),
                  {{"File Number", "000123"}, {"Date of Violation", "12/01/2026"}});
    start();
    // Ctrl+D would delete a character here; the list's own keys do not.
    field(Name)->setFocus();
    QTest::keySequence(window->windowHandle(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    DeadlinesWindow *list = window->findChild<DeadlinesWindow *>();
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Pat"));
    // Asked again, the same list; Enter on a complaint turns to it.
    QTest::keySequence(window->windowHandle(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    EXPECT_EQ(window->findChildren<DeadlinesWindow *>().size(), 1);
    Q_EMIT list->complaintChosen(complaint, employee, QStringLiteral("000123"));
    EXPECT_EQ(windowTabs(*window)->currentIndex(), 1);

    windowAction(*window, "mnuEditSteps")->trigger();
    StepsWindow *steps = window->findChild<StepsWindow *>();
    ASSERT_TRUE(steps);
    EXPECT_TRUE(steps->isVisible());
}

} // namespace
