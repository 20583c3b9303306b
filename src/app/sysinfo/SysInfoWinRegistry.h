#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "app/sysinfo/SysInfoRegistry.h"

// The Windows registry through advapi32.
class SysInfoWinRegistry : public SysInfoRegistry
{
  public:
    long openKey(qint32 root, const QByteArray &path, quint32 options, quint32 access,
                 Key &key) override;
    long queryValue(Key key, const QByteArray &name, quint32 reserved, quint32 &type,
                    QByteArray &buffer, quint32 &size) override;
    long closeKey(Key key) override;
};

#endif
