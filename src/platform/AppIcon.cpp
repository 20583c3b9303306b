#include "platform/AppIcon.h"

#include "platform/core/AppInfo.h"

namespace AppIcon
{

namespace
{
constexpr int Sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
}

QIcon icon()
{
    QIcon icon;
    for (int size : Sizes)
        icon.addFile(
            QStringLiteral(":/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppInfo::desktopId()),
            QSize(size, size));
    return icon;
}

} // namespace AppIcon
