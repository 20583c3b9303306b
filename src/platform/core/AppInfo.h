#pragma once

#include "platform/core/AppBuild.h"

#include <QString>

// Identity of the program: the title shown on message boxes, the settings
// store's application key and the version the About and splash windows show.
namespace AppInfo
{

inline const QString &title()
{
    static const QString t = QStringLiteral("Quillmark_Wizard");
    return t;
}

constexpr int versionMajor = QUILLMARK_VERSION_MAJOR;
constexpr int versionMinor = QUILLMARK_VERSION_MINOR;
constexpr int versionRevision = QUILLMARK_VERSION_PATCH;

inline QString versionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(versionMajor)
        .arg(versionMinor)
        .arg(versionRevision);
}

// The name a person reads (window caption, --version) and the desktop's
// identifier: the .desktop file, the AppStream component and the icon are
// all named after it, so the task bar can tie the windows to the menu entry.
inline QString displayName()
{
    return QStringLiteral("Quillmark Wizard");
}

inline QString desktopId()
{
    return QStringLiteral(QUILLMARK_DESKTOP_ID);
}

} // namespace AppInfo
