#pragma once

#include "app/sysinfo/SysInfoFileSystem.h"

#include <QStringList>

// The machine's own file system. Programs are looked for in `searchPaths`,
// or on PATH when that list is empty.
class SysInfoLocalFileSystem : public SysInfoFileSystem
{
  public:
    explicit SysInfoLocalFileSystem(QStringList searchPaths = {});

    bool isFile(const QString &path) const override;
    QString findExecutable(const QString &name) const override;

  private:
    QStringList m_searchPaths;
};
