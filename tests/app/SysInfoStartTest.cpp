#include "support/SysInfoTestDoubles.h"

#include "app/sysinfo/SysInfo.h"
#include "app/sysinfo/SysInfoMemoryRegistry.h"
#include "platform/core/AppInfo.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace
{

constexpr qint32 hklm = SysInfoRegistry::LocalMachine;
const QByteArray firstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray secondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

const QString toolsPath = QStringLiteral("C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe");
const QString folder = QStringLiteral("C:\\MSINFO");
const QString folderProgram = QStringLiteral("C:\\MSINFO\\MSINFO32.EXE");

enum class First { Missing, Path, EmptyText, OtherType };
enum class Second { Missing, Folder, FolderWithBackslash };

struct StartCase {
    const char *name;
    First first;
    Second second;
    QStringList existingFiles;
    QStringList startable;
    QStringList onPath; // fallback names found on the search path, at /usr/bin
    QStringList expectedAsked;
    bool expectMessage;
};

void PrintTo(const StartCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartSysInfoTest : public ::testing::TestWithParam<StartCase>
{
};

TEST_P(StartSysInfoTest, StartsTheFoundProgramOrSaysThereIsNone)
{
    const StartCase &c = GetParam();
    SysInfoMemoryRegistry registry;
    switch (c.first) {
    case First::Missing:
        break;
    case First::Path:
        registry.setText(hklm, firstKey, "PATH", toolsPath.toLatin1());
        break;
    case First::EmptyText:
        registry.setValue(hklm, firstKey, "PATH", 1, {});
        break;
    case First::OtherType:
        registry.setValue(hklm, firstKey, "PATH", 2, "%x%\\a.exe");
        break;
    }
    switch (c.second) {
    case Second::Missing:
        break;
    case Second::Folder:
        registry.setText(hklm, secondKey, "MSINFO", folder.toLatin1());
        break;
    case Second::FolderWithBackslash:
        registry.setText(hklm, secondKey, "MSINFO", (folder + '\\').toLatin1());
        break;
    }
    ListedFileSystem files;
    files.m_files = QSet<QString>(c.existingFiles.begin(), c.existingFiles.end());
    for (const QString &name : c.onPath)
        files.m_onPath.insert(name, QStringLiteral("/usr/bin/") + name);
    RecordingLauncher launcher;
    launcher.m_startable = QSet<QString>(c.startable.begin(), c.startable.end());
    ScriptedDialogs dialogs;

    StartSysInfo({&registry,
                  &files,
                  &launcher,
                  {QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor")}});

    EXPECT_EQ(launcher.m_asked, c.expectedAsked);
    EXPECT_EQ(registry.openCount(), 0);
    if (c.expectMessage) {
        ASSERT_EQ(dialogs.messages().size(), 1);
        const auto &shown = dialogs.messages().front();
        EXPECT_EQ(shown.prompt, QStringLiteral("System Information Is Unavailable At This Time"));
        EXPECT_EQ(shown.buttons, Dialogs::Buttons::Ok);
        EXPECT_EQ(shown.icon, Dialogs::Icon::None);
        EXPECT_EQ(shown.title, AppInfo::title());
    } else {
        EXPECT_TRUE(dialogs.messages().isEmpty());
    }
}

const QString hardinfo = QStringLiteral("/usr/bin/hardinfo");
const QString monitor = QStringLiteral("/usr/bin/gnome-system-monitor");

INSTANTIATE_TEST_SUITE_P(
    Lookups, StartSysInfoTest,
    ::testing::Values(
        StartCase{"FirstLookupStarted",
                  First::Path,
                  Second::Missing,
                  {},
                  {toolsPath},
                  {},
                  {toolsPath},
                  false},
        StartCase{"FirstLookupStartedWithoutExistenceTestAndFails",
                  First::Path,
                  Second::Folder,
                  {folderProgram},
                  {folderProgram},
                  {},
                  {toolsPath},
                  true},
        StartCase{"SecondLookupFolderHoldsProgram",
                  First::Missing,
                  Second::Folder,
                  {folderProgram},
                  {folderProgram},
                  {},
                  {folderProgram},
                  false},
        StartCase{"SecondLookupFolderEndingInBackslashDoublesIt",
                  First::Missing,
                  Second::FolderWithBackslash,
                  {QStringLiteral("C:\\MSINFO\\\\MSINFO32.EXE")},
                  {QStringLiteral("C:\\MSINFO\\\\MSINFO32.EXE")},
                  {},
                  {QStringLiteral("C:\\MSINFO\\\\MSINFO32.EXE")},
                  false},
        StartCase{"SecondLookupFolderWithoutProgram",
                  First::Missing,
                  Second::Folder,
                  {},
                  {folderProgram},
                  {},
                  {},
                  true},
        StartCase{"SecondLookupProgramThatFailsToStart",
                  First::Missing,
                  Second::Folder,
                  {folderProgram},
                  {},
                  {},
                  {folderProgram},
                  true},
        StartCase{"BothLookupsMissing", First::Missing, Second::Missing, {}, {}, {}, {}, true},
        StartCase{"OtherTypeStartsTheEmptyPath",
                  First::OtherType,
                  Second::Folder,
                  {folderProgram},
                  {folderProgram},
                  {},
                  {QString()},
                  true},
        StartCase{"EmptyTextEndsTheLookupsAtOnce",
                  First::EmptyText,
                  Second::Folder,
                  {folderProgram},
                  {folderProgram},
                  {},
                  {},
                  true},
        StartCase{"NoRegistryStartsProgramOnPath",
                  First::Missing,
                  Second::Missing,
                  {},
                  {monitor},
                  {QStringLiteral("gnome-system-monitor")},
                  {monitor},
                  false},
        StartCase{"NoRegistryPrefersEarlierListedProgram",
                  First::Missing,
                  Second::Missing,
                  {},
                  {hardinfo, monitor},
                  {QStringLiteral("gnome-system-monitor"), QStringLiteral("hardinfo")},
                  {hardinfo},
                  false},
        StartCase{"NoRegistryTriesNextWhenStartFails",
                  First::Missing,
                  Second::Missing,
                  {},
                  {monitor},
                  {QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor")},
                  {hardinfo, monitor},
                  false},
        StartCase{"NoRegistryAndNothingStarts",
                  First::Missing,
                  Second::Missing,
                  {},
                  {},
                  {QStringLiteral("hardinfo")},
                  {hardinfo},
                  true},
        StartCase{"FailedRegistryStartFallsBackToPath",
                  First::Path,
                  Second::Missing,
                  {},
                  {hardinfo},
                  {QStringLiteral("hardinfo")},
                  {toolsPath, hardinfo},
                  false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StartSysInfoRepeat, EveryCallStartsTheProgramAgain)
{
    SysInfoMemoryRegistry registry;
    registry.setText(hklm, firstKey, "PATH", toolsPath.toLatin1());
    ListedFileSystem files;
    RecordingLauncher launcher;
    launcher.m_startable = {toolsPath};
    ScriptedDialogs dialogs;
    const SysInfoServices services{&registry, &files, &launcher, {}};
    StartSysInfo(services);
    StartSysInfo(services);
    EXPECT_EQ(launcher.m_asked, QStringList({toolsPath, toolsPath}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

#ifndef Q_OS_WIN
TEST(SysInfoPlatform, WithoutTheWindowsRegistryBothLookupsFail)
{
    ListedFileSystem files;
    files.m_files = {folderProgram};
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    StartSysInfo({SysInfoServices::system().registry, &files, &launcher, {}});
    EXPECT_TRUE(launcher.m_asked.isEmpty());
    EXPECT_EQ(dialogs.messages().size(), 1);
}
#endif

} // namespace
