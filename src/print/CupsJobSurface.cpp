#include "print/CupsJobSurface.h"

#include "print/PrintSystem.h"

#include <QPdfWriter>

namespace
{
// CUPS's default MaxCopies; a larger number is refused by the scheduler.
constexpr int maxCopies = 9999;
} // namespace

CupsJobSurface::CupsJobSurface(std::unique_ptr<QPdfWriter> pdf, const QString &file,
                               std::unique_ptr<QTemporaryDir> folder, const QString &queue,
                               const QString &title, const CupsQueue::Options &options)
    : QPainterSurface(std::move(pdf), file), m_folder(std::move(folder)), m_queue(queue),
      m_title(title), m_options(options)
{
}

bool CupsJobSurface::setCopies(qint16 copies)
{
    if (painterStarted() || copies < 1 || copies > maxCopies)
        return false;
    setCopiesValue(copies);
    return true;
}

bool CupsJobSurface::endDoc()
{
    if (!QPainterSurface::endDoc()) {
        m_folder.reset(); // a page that is not whole goes nowhere, and not on disk either
        return false;
    }
    // cupsPrintFile has sent the whole file when it returns: the case's
    // details stay on disk no longer than that. The call owns the folder,
    // so a hand-over nobody waits for any more still finds its file.
    std::shared_ptr<QTemporaryDir> folder(std::move(m_folder));
    const std::optional<CupsQueue::Submission> s = PrintSystem::ask<CupsQueue::Submission>(
        [folder = std::move(folder), queue = m_queue, file = outputFile(), title = m_title,
         copies = copies(), options = m_options](const std::atomic<bool> &cancel) {
            return CupsQueue::submit(queue, file, title, copies, options, &cancel);
        });
    if (!s || s->cancelled) {
        setCancelled();
        setLastError(QStringLiteral("you stopped waiting for the print system."));
        return false;
    }
    m_jobId = s->jobId;
    if (s->jobId <= 0) {
        setLastError(s->error);
        return false;
    }
    return true;
}
