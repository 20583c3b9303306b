#pragma once

#include <QString>

namespace UserFolders
{

// Where a file the steward saves is first offered: the documents folder,
// or the home folder on a desktop that has none.
QString documents();

} // namespace UserFolders
