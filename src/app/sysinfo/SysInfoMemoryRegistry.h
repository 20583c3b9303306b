#pragma once

#include "app/sysinfo/SysInfoRegistry.h"

#include <QHash>
#include <QMap>

// A registry held in memory. It answers with the return codes the real one
// gives (missing key or value, refused access, too small a buffer, unknown
// handle), which makes it both the test registry and, left empty, the registry
// of a platform that has none.
class SysInfoMemoryRegistry : public SysInfoRegistry
{
  public:
    // Creates the key if needed and stores the value's bytes as given.
    void setValue(qint32 root, const QByteArray &path, const QByteArray &name, quint32 type,
                  const QByteArray &data);
    // A text value, stored with its terminating zero as the registry does.
    void setText(qint32 root, const QByteArray &path, const QByteArray &name,
                 const QByteArray &text);
    // A 32-bit number, stored lowest byte first as the registry does.
    void setNumber32(qint32 root, const QByteArray &path, const QByteArray &name, quint32 value);
    // Opening the key asking for any right outside `allowed` is refused.
    void restrictAccess(qint32 root, const QByteArray &path, quint32 allowed);

    long openKey(qint32 root, const QByteArray &path, quint32 options, quint32 access,
                 Key &key) override;
    long queryValue(Key key, const QByteArray &name, quint32 reserved, quint32 &type,
                    QByteArray &buffer, quint32 &size) override;
    long closeKey(Key key) override;

    // Keys opened and not yet closed.
    int openCount() const { return int(m_open.size()); }

  private:
    struct Value {
        quint32 type = 0;
        QByteArray data;
    };
    struct KeyEntry {
        quint32 allowedAccess = 0xFFFFFFFFu;
        QMap<QByteArray, Value> values; // by lower-cased name
    };

    static QByteArray address(qint32 root, const QByteArray &path);

    QMap<QByteArray, KeyEntry> m_keys; // by root and lower-cased path
    QHash<Key, QByteArray> m_open;     // open handle -> key address
    Key m_nextHandle = 0x100;
};
