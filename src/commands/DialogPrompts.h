#pragma once

#include "session/SessionPrompts.h"

class QWidget;

// The session's waits behind the program's progress dialog and a server's
// password typed into the password box (kept in memory for the program's
// run, as DatabaseChoice keeps it).
class DialogPrompts : public SessionPrompts
{
  public:
    // `parent`: the window the dialogs are shown over.
    explicit DialogPrompts(QWidget *parent = nullptr) : m_parent(parent) {}

    bool wait(const QString &label, bool cancellable, const Work &work) override;
    std::optional<QString> knownPassword(const QString &location) const override;
    bool askPassword(const QString &location, const QString &server, const QString &reason,
                     bool refused, QString &password) override;

  private:
    QWidget *m_parent;
};
