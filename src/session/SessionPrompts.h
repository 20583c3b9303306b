#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

// What the session asks of the windows above it, which own the dialogs:
// the wait for long work behind a progress dialog, and a server's password
// typed into the password box.
class SessionPrompts
{
  public:
    using Work = std::function<void(const std::atomic<bool> &cancel, std::atomic<qint64> &done,
                                    std::atomic<qint64> &total)>;

    virtual ~SessionPrompts() = default;

    // Runs `work` on a thread of its own while the steward waits behind
    // `label`; false when the steward cancelled (only when `cancellable`).
    virtual bool wait(const QString &label, bool cancellable, const Work &work) = 0;

    // The password the server at `location` took earlier, if one did.
    virtual std::optional<QString> knownPassword(const QString &location) const = 0;
    // Asks for the password of `server` (at `location`); `reason` what the
    // server said when it turned the last one away. False when cancelled.
    virtual bool askPassword(const QString &location, const QString &server, const QString &reason,
                             bool refused, QString &password) = 0;
};
