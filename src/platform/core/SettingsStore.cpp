#include "platform/core/SettingsStore.h"

#include "platform/core/AppInfo.h"
#include "platform/core/PrivateFiles.h"

#include <QFileInfo>

namespace SettingsStore
{

QSettings open()
{
    const QString file = QSettings(AppInfo::title(), AppInfo::title()).fileName();
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink() && PrivateFiles::makeFolder(info.absolutePath()))
        PrivateFiles::createFile(file);
    return QSettings(AppInfo::title(), AppInfo::title());
}

} // namespace SettingsStore
