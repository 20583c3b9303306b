#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Hands a finished PDF to a CUPS destination and reports whether CUPS took it.
// Qt's own CUPS back end drops the answer of the print system, so a refused
// job would look the same as a printed one.
namespace CupsQueue
{

struct Submission {
    int jobId = 0; // 0 when the job was not accepted
    QString error; // the print system's own words when it was not
};

using Options = QList<QPair<QByteArray, QByteArray>>;

// The destination is a queue or an instance of one ("office/duplex"), as
// CUPS names them. Its options saved with lpoptions apply, as lp applies
// them, under the job's own (the copies, and whatever `options` holds).
Submission submit(const QString &destination, const QString &pdfFile, const QString &title,
                  int copies, const Options &options = {});

} // namespace CupsQueue
