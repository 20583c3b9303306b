#pragma once

#include <QString>

class QAction;
class QMenu;
class frmMain;

// The File menu's commands that copy the case database from this computer's
// file to a shared server, and from the server into a new file (a laptop's,
// say). Each saves the records being edited first and runs the copy beside
// the window.
class CopyCommands
{
  public:
    explicit CopyCommands(frmMain &window);

    // Adds both commands to the menu.
    void addTo(QMenu *menu);
    // The first works on a file, the second on a server.
    void enableFor(bool onFile);

    void copyToServer();
    void copyToFile();

  private:
    void report(const QString &done);

    frmMain &m_window;
    QAction *m_toServer = nullptr;
    QAction *m_toFile = nullptr;
    QString m_lastServer; // for this session only
};
