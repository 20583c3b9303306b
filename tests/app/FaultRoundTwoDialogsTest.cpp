// The real message boxes: those raised while the program starts come up on
// top of the splash window with the keyboard in them, and every box is wide
// enough for its title. Under a real X server with a window manager
// (tests/e2e/tab_order.sh) the stacking is read from the window manager.
#include "support/CaseFixture.h"

#include "app/Module1.h"
#include "app/frmMain.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace
{

// The window manager's stacking order, bottom first.
QList<WId> stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                          QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished(10000);
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    QList<WId> ids;
    for (const QString &part :
         out.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids << part.trimmed().toULongLong(nullptr, 16);
    return ids;
}

// What each real box looked like while it was up; closes it with Enter,
// pressed through its own window as the keyboard would.
class BoxWatcher : public QObject
{
  public:
    struct Seen {
        QString text;
        QString title;
        int width = 0;
        bool active = false;
        bool aboveSplash = false;
    };
    BoxWatcher() { qApp->installEventFilter(this); }
    ~BoxWatcher() override { qApp->removeEventFilter(this); }
    QList<Seen> seen;

  protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *box = qobject_cast<QMessageBox *>(o);
        if (!box || e->type() != QEvent::Show)
            return false;
        QTimer::singleShot(0, box, [this, box] {
            Seen s;
            s.text = box->text();
            s.title = box->windowTitle();
            s.active = QTest::qWaitForWindowActive(box, 5000);
            s.width = box->frameGeometry().width();
            s.aboveSplash = isAboveSplash(box);
            seen << s;
            QTest::keyClick(box->windowHandle(), Qt::Key_Return);
            if (box->isVisible())
                box->done(QMessageBox::Ok); // never left hanging
        });
        return false;
    }

  private:
    static bool isAboveSplash(QMessageBox *box)
    {
        QWidget *splash = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmSplash") && w->isVisible())
                splash = w;
        if (!splash)
            return false;
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            // The window manager's word: it stacks frames, so compare the
            // client windows' places in its list.
            const QList<WId> order = stacking();
            const qsizetype b = order.indexOf(box->winId()), s = order.indexOf(splash->winId());
            return b >= 0 && s >= 0 && b > s;
        }
        // Without a window manager: a window of its own that the window
        // system keeps above the splash.
        const QWindow *parent = box->windowHandle()->transientParent();
        return (parent && parent == splash->windowHandle()) ||
               (box->windowFlags() & Qt::WindowStaysOnTopHint);
    }
};

class FaultRoundTwoDialogs : public ::testing::Test
{
  protected:
    void SetUp() override { Dialogs::install(nullptr); }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTemporaryDir m_dir;
};

TEST_F(FaultRoundTwoDialogs, StartUpErrorsComeUpOnTopOfTheSplashWithTheKeyboard)
{
    const QString damaged = m_dir.path() + QStringLiteral("/Quillmark.db");
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'x'));
    }
    qputenv("QUILLMARK_DATABASE", damaged.toUtf8());
    BoxWatcher watcher;
    frmMain *main = Module1::Main();
    qunsetenv("QUILLMARK_DATABASE");
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(watcher.seen.size(), 2) << "one for each pane";
    for (const BoxWatcher::Seen &s : watcher.seen) {
        EXPECT_TRUE(s.text.startsWith(QStringLiteral("Data error event hit err:")))
            << s.text.toStdString();
        EXPECT_TRUE(s.aboveSplash) << "the box is on top of the splash";
        EXPECT_TRUE(s.active) << "the keyboard is in the box";
    }
    main->close();
}

struct Titled {
    const char *name;
    const char *title; // empty: the application's title
    const char *prompt;
    Dialogs::Buttons buttons;
};

class FaultBoxTitle : public FaultRoundTwoDialogs, public ::testing::WithParamInterface<Titled>
{
};

TEST_P(FaultBoxTitle, LeavesRoomForTheWholeTitle)
{
    const Titled &t = GetParam();
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    BoxWatcher watcher;
    Dialogs::instance().message(QString::fromUtf8(t.prompt), t.buttons, Dialogs::Icon::None,
                                QString::fromUtf8(t.title));
    ASSERT_EQ(watcher.seen.size(), 1);
    // A window manager writes titles in a bold face of about 10 points and
    // puts an icon and three buttons beside them.
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(10);
    const int needed = QFontMetrics(font).horizontalAdvance(watcher.seen.at(0).title) + 4 * 24;
    EXPECT_GE(watcher.seen.at(0).width, needed) << watcher.seen.at(0).title.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, FaultBoxTitle,
    ::testing::Values(
        Titled{"GridCommit", "", "Commit changes?", Dialogs::Buttons::YesNo},
        Titled{"Copies", "Press the print once button for each copy desired",
               "Your printer driver does not support multiple copies.", Dialogs::Buttons::Ok},
        Titled{"FileNumber", "A File Number must be entered before entering a grievance!",
               "The File Number field is blank, do you want \n\rto enter a file number now?",
               Dialogs::Buttons::YesNo}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
