// The keyboard walk through the windows: Tab and Shift+Tab, pressed through
// the shown window as the steward presses them, visit every shown control
// that has a tab index, in index order and in reverse, on both pages of the
// main window and in a grid window. The hidden page's controls and the case
// facts pieces under the editor are never visited. A grid window opens with
// the focus in the grid, on the record the pane stands on.
//
// Runs on the offscreen platform with the rest of the suite, and under a
// real X server with a window manager through tests/e2e/tab_order.sh.
#include "support/CaseFixture.h"

#include "browser/DataGrid.h"
#include "browser/frmDataGrid.h"
#include "platform/Forms.h"

#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>

using namespace CaseFields;

namespace
{

// The name a test message gives the widget that has the focus.
QString nameOf(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget()) {
        if (qobject_cast<const QTabBar *>(p))
            return QStringLiteral("tabs");
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_")))
            return p->objectName();
    }
    return w ? QString::fromLatin1(w->metaObject()->className()) : QStringLiteral("(none)");
}

QString focusName()
{
    return nameOf(QApplication::focusWidget());
}

// Presses a key through the window the focus is in, as the window system
// delivers it, and returns where the focus went.
QString press(QWidget *window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, mods);
    return focusName();
}

// Starting where the focus is, walks once around with Tab (or Shift+Tab)
// and returns the stops, the first one last again.
QStringList walk(QWidget *window, int stops, bool forward)
{
    QStringList seen;
    for (int i = 0; i < stops; ++i)
        seen << press(window, Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
    return seen;
}

// The order expected from the stop after `from`, once around.
QStringList around(const QStringList &order, const QString &from, bool forward)
{
    QStringList cycle = order;
    if (!forward)
        std::reverse(cycle.begin(), cycle.end());
    const qsizetype at = cycle.indexOf(from);
    QStringList out;
    for (qsizetype i = 1; i <= cycle.size(); ++i)
        out << cycle.at((at + i) % cycle.size());
    return out;
}

std::string joined(const QStringList &l)
{
    return l.join(QStringLiteral(" > ")).toStdString();
}

// The tab bar is the tab control itself, the first stop of either page.
const QStringList Page0 = {
    QStringLiteral("tabs"),        QStringLiteral("txtFields_0"),  QStringLiteral("txtFields_1"),
    QStringLiteral("txtFields_2"), QStringLiteral("txtFields_3"),  QStringLiteral("txtFields_4"),
    QStringLiteral("txtFields_5"), QStringLiteral("txtFields_6"),  QStringLiteral("txtFields_7"),
    QStringLiteral("txtFields_8"), QStringLiteral("txtFields_9"),  QStringLiteral("txtFields_10"),
    QStringLiteral("cmdUpdate_0"), QStringLiteral("cmdRefresh_0"), QStringLiteral("cmdGrid_0"),
    QStringLiteral("cmdAdd_0"),    QStringLiteral("cmdDelete_0"),  QStringLiteral("txtFileNumber"),
    QStringLiteral("cmdReset"),    QStringLiteral("cmdPrintBack"), QStringLiteral("txtBackCopies"),
};
const QStringList Page1 = {
    QStringLiteral("tabs"),         QStringLiteral("txtFields_21"),
    QStringLiteral("txtFields_20"), QStringLiteral("txtFields_19"),
    QStringLiteral("txtFields_18"), QStringLiteral("txtFields_17"),
    QStringLiteral("txtFields_16"), QStringLiteral("txtCaseFacts"),
    QStringLiteral("cmdUpdate_1"),  QStringLiteral("cmdRefresh_1"),
    QStringLiteral("cmdAdd_1"),     QStringLiteral("cmdDelete_1"),
    QStringLiteral("cmdGrid_1"),    QStringLiteral("cmdPrintGrievance"),
    QStringLiteral("txtCopies"),
};
const QStringList GridWindow = {
    QStringLiteral("grdDataGrid"), QStringLiteral("cmdRefresh"), QStringLiteral("cmdSort"),
    QStringLiteral("cmdFilter"),   QStringLiteral("cmdClose"),   QStringLiteral("cmdExport"),
};

struct Walk {
    const char *name;
    int page;
    bool forward;
    const char *from; // where the walk starts
};

class TabOrder : public MainWindowTest, public ::testing::WithParamInterface<Walk>
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("Ada")},
                   {QStringLiteral("File Number"), QStringLiteral("000001")}});
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("Ben")},
                   {QStringLiteral("File Number"), QStringLiteral("000002")}});
        db.insert(QStringLiteral("Complaints"),
                  {{QStringLiteral("File Number"), QStringLiteral("000001")},
                   {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")}});
    }
    QWidget *named(const QString &name)
    {
        if (name == QLatin1String("tabs"))
            return windowTabs(*window)->tabBar();
        auto *w = window->findChild<QWidget *>(name);
        if (auto *box = qobject_cast<TextBox *>(w))
            return box->editor();
        return w;
    }
};

TEST_P(TabOrder, VisitsEveryShownControlInTabIndexOrder)
{
    const Walk &w = GetParam();
    start();
    if (w.page == 1) {
        clickTab(GrievancePane);
        ASSERT_EQ(windowTabs(*window)->currentIndex(), 1);
    }
    const QStringList &order = w.page == 0 ? Page0 : Page1;
    QWidget *first = named(QString::fromLatin1(w.from));
    ASSERT_NE(first, nullptr);
    first->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(focusName(), QString::fromLatin1(w.from));
    const QStringList expected = around(order, QString::fromLatin1(w.from), w.forward);
    // Twice around: a loop that skips part of the page shows either way.
    const QStringList seen = walk(window.get(), int(order.size()) * 2, w.forward);
    EXPECT_EQ(joined(seen), joined(expected + expected));
}

// Twice round from a box in the middle of each page, both ways.
INSTANTIATE_TEST_SUITE_P(Pages, TabOrder,
                         ::testing::Values(Walk{"EmployeeForward", 0, true, "txtFields_1"},
                                           Walk{"EmployeeBackward", 0, false, "txtFileNumber"},
                                           Walk{"GrievanceForward", 1, true, "txtFields_21"},
                                           Walk{"GrievanceBackward", 1, false, "txtCaseFacts"}),
                         [](const auto &info) { return std::string(info.param.name); });

class GridTabOrder : public TabOrder
{
};

TEST_F(GridTabOrder, OpensInTheGridOnThePanesRecordAndTabWalksTheButtons)
{
    start();
    // Stand on the second employee: the grid opens on that row.
    QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Ben"));
    const qsizetype before = Forms::loaded().size();
    recordCommand(*window, "cmdGrid", EmployeePane)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window->windowHandle(), Qt::Key_Space);
    ASSERT_EQ(Forms::loaded().size(), before + 1);
    auto *grid = qobject_cast<frmDataGrid *>(Forms::loaded().last());
    ASSERT_NE(grid, nullptr);
    QApplication::setActiveWindow(grid);
    ASSERT_TRUE(QTest::qWaitForWindowActive(grid));
    EXPECT_EQ(focusName(), QStringLiteral("grdDataGrid"));
    EXPECT_EQ(grid->grdDataGrid->currentIndex().row(), 1);
    // The arrow keys move in the grid at once.
    press(grid, Qt::Key_Up);
    EXPECT_EQ(grid->grdDataGrid->currentIndex().row(), 0);

    const QStringList forward = walk(grid, int(GridWindow.size()) * 2, true);
    const QStringList ahead = around(GridWindow, QStringLiteral("grdDataGrid"), true);
    EXPECT_EQ(joined(forward), joined(ahead + ahead));
    const QStringList backward = walk(grid, int(GridWindow.size()) * 2, false);
    const QStringList back = around(GridWindow, QStringLiteral("grdDataGrid"), false);
    EXPECT_EQ(joined(backward), joined(back + back));
    grid->close();
}

} // namespace
