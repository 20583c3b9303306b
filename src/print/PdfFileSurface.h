#pragma once

#include "print/QPainterSurface.h"

#include <QPageLayout>
#include <QTemporaryFile>

// A document saved as a PDF file instead of going to a printer. It is written
// under a temporary name beside the file and takes the file's name only once
// it is whole, so a save that fails (a full disk) leaves no broken file and
// never destroys the file it would have replaced.
class PdfFileSurface : public QPainterSurface
{
  public:
    // nullptr, with the cause in `error`, when the folder cannot take a file.
    static std::unique_ptr<PdfFileSurface> create(const QString &path, const QPageLayout &layout,
                                                  const QString &title, QString &error);
    // The empty file at `path` holds the name for the document (made by the
    // caller, so that no one else takes it); unless the document is saved,
    // the surface removes it again when it goes.
    void holdsName() { m_holdsName = true; }
    ~PdfFileSurface() override;

    bool endDoc() override;
    QString savedFile() const override { return m_path; }

  private:
    PdfFileSurface(std::unique_ptr<QPdfWriter> pdf, std::unique_ptr<QTemporaryFile> part,
                   const QString &path);

    std::unique_ptr<QTemporaryFile> m_part;
    QString m_path;
    bool m_holdsName = false;
    bool m_saved = false;
};
