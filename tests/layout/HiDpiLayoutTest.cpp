// The windows at the pixel density of this run: ctest runs this suite with
// QT_SCALE_FACTOR at 1, 1.5 and 2. Every window is shown for real
// (offscreen), grabbed to a PNG for a person to look at, and checked: no
// control reaches past its parent, no caption is wider or taller than the
// control that shows it.
#include "app/Module1.h"
#include "app/frmAbout.h"
#include "app/frmSplash.h"
#include "browser/frmDataGrid.h"
#include "platform/Forms.h"
#include "support/CaseFixture.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace CaseFields;

namespace
{

double expectedScale()
{
    bool ok = false;
    const double s = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? s : 1.0;
}

QString name(const QWidget *w)
{
    QString n = w->objectName();
    if (n.isEmpty())
        n = QString::fromLatin1(w->metaObject()->className());
    if (const auto *label = qobject_cast<const QLabel *>(w))
        n += QStringLiteral(" '%1'").arg(label->text());
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        n += QStringLiteral(" '%1'").arg(button->text());
    return n;
}

// A caption as drawn: a mnemonic's '&' takes no room.
QString shown(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// Inside a scroll area's viewport, children are placed in the scrolled
// content and may lie outside what is shown.
bool inScrolledContent(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (auto *area = qobject_cast<const QAbstractScrollArea *>(p->parentWidget()))
            if (area->viewport() == p)
                return true;
    return false;
}

void checkLabel(const QLabel *label, QStringList &faults)
{
    if (label->text().isEmpty())
        return;
    const QRect room = label->contentsRect();
    const QFontMetrics fm = label->fontMetrics();
    const QString text = label->buddy() ? shown(label->text()) : label->text();
    // A word-wrapped label must hold its wrapped lines; any other its one line.
    const QSize needed =
        fm.boundingRect(QRect(0, 0, label->wordWrap() ? room.width() : 1 << 20, 1 << 20),
                        label->wordWrap() ? Qt::TextWordWrap : 0, text)
            .size();
    if (needed.width() > room.width() || needed.height() > room.height())
        faults << QStringLiteral("%1 needs %2 x %3 and has %4 x %5")
                      .arg(name(label))
                      .arg(needed.width())
                      .arg(needed.height())
                      .arg(room.width())
                      .arg(room.height());
}

void checkButton(const QPushButton *button, QStringList &faults)
{
    if (button->text().isEmpty())
        return;
    QStyleOptionButton opt;
    opt.initFrom(button);
    const QStyle *style = button->style();
    // The style's padding around the caption, without its minimum width.
    const int padding = style->pixelMetric(QStyle::PM_ButtonMargin, &opt, button) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, button);
    const QFontMetrics fm = button->fontMetrics();
    const int needed = fm.horizontalAdvance(shown(button->text())) + padding;
    if (needed > button->width() || fm.height() > button->height())
        faults << QStringLiteral("%1 needs %2 x %3 and has %4 x %5")
                      .arg(name(button))
                      .arg(needed)
                      .arg(fm.height())
                      .arg(button->width())
                      .arg(button->height());
}

void checkGroupBox(const QGroupBox *box, QStringList &faults)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
    const int needed = box->fontMetrics().horizontalAdvance(shown(box->title()));
    if (!box->rect().contains(label) || needed > label.width())
        faults << QStringLiteral("%1: title needs %2 and has %3 of %4")
                      .arg(name(box))
                      .arg(needed)
                      .arg(label.width())
                      .arg(box->width());
}

void checkTabs(const QTabBar *bar, QStringList &faults)
{
    for (int i = 0; i < bar->count(); ++i)
        if (!bar->rect().contains(bar->tabRect(i)))
            faults << QStringLiteral("tab '%1' lies outside its bar").arg(bar->tabText(i));
}

QStringList layoutFaults(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->isWindow() || !w->isVisibleTo(window))
            continue;
        const QWidget *parent = w->parentWidget();
        if (!inScrolledContent(w) && !parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1 at %2,%3 %4x%5 reaches past %6 (%7x%8)")
                          .arg(name(w))
                          .arg(w->x())
                          .arg(w->y())
                          .arg(w->width())
                          .arg(w->height())
                          .arg(name(parent))
                          .arg(parent->width())
                          .arg(parent->height());
        if (auto *label = qobject_cast<QLabel *>(w))
            checkLabel(label, faults);
        else if (auto *button = qobject_cast<QPushButton *>(w))
            checkButton(button, faults);
        else if (auto *box = qobject_cast<QGroupBox *>(w))
            checkGroupBox(box, faults);
        else if (auto *bar = qobject_cast<QTabBar *>(w))
            checkTabs(bar, faults);
    }
    return faults;
}

class HiDpiLayout : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Module1::useClassicFont();
        db.insert(
            QStringLiteral("Employee"),
            {{QStringLiteral("Name"), QStringLiteral("Maximilian Featherstonehaugh-Worthington")},
             {QStringLiteral("File Number"), QStringLiteral("000123")},
             {QStringLiteral("Department"), QStringLiteral("Maintenance of Way")}});
        start();
    }

    // Grabs the window as the screen shows it, keeps the picture, and
    // checks the layout.
    void check(QWidget *window, const char *picture)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const double scale = expectedScale();
        EXPECT_DOUBLE_EQ(window->devicePixelRatio(), scale)
            << "the run is not at the density it names";
        const QPixmap shot = window->grab();
        EXPECT_EQ(shot.size(), (QSizeF(window->size()) * scale).toSize());
        const QString dir = QStringLiteral(QUILLMARK_TEST_OUTPUT "/screenshots/x%1").arg(scale);
        QDir().mkpath(dir);
        EXPECT_TRUE(
            shot.save(dir + QLatin1Char('/') + QLatin1String(picture) + QStringLiteral(".png")));
        const QStringList faults = layoutFaults(window);
        EXPECT_TRUE(faults.isEmpty()) << picture << " at " << scale << "x:\n  "
                                      << faults.join(QStringLiteral("\n  ")).toStdString();
    }
};

TEST_F(HiDpiLayout, MainWindowEmployeePage)
{
    check(window.get(), "main-employee");
}

TEST_F(HiDpiLayout, MainWindowGrievancePage)
{
    clickTab(GrievancePane);
    ASSERT_EQ(windowTabs(*window)->currentIndex(), 1);
    check(window.get(), "main-grievance");
}

TEST_F(HiDpiLayout, GridWindow)
{
    const qsizetype before = Forms::loaded().size();
    QTest::mouseClick(recordCommand(*window, "cmdGrid", EmployeePane), Qt::LeftButton);
    ASSERT_EQ(Forms::loaded().size(), before + 1);
    auto *grid = qobject_cast<frmDataGrid *>(Forms::loaded().last());
    ASSERT_NE(grid, nullptr);
    check(grid, "grid");
    grid->close();
}

TEST_F(HiDpiLayout, AboutBox)
{
    frmAbout about(window.get());
    about.show();
    check(&about, "about");
}

TEST_F(HiDpiLayout, SplashWindow)
{
    frmSplash splash;
    splash.Form_Load();
    splash.show();
    check(&splash, "splash");
}

} // namespace
