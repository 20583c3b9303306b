#pragma once

#include <QString>

class frmMain;

// The start procedure: settings, splash window, the main window loaded while
// hidden, then shown. databasePath is the case database the command line or
// the environment chose (CommandLine::databaseLocation).
namespace Module1 {
frmMain *Main(const QString &databasePath);
frmMain *mainWindow();
// Arial (Liberation Sans where Arial itself is missing) at the classic
// dialog size, which keeps every caption inside its twips-sized control.
void useClassicFont();
} // namespace Module1
