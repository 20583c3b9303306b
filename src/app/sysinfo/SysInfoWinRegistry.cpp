#include "app/sysinfo/SysInfoWinRegistry.h"

#ifdef Q_OS_WIN

#include <windows.h>

#ifdef _MSC_VER
#pragma comment(lib, "advapi32.lib")
#endif

namespace
{
// A root handle is a 32-bit value sign-extended to pointer width, as the
// Windows headers define HKEY_LOCAL_MACHINE.
HKEY rootHandle(qint32 root)
{
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(root));
}

HKEY handle(SysInfoRegistry::Key key)
{
    return reinterpret_cast<HKEY>(key);
}
} // namespace

long SysInfoWinRegistry::openKey(qint32 root, const QByteArray &path, quint32 options,
                                 quint32 access, Key &key)
{
    HKEY opened = nullptr;
    const LONG rc = RegOpenKeyExA(rootHandle(root), path.constData(), options, access, &opened);
    if (rc == ERROR_SUCCESS)
        key = reinterpret_cast<Key>(opened);
    return rc;
}

long SysInfoWinRegistry::queryValue(Key key, const QByteArray &name, quint32, quint32 &type,
                                    QByteArray &buffer, quint32 &size)
{
    DWORD valueType = 0;
    DWORD bytes = qMin<DWORD>(size, DWORD(buffer.size()));
    const LONG rc = RegQueryValueExA(handle(key), name.constData(), nullptr, &valueType,
                                     reinterpret_cast<LPBYTE>(buffer.data()), &bytes);
    type = valueType;
    size = bytes;
    return rc;
}

long SysInfoWinRegistry::closeKey(Key key)
{
    return RegCloseKey(handle(key));
}

#endif
