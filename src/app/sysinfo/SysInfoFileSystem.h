#pragma once

#include <QString>

// The file system as the launcher sees it: whether a path names an ordinary
// file, and where a program of a given name sits on the search path.
class SysInfoFileSystem
{
  public:
    virtual ~SysInfoFileSystem() = default;

    // True only for an existing ordinary file (not a folder).
    virtual bool isFile(const QString &path) const = 0;
    // The full path of an executable called `name`, or the empty text.
    virtual QString findExecutable(const QString &name) const = 0;
};
