#include "print/PdfFileCheck.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace PdfFileCheck
{

namespace
{
// The trailer of a PDF: "startxref", the offset, "%%EOF", within its last
// kilobyte.
constexpr qint64 tailSize = 1024;
} // namespace

QString incompleteReason(const QString &path)
{
    const QString cut = QStringLiteral("the document could not be written completely to \"%1\"; "
                                       "the disk may be full.")
                            .arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the document \"%1\" could not be read back (%2).")
            .arg(path, file.errorString());
    const qint64 size = file.size();
    if (file.read(5) != "%PDF-")
        return cut;
    if (!file.seek(std::max<qint64>(0, size - tailSize)))
        return cut;
    const QByteArray tail = file.readAll();
    static const QRegularExpression trailer(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
    const QRegularExpressionMatch m = trailer.match(QString::fromLatin1(tail));
    if (!m.hasMatch())
        return cut;
    bool ok = false;
    const qint64 offset = m.captured(1).toLongLong(&ok);
    if (!ok || offset <= 0 || offset >= size || !file.seek(offset) || file.read(4) != "xref")
        return cut;
    return {};
}

} // namespace PdfFileCheck
