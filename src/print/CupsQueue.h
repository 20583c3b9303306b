#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <atomic>

// Hands a finished PDF to a CUPS destination and reports whether CUPS took it.
// Qt's own CUPS back end drops the answer of the print system, so a refused
// job would look the same as a printed one.
namespace CupsQueue
{

struct Submission {
    int jobId = 0;          // 0 when the job was not accepted
    QString error;          // the print system's own words when it was not
    bool cancelled = false; // the steward stopped waiting for an answer
};

using Options = QList<QPair<QByteArray, QByteArray>>;

// The destination is a queue or an instance of one ("office/duplex"), as
// CUPS names them. Its options saved with lpoptions apply, as lp applies
// them, under the job's own (the copies, and whatever `options` holds).
// It talks to CUPS over a connection of its own that gives up as soon as
// `cancel` is set, however long the print system keeps silent.
Submission submit(const QString &destination, const QString &pdfFile, const QString &title,
                  int copies, const Options &options = {},
                  const std::atomic<bool> *cancel = nullptr);

// A print system that wants a password asks through a callback of the
// thread that talks to it; Qt's own shows a dialog, which only the window's
// thread may do. On the print system's thread the question is answered
// with no password, and the job is refused with the print system's reason.
void keepPasswordQuestionsOffThisThread();

} // namespace CupsQueue
