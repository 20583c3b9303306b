#include "app/sysinfo/SysInfoMemoryRegistry.h"

#include <cstring>

namespace
{
// The predefined roots, HKEY_CLASSES_ROOT to HKEY_CURRENT_CONFIG.
bool isRoot(qint32 root)
{
    const auto r = quint32(root);
    return r >= 0x80000000u && r <= 0x80000005u;
}
} // namespace

QByteArray SysInfoMemoryRegistry::address(qint32 root, const QByteArray &path)
{
    // The registry ignores case in key paths and value names.
    return QByteArray::number(quint32(root), 16) + ':' + path.toLower();
}

void SysInfoMemoryRegistry::setValue(qint32 root, const QByteArray &path, const QByteArray &name,
                                     quint32 type, const QByteArray &data)
{
    m_keys[address(root, path)].values[name.toLower()] = Value{type, data};
}

void SysInfoMemoryRegistry::setText(qint32 root, const QByteArray &path, const QByteArray &name,
                                    const QByteArray &text)
{
    QByteArray data = text;
    data.append('\0');
    setValue(root, path, name, TypeText, data);
}

void SysInfoMemoryRegistry::setNumber32(qint32 root, const QByteArray &path, const QByteArray &name,
                                        quint32 value)
{
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((value >> (8 * i)) & 0xFF);
    setValue(root, path, name, TypeNumber32, data);
}

void SysInfoMemoryRegistry::restrictAccess(qint32 root, const QByteArray &path, quint32 allowed)
{
    m_keys[address(root, path)].allowedAccess = allowed;
}

long SysInfoMemoryRegistry::openKey(qint32 root, const QByteArray &path, quint32, quint32 access,
                                    Key &key)
{
    if (!isRoot(root))
        return ErrorInvalidHandle;
    const QByteArray where = address(root, path);
    const auto it = m_keys.constFind(where);
    if (it == m_keys.constEnd())
        return ErrorFileNotFound;
    if ((access & ~it->allowedAccess) != 0)
        return ErrorAccessDenied;
    key = m_nextHandle++;
    m_open.insert(key, where);
    return ErrorSuccess;
}

long SysInfoMemoryRegistry::queryValue(Key key, const QByteArray &name, quint32, quint32 &type,
                                       QByteArray &buffer, quint32 &size)
{
    const auto open = m_open.constFind(key);
    if (open == m_open.constEnd())
        return ErrorInvalidHandle;
    const KeyEntry &entry = m_keys[*open];
    const auto it = entry.values.constFind(name.toLower());
    if (it == entry.values.constEnd())
        return ErrorFileNotFound;
    const auto needed = quint32(it->data.size());
    type = it->type;
    if (needed > size || qsizetype(needed) > buffer.size()) {
        size = needed;
        return ErrorMoreData;
    }
    if (needed > 0)
        std::memcpy(buffer.data(), it->data.constData(), needed);
    size = needed;
    return ErrorSuccess;
}

long SysInfoMemoryRegistry::closeKey(Key key)
{
    return m_open.remove(key) > 0 ? ErrorSuccess : ErrorInvalidHandle;
}
