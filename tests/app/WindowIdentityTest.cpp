// How each window presents itself: the icon the task bar shows, and what a
// screen reader announces: every window has a title, and every box, button
// and grid a name made of words (a navigator arrow's glyph or an empty text
// is no name).
#include "app/frmAbout.h"
#include "app/frmSplash.h"
#include "browser/frmDataGrid.h"
#include "platform/AppIcon.h"
#include "platform/Forms.h"
#include "support/CaseFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <functional>

namespace
{

bool isControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w) ||
           qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w);
}

// Parts a control is made of (a combo box's line edit, a cell editor) are
// announced with the control.
bool isPartOfAControl(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (isControl(p))
            return true;
    return false;
}

QStringList unnamed(QWidget *window)
{
    QStringList faults;
    if (window->windowTitle().trimmed().isEmpty())
        faults << QStringLiteral("the window %1 has no title").arg(window->objectName());
    static const QRegularExpression word(QStringLiteral("\\w{2,}"));
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible() || !isControl(w) || isPartOfAControl(w, window))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name) : QString();
        if (!word.match(name).hasMatch())
            faults << QStringLiteral("%1 (%2) is announced as '%3'")
                          .arg(w->objectName(), QLatin1String(w->metaObject()->className()), name);
    }
    return faults;
}

struct WindowCase {
    const char *name;
    std::function<QWidget *(MainWindowTest &, frmMain &)> open;
    // False for the About box, which has a small icon of its own.
    bool applicationIcon = true;
};

void PrintTo(const WindowCase &c, std::ostream *os)
{
    *os << c.name;
}

class WindowIdentity : public MainWindowTest, public ::testing::WithParamInterface<WindowCase>
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("Ann Smith")},
                   {QStringLiteral("File Number"), QStringLiteral("000001")}});
        start();
    }
    void TearDown() override
    {
        m_owned.reset();
        MainWindowTest::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

  public:
    std::unique_ptr<QWidget> m_owned;
    void turnTo(int page) { clickTab(page); }
};

TEST_P(WindowIdentity, CarriesItsIcon)
{
    QWidget *w = GetParam().open(*this, *window);
    ASSERT_NE(w, nullptr);
    const QImage icon = w->windowIcon().pixmap(32).toImage();
    ASSERT_FALSE(icon.isNull());
    if (GetParam().applicationIcon) {
        EXPECT_EQ(icon, AppIcon::icon().pixmap(32).toImage());
    }
}

TEST_P(WindowIdentity, EveryControlAndWindowIsNamed)
{
    QWidget *w = GetParam().open(*this, *window);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QStringList faults = unnamed(w);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

QWidget *openGrid(MainWindowTest &, frmMain &main)
{
    const qsizetype before = Forms::loaded().size();
    recordCommand(main, "cmdGrid", CaseFields::EmployeePane)->click();
    return Forms::loaded().size() == before + 1 ? Forms::loaded().last() : nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowIdentity,
    ::testing::Values(WindowCase{"MainEmployeePage",
                                 [](MainWindowTest &, frmMain &m) -> QWidget * { return &m; }},
                      WindowCase{"MainGrievancePage",
                                 [](MainWindowTest &t, frmMain &m) -> QWidget * {
                                     static_cast<WindowIdentity &>(t).turnTo(1);
                                     return windowTabs(m)->currentIndex() == 1 ? &m : nullptr;
                                 }},
                      WindowCase{"GridWindow", openGrid},
                      WindowCase{"AboutBox",
                                 [](MainWindowTest &t, frmMain &m) -> QWidget * {
                                     auto &f = static_cast<WindowIdentity &>(t);
                                     f.m_owned = std::make_unique<frmAbout>(&m);
                                     f.m_owned->show();
                                     return f.m_owned.get();
                                 },
                                 false},
                      WindowCase{"SplashWindow",
                                 [](MainWindowTest &t, frmMain &) -> QWidget * {
                                     auto &f = static_cast<WindowIdentity &>(t);
                                     auto splash = std::make_unique<frmSplash>();
                                     splash->Form_Load();
                                     splash->show();
                                     f.m_owned = std::move(splash);
                                     return f.m_owned.get();
                                 }}),
    [](const auto &info) { return std::string(info.param.name); });

// The icon comes from resources rendered at the build: every size a title
// bar, task bar or switcher asks for is there, each drawn for its size.
TEST(ApplicationIcon, HasEverySizeDrawnForIt)
{
    const QIcon icon = AppIcon::icon();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        // Transparent corners, an opaque middle: a drawing, not an empty image.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

} // namespace
