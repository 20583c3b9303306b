#include "app/sysinfo/SysInfoLocalFileSystem.h"
#include "app/sysinfo/SysInfoProcessLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

void writeFile(const QString &path, QFile::Permissions permissions)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    ASSERT_TRUE(f.setPermissions(permissions));
}

TEST(SysInfoLocalFileSystem, CountsOrdinaryFilesOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("MSINFO32.EXE")), QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const SysInfoLocalFileSystem files;
    EXPECT_TRUE(files.isFile(dir.filePath(QStringLiteral("MSINFO32.EXE"))));
    EXPECT_FALSE(files.isFile(dir.filePath(QStringLiteral("folder"))));
    EXPECT_FALSE(files.isFile(dir.filePath(QStringLiteral("missing.exe"))));
    EXPECT_FALSE(files.isFile(QString()));
}

#ifndef Q_OS_WIN
TEST(SysInfoLocalFileSystem, FindsOnlyExecutableProgramsOnItsSearchPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QFile::Permissions runnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    writeFile(dir.filePath(QStringLiteral("sysinfo-tool")), runnable);
    writeFile(dir.filePath(QStringLiteral("plain-file")), QFile::ReadOwner | QFile::WriteOwner);
    const SysInfoLocalFileSystem files({dir.path()});
    EXPECT_EQ(files.findExecutable(QStringLiteral("sysinfo-tool")),
              dir.filePath(QStringLiteral("sysinfo-tool")));
    EXPECT_TRUE(files.findExecutable(QStringLiteral("plain-file")).isEmpty());
    EXPECT_TRUE(files.findExecutable(QStringLiteral("absent-tool")).isEmpty());
}

TEST(SysInfoProcessLauncher, ReportsWhetherTheProgramStarted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("quiet-tool"));
    writeFile(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SysInfoProcessLauncher launcher;
    EXPECT_TRUE(launcher.start(program));
    EXPECT_FALSE(launcher.start(dir.filePath(QStringLiteral("missing-tool"))));
    EXPECT_FALSE(launcher.start(QString()));
    EXPECT_FALSE(launcher.start(QStringLiteral("C:\\MSINFO\\MSINFO32.EXE")));
}
#endif

} // namespace
