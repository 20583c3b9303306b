#include "app/sysinfo/SysInfoProcessLauncher.h"

#include <QProcess>

bool SysInfoProcessLauncher::start(const QString &program)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {});
}
