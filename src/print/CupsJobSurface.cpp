#include "print/CupsJobSurface.h"

#include <QPrinter>
#include <QScopeGuard>

namespace
{
// CUPS's default MaxCopies; a larger number is refused by the scheduler.
constexpr int maxCopies = 9999;
} // namespace

CupsJobSurface::CupsJobSurface(std::unique_ptr<QPrinter> pdfPrinter,
                               std::unique_ptr<QTemporaryDir> folder, const QString &queue,
                               const QString &title, const CupsQueue::Options &options)
    : QPainterSurface(std::move(pdfPrinter)), m_folder(std::move(folder)), m_queue(queue),
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

QString CupsJobSurface::spoolFile() const
{
    return printer().outputFileName();
}

bool CupsJobSurface::endDoc()
{
    // cupsPrintFile has sent the whole file when it returns: the case's
    // details stay on disk no longer than that.
    const auto removeSpool = qScopeGuard([this] { m_folder.reset(); });
    if (!QPainterSurface::endDoc())
        return false;
    const CupsQueue::Submission s =
        CupsQueue::submit(m_queue, printer().outputFileName(), m_title, copies(), m_options);
    m_jobId = s.jobId;
    if (s.jobId <= 0) {
        setLastError(s.error);
        return false;
    }
    return true;
}
