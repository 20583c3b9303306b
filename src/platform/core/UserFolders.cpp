#include "platform/core/UserFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace UserFolders
{

QString documents()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
}

} // namespace UserFolders
