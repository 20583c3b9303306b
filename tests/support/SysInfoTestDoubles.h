#pragma once

#include "app/sysinfo/SysInfoFileSystem.h"
#include "app/sysinfo/SysInfoLauncher.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// Records every program the launcher is asked to start; only the programs
// listed in `startable` start.
class RecordingLauncher : public SysInfoLauncher
{
  public:
    bool start(const QString &program) override
    {
        m_asked.append(program);
        return m_startable.contains(program);
    }

    QSet<QString> m_startable;
    QStringList m_asked;
};

// Files that exist and programs on the search path, as the test lays them out.
class ListedFileSystem : public SysInfoFileSystem
{
  public:
    bool isFile(const QString &path) const override { return m_files.contains(path); }
    QString findExecutable(const QString &name) const override { return m_onPath.value(name); }

    QSet<QString> m_files;
    QMap<QString, QString> m_onPath; // name -> full path
};
