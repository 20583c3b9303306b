#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

class SysInfoRegistry;
class SysInfoFileSystem;
class SysInfoLauncher;

// What the system-information launcher works with. `fallbackPrograms` are the
// names of programs looked for on the search path when the registry does not
// lead to one (in order of preference; empty where the registry is the way).
struct SysInfoServices {
    SysInfoRegistry *registry = nullptr;
    SysInfoFileSystem *files = nullptr;
    SysInfoLauncher *launcher = nullptr;
    QStringList fallbackPrograms;

    // The machine's own registry (none off Windows), files and processes.
    static const SysInfoServices &system();
};

// A registry value that was found but cannot be read as its type says.
class SysInfoFailure : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

namespace SysInfo
{

inline const QString unavailableText =
    QStringLiteral("System Information Is Unavailable At This Time");

// Programs a desktop without the Windows registry may have installed, most
// fitting first: hardware and system summaries before process monitors.
QStringList platformPrograms();

} // namespace SysInfo

// Reads the value `SubKeyRef` of the key `KeyName` under `KeyRoot` into
// `KeyVal`: text as it is, a 32-bit number as "&h" and eight hex digits after
// what `KeyVal` already held, any other type leaving `KeyVal` alone. False,
// with `KeyVal` empty, when the key or the value cannot be read. Throws
// SysInfoFailure for an empty text value.
bool GetKeyValue(SysInfoRegistry &registry, qint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal);

// Finds the system-information program and starts it; tells the user when
// there is none to start.
void StartSysInfo(const SysInfoServices &services = SysInfoServices::system());
