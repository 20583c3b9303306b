#pragma once

#include "app/sysinfo/SysInfoLauncher.h"

// Starts programs as detached processes, so they outlive the About box and
// the program itself.
class SysInfoProcessLauncher : public SysInfoLauncher
{
  public:
    bool start(const QString &program) override;
};
