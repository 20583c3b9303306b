#include "app/sysinfo/SysInfoLocalFileSystem.h"

#include <QFileInfo>
#include <QStandardPaths>

SysInfoLocalFileSystem::SysInfoLocalFileSystem(QStringList searchPaths)
    : m_searchPaths(std::move(searchPaths))
{
}

bool SysInfoLocalFileSystem::isFile(const QString &path) const
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString SysInfoLocalFileSystem::findExecutable(const QString &name) const
{
    return QStandardPaths::findExecutable(name, m_searchPaths);
}
