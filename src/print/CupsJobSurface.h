#pragma once

#include "print/CupsQueue.h"
#include "print/QPainterSurface.h"

#include <QTemporaryDir>

// A document for a CUPS queue: drawn into a temporary PDF laid out like the
// queue's paper, then handed to CUPS as one job with its number of copies,
// once the file is known to be whole.
class CupsJobSurface : public QPainterSurface
{
  public:
    CupsJobSurface(std::unique_ptr<QPrinter> pdfPrinter, std::unique_ptr<QTemporaryDir> folder,
                   const QString &queue, const QString &title,
                   const CupsQueue::Options &options = {});

    bool setCopies(qint16 copies) override;
    // Hands the page to CUPS, then removes the temporary PDF and its folder,
    // whether CUPS took the job or refused it.
    bool endDoc() override;
    int jobId() const { return m_jobId; }
    // The temporary PDF handed to CUPS; gone once endDoc() has returned.
    QString spoolFile() const;

  private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_queue;
    QString m_title;
    CupsQueue::Options m_options;
    int m_jobId = 0;
};
