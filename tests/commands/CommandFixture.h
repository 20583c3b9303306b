#pragma once

#include "commands/DialogPrompts.h"
#include "session/CaseSession.h"
#include "support/CaseFormHost.h"

#include <QStatusBar>

// The case session the commands work on, as the main window holds it, but
// without the window: the session over the record panes of a CaseFormHost,
// with the password box and the progress dialogs the commands show. The
// session's status lines are recorded with the handlers'. The test answers
// the dialogs (support/ScriptedDialogs.h).
class CommandSession : public CaseFormHost
{
  public:
    CommandSession();
    ~CommandSession() override;

    // Opens the database at `location` on the panes as the window does at
    // start (a file that is not there is made, a damaged one offered its
    // backup), then starts the backup a shown window takes of a file.
    void open(const QString &location);

    QStatusBar *statusBar = nullptr; // the print jobs' notices
    DialogPrompts prompts{&window};
    CaseSession session{&prompts};
};
