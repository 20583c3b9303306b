#pragma once

#include <QSettings>

// The program's settings: the window's placement and the case database
// chosen (a file's path, or a server's address with its user). That is the
// steward's business alone, so the folder and the file are made private
// before Qt first writes them, whatever the umask; QSettings keeps the
// rights of a file that exists. A folder or file that exists already keeps
// the rights it has.
namespace SettingsStore
{

// The settings under the program's name.
QSettings open();

} // namespace SettingsStore
