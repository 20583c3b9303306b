#include "CupsJobs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

QString runProgram(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool isCupsPdfQueue(const QString &queue)
{
    return runProgram(QStringLiteral("lpstat"), {QStringLiteral("-v"), queue})
        .contains(QLatin1String("cups-pdf:"));
}

QString cupsPdfFolder()
{
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        static const QRegularExpression out(QStringLiteral("^Out\\s+(\\S+)\\s*$"),
                                            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = out.match(QString::fromUtf8(conf.readAll()));
        if (m.hasMatch() && !m.captured(1).contains(QLatin1Char('$')))
            return m.captured(1);
    }
    return QStringLiteral("/var/spool/cups-pdf/quillmark");
}

QMap<QString, QString> jobAttributes(int job)
{
    const QString out =
        runProgram(QStringLiteral("ipptool"),
                   {QStringLiteral("-tv"), QStringLiteral("ipp://localhost/jobs/%1").arg(job),
                    QStringLiteral("/usr/share/cups/ipptool/get-job-attributes.test")});
    QMap<QString, QString> attributes;
    static const QRegularExpression line(QStringLiteral("^\\s+([\\w-]+) \\([^)]*\\) = (.*)$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        attributes.insert(m.captured(1), m.captured(2).trimmed());
    }
    return attributes;
}

PrintedJob waitForJob(const QString &folder, const QString &titlePrefix)
{
    PrintedJob job;
    static const QRegularExpression id(QStringLiteral("job_(\\d+)\\.pdf$"));
    (void)QTest::qWaitFor(
        [&] {
            const QStringList files =
                QDir(folder).entryList({titlePrefix + QStringLiteral("*job_*.pdf")}, QDir::Files);
            if (files.isEmpty())
                return false;
            job.file = folder + QLatin1Char('/') + files.first();
            job.id = id.match(files.first()).captured(1).toInt();
            job.attributes = jobAttributes(job.id);
            return job.attributes.value(QStringLiteral("job-state")) == QLatin1String("completed");
        },
        90000);
    return job;
}

QList<QImage> pdfPages(const QString &file, int dpi)
{
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), file,
             dir.filePath(QStringLiteral("page"))});
    p.waitForFinished(60000);
    QList<QImage> pages;
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("page*.pgm")}, QDir::Files, QDir::Name);
    for (const QString &f : files)
        pages << QImage(dir.filePath(f)).convertToFormat(QImage::Format_Grayscale8);
    return pages;
}

QRectF inkBounds(const QImage &page, int dpi)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const uchar *row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            if (row[x] >= 128)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return {};
    const double pt = 72.0 / dpi;
    return QRectF(left * pt, top * pt, (right + 1 - left) * pt, (bottom + 1 - top) * pt);
}
