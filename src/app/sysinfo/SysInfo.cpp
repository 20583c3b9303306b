#include "app/sysinfo/SysInfo.h"

#include "app/sysinfo/SysInfoFileSystem.h"
#include "app/sysinfo/SysInfoLauncher.h"
#include "app/sysinfo/SysInfoLocalFileSystem.h"
#include "app/sysinfo/SysInfoMemoryRegistry.h"
#include "app/sysinfo/SysInfoProcessLauncher.h"
#include "app/sysinfo/SysInfoRegistry.h"
#include "app/sysinfo/SysInfoWinRegistry.h"
#include "platform/Dialogs.h"

#include <QScopeGuard>

namespace
{

const QString firstKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString firstValue = QStringLiteral("PATH");
const QString secondKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString secondValue = QStringLiteral("MSINFO");
const QString programFile = QStringLiteral("\\MSINFO32.EXE");

constexpr int bufferSize = 1024;

// Only reading is ever needed. Asking for all access, as older code did, is
// refused under HKEY_LOCAL_MACHINE to anyone but an elevated administrator,
// which would hide the program from every ordinary user.
constexpr quint32 lookupAccess = SysInfoRegistry::KeyRead;

bool startFallback(const SysInfoServices &s)
{
    for (const QString &name : s.fallbackPrograms) {
        const QString path = s.files->findExecutable(name);
        if (!path.isEmpty() && s.launcher->start(path))
            return true;
    }
    return false;
}

} // namespace

QStringList SysInfo::platformPrograms()
{
#ifdef Q_OS_WIN
    return {};
#else
    return {QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("cpu-x"),
            QStringLiteral("lshw-gtk"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("plasma-systemmonitor"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lxtask")};
#endif
}

const SysInfoServices &SysInfoServices::system()
{
#ifdef Q_OS_WIN
    static SysInfoWinRegistry registry;
#else
    static SysInfoMemoryRegistry registry; // no registry here: every key is missing
#endif
    static SysInfoLocalFileSystem files;
    static SysInfoProcessLauncher launcher;
    static const SysInfoServices services{&registry, &files, &launcher,
                                          SysInfo::platformPrograms()};
    return services;
}

bool GetKeyValue(SysInfoRegistry &registry, qint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal)
{
    SysInfoRegistry::Key hKey = 0;
    // The key is closed on every way out, a failed read included.
    const auto closeKey = qScopeGuard([&] { registry.closeKey(hKey); });

    if (registry.openKey(KeyRoot, KeyName.toLocal8Bit(), 0, lookupAccess, hKey) !=
        SysInfoRegistry::ErrorSuccess) {
        KeyVal.clear();
        return false;
    }

    QByteArray tmpVal(bufferSize, '\0');
    quint32 KeyValSize = bufferSize;
    quint32 KeyValType = 0;
    if (registry.queryValue(hKey, SubKeyRef.toLocal8Bit(), 0, KeyValType, tmpVal, KeyValSize) !=
        SysInfoRegistry::ErrorSuccess) {
        KeyVal.clear();
        return false;
    }

    const qsizetype size = qMin<qsizetype>(KeyValSize, bufferSize);
    if (KeyValType == SysInfoRegistry::TypeText) {
        if (size == 0)
            throw SysInfoFailure("empty text value");
        tmpVal.truncate(tmpVal.at(size - 1) == '\0' ? size - 1 : size);
    } else {
        tmpVal.truncate(size);
    }

    switch (KeyValType) {
    case SysInfoRegistry::TypeText:
        KeyVal = QString::fromLocal8Bit(tmpVal);
        break;
    case SysInfoRegistry::TypeNumber32: {
        if (tmpVal.size() < 4)
            throw SysInfoFailure("32-bit number shorter than four bytes");
        QString hex = KeyVal;
        for (int i = 3; i >= 0; --i)
            hex +=
                QStringLiteral("%1").arg(quint8(tmpVal.at(i)), 2, 16, QLatin1Char('0')).toUpper();
        KeyVal = QStringLiteral("&h") + hex;
        break;
    }
    default:
        break;
    }
    return true;
}

void StartSysInfo(const SysInfoServices &services)
{
    try {
        QString SysInfoPath;
        if (GetKeyValue(*services.registry, SysInfoRegistry::LocalMachine, firstKey, firstValue,
                        SysInfoPath)) {
            // The first lookup names the program itself and is started as read.
            if (services.launcher->start(SysInfoPath))
                return;
        } else if (GetKeyValue(*services.registry, SysInfoRegistry::LocalMachine, secondKey,
                               secondValue, SysInfoPath)) {
            SysInfoPath += programFile;
            if (services.files->isFile(SysInfoPath) && services.launcher->start(SysInfoPath))
                return;
        }
    } catch (const SysInfoFailure &) {
        // Falls through to the platform's own programs and then the message.
    }
    if (startFallback(services))
        return;
    Dialogs::instance().message(SysInfo::unavailableText, Dialogs::Buttons::Ok,
                                Dialogs::Icon::None);
}
