#pragma once

#include <QString>

class CaseSession;
class QAction;
class QMenu;
class QWidget;

// The File menu's commands that copy the case database from this computer's
// file to a shared server, and from the server into a new file (a laptop's,
// say). Each saves the records being edited first and runs the copy beside
// the window.
class CopyCommands
{
  public:
    // `parent`: the window the dialogs are shown over.
    CopyCommands(CaseSession &session, QWidget *parent);

    // Adds both commands to the menu, switched on and off with what the
    // open back end can do: the first works on a file, the second on a
    // server.
    void addTo(QMenu *menu);

    void copyToServer();
    void copyToFile();

  private:
    void report(const QString &done);

    CaseSession &m_session;
    QWidget *m_parent;
    QAction *m_toServer = nullptr;
    QAction *m_toFile = nullptr;
    QString m_lastServer; // for this session only
};
