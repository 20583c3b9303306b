#pragma once

#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>

// The real print system as the print tests see it: CUPS with cups-pdf
// queues (scripts/start-cups.sh sets them up), whose jobs end as PDF files
// that the tests read back.

// Output of a program, empty when it did not run.
QString runProgram(const QString &program, const QStringList &args);

bool isCupsPdfQueue(const QString &queue);

// Where cups-pdf puts its files: the Out setting of its configuration.
QString cupsPdfFolder();

// The attributes CUPS keeps for a job, "name" -> "value".
QMap<QString, QString> jobAttributes(int job);

struct PrintedJob {
    QString file;
    int id = 0;
    QMap<QString, QString> attributes;
};

// cups-pdf names a file after the job's title, with its job id at the end.
// The job counts as printed once CUPS calls it completed.
PrintedJob waitForJob(const QString &folder, const QString &titlePrefix);

// The pages of a PDF as gray images at `dpi`, rendered by pdftoppm.
QList<QImage> pdfPages(const QString &file, int dpi);

// The smallest rectangle holding every pixel darker than mid-gray; in points
// for a page rendered at `dpi`.
QRectF inkBounds(const QImage &page, int dpi);
