#pragma once

#include <QString>

// Whether a PDF file was written to its end. Qt's PDF engine does not report
// a write that failed (a full disk, a file size limit), so a file is checked
// before it is printed or announced as saved.
namespace PdfFileCheck
{

// Empty when the file is a whole PDF: it begins as one, and its last
// cross-reference offset, followed by the end-of-file marker, points into
// the file at a cross-reference table. Otherwise the reason, for the steward.
QString incompleteReason(const QString &path);

} // namespace PdfFileCheck
