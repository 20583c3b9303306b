#include "print/CupsQueue.h"

#include <QFile>
#include <QLibrary>

namespace CupsQueue
{

namespace
{

// The layouts of cups_option_t and cups_dest_t in <cups/cups.h>.
struct CupsOption {
    char *name;
    char *value;
};
struct CupsDest {
    char *name;
    char *instance;
    int isDefault;
    int numOptions;
    CupsOption *options;
};

using GetNamedDestFn = CupsDest *(*)(void *, const char *, const char *);
using FreeDestsFn = void (*)(int, CupsDest *);
using AddOptionFn = int (*)(const char *, const char *, int, CupsOption **);
using GetOptionFn = const char *(*)(const char *, int, CupsOption *);
using FreeOptionsFn = void (*)(int, CupsOption *);
using PrintFileFn = int (*)(const char *, const char *, const char *, int, CupsOption *);
using LastErrorStringFn = const char *(*)();

struct Cups {
    GetNamedDestFn getNamedDest = nullptr;
    FreeDestsFn freeDests = nullptr;
    AddOptionFn addOption = nullptr;
    GetOptionFn getOption = nullptr;
    FreeOptionsFn freeOptions = nullptr;
    PrintFileFn printFile = nullptr;
    LastErrorStringFn lastError = nullptr;
    QString failure;
};

// libcups is loaded at run time, as Qt's CUPS plugin itself needs it; the
// program does not link it.
const Cups &cups()
{
    static const Cups functions = [] {
        Cups c;
        static QLibrary library(QStringLiteral("cups"), 2);
        if (!library.isLoaded() && !library.load()) {
            c.failure = QStringLiteral("the CUPS library could not be loaded (%1).")
                            .arg(library.errorString());
            return c;
        }
        c.getNamedDest = reinterpret_cast<GetNamedDestFn>(library.resolve("cupsGetNamedDest"));
        c.freeDests = reinterpret_cast<FreeDestsFn>(library.resolve("cupsFreeDests"));
        c.addOption = reinterpret_cast<AddOptionFn>(library.resolve("cupsAddOption"));
        c.getOption = reinterpret_cast<GetOptionFn>(library.resolve("cupsGetOption"));
        c.freeOptions = reinterpret_cast<FreeOptionsFn>(library.resolve("cupsFreeOptions"));
        c.printFile = reinterpret_cast<PrintFileFn>(library.resolve("cupsPrintFile"));
        c.lastError = reinterpret_cast<LastErrorStringFn>(library.resolve("cupsLastErrorString"));
        if (!c.getNamedDest || !c.freeDests || !c.addOption || !c.getOption || !c.freeOptions ||
            !c.printFile || !c.lastError)
            c.failure = QStringLiteral("the CUPS library lacks the functions to print.");
        return c;
    }();
    return functions;
}

} // namespace

Submission submit(const QString &destination, const QString &pdfFile, const QString &title,
                  int copies, const Options &options)
{
    const Cups &c = cups();
    if (!c.failure.isEmpty())
        return {0, c.failure};

    // "queue/instance": the instance is a set of saved options on the queue,
    // never a queue of its own.
    const QByteArray name = destination.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray instance = destination.section(QLatin1Char('/'), 1).toLocal8Bit();
    CupsDest *dest = c.getNamedDest(nullptr, name.constData(),
                                    instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return {0, QStringLiteral("the printer \"%1\" is not known to the print system (%2).")
                       .arg(destination, QString::fromUtf8(c.lastError()))};

    int count = 0;
    CupsOption *all = nullptr;
    count = c.addOption("copies", QByteArray::number(copies).constData(), count, &all);
    for (const auto &[option, value] : options)
        count = c.addOption(option.constData(), value.constData(), count, &all);
    for (int i = 0; i < dest->numOptions; ++i) {
        const CupsOption &saved = dest->options[i];
        if (!c.getOption(saved.name, count, all))
            count = c.addOption(saved.name, saved.value, count, &all);
    }
    const int job = c.printFile(dest->name, QFile::encodeName(pdfFile).constData(),
                                title.toUtf8().constData(), count, all);
    const QString error = QString::fromUtf8(c.lastError());
    c.freeOptions(count, all);
    c.freeDests(1, dest);
    if (job > 0)
        return {job, {}};
    return {0, QStringLiteral("the print system refused the job (%1).").arg(error)};
}

} // namespace CupsQueue
