#include "print/CupsQueue.h"

#include <QFile>
#include <QLibrary>

namespace CupsQueue
{

namespace
{

// The layout of cups_option_t in <cups/cups.h>.
struct CupsOption {
    char *name;
    char *value;
};

using PrintFileFn = int (*)(const char *, const char *, const char *, int, CupsOption *);
using LastErrorStringFn = const char *(*)();

} // namespace

Submission submit(const QString &printer, const QString &pdfFile, const QString &title, int copies)
{
    // libcups is loaded at run time, as Qt's CUPS plugin itself needs it; the
    // program does not link it.
    static QLibrary cups(QStringLiteral("cups"), 2);
    if (!cups.isLoaded() && !cups.load())
        return {
            0,
            QStringLiteral("the CUPS library could not be loaded (%1).").arg(cups.errorString())};
    const auto printFile = reinterpret_cast<PrintFileFn>(cups.resolve("cupsPrintFile"));
    const auto lastError = reinterpret_cast<LastErrorStringFn>(cups.resolve("cupsLastErrorString"));
    if (!printFile || !lastError)
        return {0, QStringLiteral("the CUPS library lacks cupsPrintFile.")};

    QByteArray copiesName("copies");
    QByteArray copiesValue = QByteArray::number(copies);
    CupsOption option{copiesName.data(), copiesValue.data()};
    const int job =
        printFile(printer.toLocal8Bit().constData(), QFile::encodeName(pdfFile).constData(),
                  title.toUtf8().constData(), 1, &option);
    if (job > 0)
        return {job, {}};
    return {0, QStringLiteral("the print system refused the job (%1).")
                   .arg(QString::fromUtf8(lastError()))};
}

} // namespace CupsQueue
