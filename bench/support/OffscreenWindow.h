#pragma once

#include "app/frmMain.h"

#include <QString>
#include <memory>

class TextBox;

// The real main window over a case database, loaded and shown the way the
// program starts it, and driven with real input events sent through the
// application (key presses and releases, mouse clicks on the tabs), so that
// every event filter and handler on the way runs as it does for a person.
class OffscreenWindow
{
  public:
    // The backup the window starts in the background is stopped at once
    // (leaving nothing behind) unless the benchmark measures work beside
    // it: a copy of the shared cached database would otherwise compete with
    // what is measured and fill its folder with 750 MB backups.
    enum class Backup { Stopped, Running };
    explicit OffscreenWindow(const QString &databasePath, Backup backup = Backup::Stopped);
    ~OffscreenWindow();

    frmMain &window() { return *m_window; }
    TextBox *field(int index);

    // A key press and its release on the box's editor. text is what the key
    // types (empty for keys such as Backspace).
    void keyClick(TextBox *box, int key, const QString &text = {});
    // A left click on a tab of SSTab2.
    void clickTab(int page);

    // Shows the employee with this file number as the lookup does when the
    // steward has typed all of it.
    void lookUp(const QString &fileNumber);

    // Runs the event loop until the window system has the window on
    // screen; false when that did not happen within timeoutMs.
    static bool waitExposed(QWidget &w, int timeoutMs = 10000);

  private:
    std::unique_ptr<frmMain> m_window;
};
