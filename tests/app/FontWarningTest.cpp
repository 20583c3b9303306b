// The form's positions follow Arial's metrics. On a system where "Arial"
// resolves to a face with other metrics, the steward is told once, on the
// status bar; with Arial or Liberation Sans nothing is said. The system
// without Arial is a child process whose font configuration holds the DejaVu
// faces only.
#include "PrintedCase.h"
#include "faults/ChildProgram.h"
#include "support/MainWindowParts.h"
#include "support/RecordingPrinterProvider.h"
#include "support/WindowControls.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const QString dejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu");

QString statusNotice(PrintedCase &printed)
{
    return windowStatusBar(*printed.window)->currentMessage();
}

TEST(FontWarningChild, DISABLED_PrintsTwice)
{
    PrintedCase printed("FONT");
    RecordingPrinterProvider printers;
    printed.window->setPrinterProvider(&printers);
    windowAction(*printed.window, "mnuPrintBack")->trigger();
    Fault::report(QStringLiteral("first:") + statusNotice(printed));
    windowStatusBar(*printed.window)->clearMessage();
    windowAction(*printed.window, "mnuPrintBack")->trigger();
    Fault::report(QStringLiteral("second:") + statusNotice(printed));
}

TEST(FontWarning, TellsTheStewardOnceWhenArialIsSubstituted)
{
    ASSERT_TRUE(QDir(dejaVu).exists())
        << "fonts-dejavu-core is missing; scripts/setup.sh installs it";
    QTemporaryDir dir;
    QFile conf(dir.filePath(QStringLiteral("fonts.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">"
                              "<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                   .arg(dejaVu, dir.filePath(QStringLiteral("cache")))
                   .toUtf8());
    conf.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(conf.fileName()));
    Fault::ChildProgram child(QStringLiteral("FontWarningChild.DISABLED_PrintsTwice"), {});
    qunsetenv("FONTCONFIG_FILE");
    ASSERT_TRUE(child.start());
    const QString first = child.nextReport();
    const QString second = child.nextReport();
    EXPECT_TRUE(child.finish()) << child.errors().toStdString();
    EXPECT_TRUE(first.startsWith(
        QStringLiteral("first:The font Arial is missing: the form prints in \"DejaVu")))
        << first.toStdString();
    EXPECT_EQ(second, QStringLiteral("second:")) << "told once";

    // Here "Arial" is Liberation Sans, which has its metrics: nothing to say.
    PrintedCase printed("FONT");
    RecordingPrinterProvider printers;
    printed.window->setPrinterProvider(&printers);
    windowAction(*printed.window, "mnuPrintBack")->trigger();
    EXPECT_EQ(statusNotice(printed), QString());
}

} // namespace
