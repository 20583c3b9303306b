#include "print/PdfFileSurface.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <cerrno>
#include <cstdio>
#include <cstring>

std::unique_ptr<PdfFileSurface> PdfFileSurface::create(const QString &path,
                                                       const QPageLayout &layout,
                                                       const QString &title, QString &error)
{
    const QFileInfo target(path);
    auto part = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") +
                                                 target.completeBaseName() +
                                                 QStringLiteral("-XXXXXX.part"));
    if (!part->open()) {
        error = QStringLiteral("the file \"%1\" could not be written (%2).")
                    .arg(target.absoluteFilePath(), part->errorString());
        return nullptr;
    }
    part->close();
    auto pdf = std::make_unique<QPdfWriter>(part->fileName());
    pdf->setPageLayout(layout);
    pdf->setTitle(title);
    return std::unique_ptr<PdfFileSurface>(
        new PdfFileSurface(std::move(pdf), std::move(part), target.absoluteFilePath()));
}

PdfFileSurface::PdfFileSurface(std::unique_ptr<QPdfWriter> pdf,
                               std::unique_ptr<QTemporaryFile> part, const QString &path)
    : QPainterSurface(std::move(pdf), part->fileName()), m_part(std::move(part)), m_path(path)
{
}

PdfFileSurface::~PdfFileSurface()
{
    // A document given up (the steward cancelled, the disk was full) leaves
    // no empty file under the name it was to take.
    const QFileInfo held(m_path);
    if (m_holdsName && !m_saved && held.isFile() && !held.isSymLink() && held.size() == 0)
        QFile::remove(m_path);
}

bool PdfFileSurface::endDoc()
{
    if (!QPainterSurface::endDoc()) {
        // The steward knows the file by its own name, not the temporary one.
        setLastError(lastError().replace(m_part->fileName(), m_path));
        return false;
    }
    // rename() replaces an existing file in one step; QFile::rename would
    // refuse to.
    if (std::rename(QFile::encodeName(m_part->fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        setLastError(QStringLiteral("the file \"%1\" could not be written (%2).")
                         .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    m_part->setAutoRemove(false);
    m_saved = true;
    return true;
}
