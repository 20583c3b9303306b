#pragma once

#include <QString>

// Hands a finished PDF to a CUPS queue and reports whether CUPS took it.
// Qt's own CUPS back end drops the answer of the print system, so a refused
// job would look the same as a printed one.
namespace CupsQueue
{

struct Submission {
    int jobId = 0; // 0 when the job was not accepted
    QString error; // the print system's own words when it was not
};

Submission submit(const QString &printer, const QString &pdfFile, const QString &title, int copies);

} // namespace CupsQueue
