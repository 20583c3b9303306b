#pragma once

class frmMain;

// The start procedure: settings, splash window, the main window loaded while
// hidden, then shown.
namespace Module1 {
frmMain *Main();
frmMain *mainWindow();
} // namespace Module1
