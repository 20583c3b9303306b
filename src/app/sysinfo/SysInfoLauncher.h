#pragma once

#include <QString>

// Starts another program as a process of its own, without waiting for it.
class SysInfoLauncher
{
  public:
    virtual ~SysInfoLauncher() = default;

    // False when the program could not be started.
    virtual bool start(const QString &program) = 0;
};
