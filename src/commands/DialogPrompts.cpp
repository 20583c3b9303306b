#include "commands/DialogPrompts.h"

#include "commands/DatabaseChoice.h"
#include "platform/BackgroundJob.h"

bool DialogPrompts::wait(const QString &label, bool cancellable, const Work &work)
{
    return BackgroundJob::run(
        m_parent, [label](qint64, qint64) { return label; }, cancellable,
        [&work](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
            work(cancel, progress.done, progress.total);
        });
}

std::optional<QString> DialogPrompts::knownPassword(const QString &location) const
{
    return DatabaseChoice::knownPassword(location);
}

bool DialogPrompts::askPassword(const QString &location, const QString &server,
                                const QString &reason, bool refused, QString &password)
{
    return DatabaseChoice::promptPassword(location, server, reason, refused, password);
}
