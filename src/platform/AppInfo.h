#pragma once

#include <QString>

// Identity of the program: the title shown on message boxes, the settings
// store's application key and the version the About and splash windows show.
namespace AppInfo {

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
    return QStringLiteral("Version %1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionRevision);
}

} // namespace AppInfo
