#include "support/SysInfoTestDoubles.h"

#include "app/AboutForm.h"
#include "app/frmAbout.h"
#include "app/sysinfo/SysInfoMemoryRegistry.h"
#include "platform/core/AppInfo.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

// An About box over a machine with no registry, nothing on the search path
// and a launcher that records what it is asked to start.
struct AboutFixture : ::testing::Test {
    SysInfoMemoryRegistry registry;
    ListedFileSystem files;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    frmAbout form{nullptr, SysInfoServices{&registry, &files, &launcher, {"hardinfo"}}};

    void showForm()
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
};

TEST_F(AboutFixture, LoadShowsTitleVersionAndCaption)
{
    EXPECT_EQ(form.lblTitle()->text(), QStringLiteral("Quillmark_Wizard"));
    EXPECT_EQ(form.lblVersion()->text(), QStringLiteral("Version 1.0.0"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("About Quillmark_Wizard"));
    EXPECT_EQ(form.cmdOK()->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.cmdSysInfo()->text(), QStringLiteral("&System Info..."));
    ASSERT_FALSE(form.picLogo()->pixmap().isNull());
    EXPECT_EQ(form.picLogo()->pixmap().size(), QSize(94, 94));
}

// The texts are fixed while the font is the desktop's: each must still fit
// the box the layout gives it.
TEST_F(AboutFixture, EveryLabelTextFitsItsBox)
{
    for (QLabel *label :
         {form.lblTitle(), form.lblVersion(), form.lblDescription(), form.lblDisclaimer()}) {
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                               Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
        EXPECT_LE(needed.width(), label->width()) << label->objectName().toStdString();
    }
}

TEST_F(AboutFixture, OkHasFocusFirstAndTabReachesSystemInfo)
{
    showForm();
    EXPECT_EQ(QApplication::focusWidget(), form.cmdOK());
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.cmdSysInfo());
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.cmdOK());
}

class AboutKeyTest : public AboutFixture, public ::testing::WithParamInterface<Qt::Key>
{
};

TEST_P(AboutKeyTest, KeyPressesOkAndClosesTheBox)
{
    showForm();
    int okClicks = 0;
    QObject counting; // the count ends with this test
    QObject::connect(form.cmdOK(), &QPushButton::clicked, &counting, [&] { ++okClicks; });
    QTest::keyClick(QApplication::focusWidget(), GetParam());
    EXPECT_EQ(okClicks, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutKeyTest,
                         ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape),
                         [](const auto &info) {
                             switch (info.param) {
                             case Qt::Key_Return:
                                 return std::string("Return");
                             case Qt::Key_Enter:
                                 return std::string("Enter");
                             default:
                                 return std::string("Escape");
                             }
                         });

TEST_F(AboutFixture, SystemInfoWithNothingToStartShowsMessageAndStaysOpen)
{
    showForm();
    QTest::mouseClick(form.cmdSysInfo(), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().front().prompt,
              QStringLiteral("System Information Is Unavailable At This Time"));
    EXPECT_EQ(dialogs.messages().front().title, AppInfo::title());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AboutFixture, PressingSystemInfoTwiceStartsTwice)
{
    files.m_onPath.insert(QStringLiteral("hardinfo"), QStringLiteral("/usr/bin/hardinfo"));
    launcher.m_startable = {QStringLiteral("/usr/bin/hardinfo")};
    showForm();
    QTest::mouseClick(form.cmdSysInfo(), Qt::LeftButton);
    QTest::mouseClick(form.cmdSysInfo(), Qt::LeftButton);
    EXPECT_EQ(launcher.m_asked.size(), 2);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(form.isVisible());
}

TEST(AboutBoxModal, ShowsModallyOverTheOwnerUntilClosed)
{
    QWidget owner;
    owner.show();
    bool sawAboutBox = false;
    QWidget *seenParent = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal) {
            sawAboutBox = qobject_cast<frmAbout *>(modal) != nullptr;
            seenParent = modal->parentWidget();
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    showAboutBox(&owner);
    EXPECT_TRUE(sawAboutBox);
    EXPECT_EQ(seenParent, &owner);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
