#pragma once

#include "print/CupsQueue.h"
#include "print/QPainterSurface.h"

#include <QTemporaryDir>

// A document for a CUPS queue: drawn into a temporary PDF laid out like the
// queue's paper, then handed to CUPS as one job with its number of copies,
// once the file is known to be whole. The hand-over runs on the print
// system's thread; the window waits for it and may stop waiting.
class CupsJobSurface : public QPainterSurface
{
  public:
    // `pdf` writes `file`, inside `folder`.
    CupsJobSurface(std::unique_ptr<QPdfWriter> pdf, const QString &file,
                   std::unique_ptr<QTemporaryDir> folder, const QString &queue,
                   const QString &title, const CupsQueue::Options &options = {});

    bool setCopies(qint16 copies) override;
    // Hands the page to CUPS, then removes the temporary PDF and its folder,
    // whether CUPS took the job or refused it (or, when the steward stopped
    // waiting, once the print system has let go of it).
    bool endDoc() override;
    int jobId() const { return m_jobId; }
    // The temporary PDF handed to CUPS; gone once endDoc() has returned.
    QString spoolFile() const { return outputFile(); }

  private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_queue;
    QString m_title;
    CupsQueue::Options m_options;
    int m_jobId = 0;
};
