#pragma once

#include <QByteArray>
#include <QtGlobal>

// The three registry calls the system-information launcher needs, shaped as
// the advapi32 functions are (return codes, 8-bit names, a caller-owned data
// buffer whose size goes in and comes back out), so the lookup logic reads the
// same against the real Windows registry and against an in-memory one.
class SysInfoRegistry
{
  public:
    // An opened key; 0 means "no key".
    using Key = quintptr;

    // Root handles keep their documented 32-bit values.
    static constexpr qint32 LocalMachine = qint32(0x80000002u);

    static constexpr quint32 KeyQueryValue = 0x0001;
    static constexpr quint32 KeyRead = 0x20019;
    static constexpr quint32 KeyAllAccess = 0x2003F;

    static constexpr quint32 TypeText = 1;
    static constexpr quint32 TypeExpandText = 2;
    static constexpr quint32 TypeNumber32 = 4;

    static constexpr long ErrorSuccess = 0;
    static constexpr long ErrorFileNotFound = 2;
    static constexpr long ErrorAccessDenied = 5;
    static constexpr long ErrorInvalidHandle = 6;
    static constexpr long ErrorMoreData = 234;

    virtual ~SysInfoRegistry() = default;

    // RegOpenKeyExA: on success stores the opened key in `key`.
    virtual long openKey(qint32 root, const QByteArray &path, quint32 options, quint32 access,
                         Key &key) = 0;
    // RegQueryValueExA: `size` holds the buffer's capacity on entry and the
    // value's length in bytes on return; the data is written to the front of
    // `buffer`, which must be at least `size` bytes long.
    virtual long queryValue(Key key, const QByteArray &name, quint32 reserved, quint32 &type,
                            QByteArray &buffer, quint32 &size) = 0;
    // RegCloseKey.
    virtual long closeKey(Key key) = 0;
};
