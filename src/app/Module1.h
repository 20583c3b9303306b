#pragma once

#include <QString>

class frmMain;

// The start procedure: settings, splash window, the main window loaded while
// hidden, then shown, on the usual case database ($QUILLMARK_DATABASE, the
// steward's stored choice or the per-user file) or on databasePath, which
// the command line chose. The window is the caller's to hold; it deletes
// itself when closed.
namespace Module1
{
frmMain *Main();
frmMain *Main(const QString &databasePath);
// Arial (Liberation Sans where Arial itself is missing) at the classic
// dialog size, which keeps every caption inside its twips-sized control.
void useClassicFont();
} // namespace Module1
