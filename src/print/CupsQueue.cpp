#include "print/CupsQueue.h"

#include <QFile>
#include <QLibrary>
#include <QScopeGuard>

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
using PrintFile2Fn = int (*)(void *, const char *, const char *, const char *, int, CupsOption *);
using LastErrorStringFn = const char *(*)();
using ServerFn = const char *(*)();
using PortFn = int (*)();
using EncryptionFn = int (*)();
using ConnectFn = void *(*)(const char *, int, void *, int, int, int, int, int *);
using TimeoutCallback = int (*)(void *, void *);
using SetTimeoutFn = void (*)(void *, double, TimeoutCallback, void *);
using CloseFn = void (*)(void *);
using PasswordCallback = const char *(*)(const char *, void *, const char *, const char *, void *);
using SetPasswordCallbackFn = void (*)(PasswordCallback, void *);
using SetServerFn = void (*)(const char *);

struct Cups {
    GetNamedDestFn getNamedDest = nullptr;
    FreeDestsFn freeDests = nullptr;
    AddOptionFn addOption = nullptr;
    GetOptionFn getOption = nullptr;
    FreeOptionsFn freeOptions = nullptr;
    PrintFile2Fn printFile = nullptr;
    LastErrorStringFn lastError = nullptr;
    ServerFn server = nullptr;
    PortFn port = nullptr;
    EncryptionFn encryption = nullptr;
    ConnectFn connect = nullptr;
    SetTimeoutFn setTimeout = nullptr;
    CloseFn close = nullptr;
    SetPasswordCallbackFn setPasswordCallback = nullptr;
    SetServerFn setServer = nullptr;
    QString failure;
};

template <class Fn> void resolve(QLibrary &library, Fn &fn, const char *name, bool &all)
{
    fn = reinterpret_cast<Fn>(library.resolve(name));
    all = all && fn;
}

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
        bool all = true;
        resolve(library, c.getNamedDest, "cupsGetNamedDest", all);
        resolve(library, c.freeDests, "cupsFreeDests", all);
        resolve(library, c.addOption, "cupsAddOption", all);
        resolve(library, c.getOption, "cupsGetOption", all);
        resolve(library, c.freeOptions, "cupsFreeOptions", all);
        resolve(library, c.printFile, "cupsPrintFile2", all);
        resolve(library, c.lastError, "cupsLastErrorString", all);
        resolve(library, c.server, "cupsServer", all);
        resolve(library, c.port, "ippPort", all);
        resolve(library, c.encryption, "cupsEncryption", all);
        resolve(library, c.connect, "httpConnect2", all);
        resolve(library, c.setTimeout, "httpSetTimeout", all);
        resolve(library, c.close, "httpClose", all);
        resolve(library, c.setPasswordCallback, "cupsSetPasswordCB2", all);
        resolve(library, c.setServer, "cupsSetServer", all);
        if (!all)
            c.failure = QStringLiteral("the CUPS library lacks the functions to print.");
        return c;
    }();
    return functions;
}

// How often a silent print system is asked whether to go on waiting.
constexpr double waitSlice = 0.25;
// How long the connection itself may take.
constexpr int connectMs = 30000;

// A server that cannot be reached, at once.
const char *const nowhere = "/dev/null/cups.sock";

struct Waiting {
    const std::atomic<bool> *cancel = nullptr;
    bool gaveUp = false;
};

// Asked by libcups, on the submitting thread, each time the print system
// has kept silent for a while. A lookup that fails tries again through the
// default connection of libcups, which waits a minute per answer; sent
// nowhere, it fails at once.
int keepWaiting(void *, void *data)
{
    auto *waiting = static_cast<Waiting *>(data);
    if (!waiting->cancel->load())
        return 1;
    if (!waiting->gaveUp) {
        waiting->gaveUp = true;
        cups().setServer(nowhere);
    }
    return 0;
}

const char *noPassword(const char *, void *, const char *, const char *, void *)
{
    return nullptr;
}

const std::atomic<bool> neverCancelled{false};

} // namespace

void keepPasswordQuestionsOffThisThread()
{
    const Cups &c = cups();
    if (c.failure.isEmpty())
        c.setPasswordCallback(noPassword, nullptr);
}

Submission submit(const QString &destination, const QString &pdfFile, const QString &title,
                  int copies, const Options &options, const std::atomic<bool> *cancel)
{
    const Cups &c = cups();
    if (!c.failure.isEmpty())
        return {0, c.failure};
    if (!cancel)
        cancel = &neverCancelled;
    const Submission cancelled{0, QStringLiteral("you stopped waiting for the print system."),
                               true};

    // The connection is the program's own, so that the wait for each answer
    // can be given up; the default one of libcups waits a minute per answer
    // and tries again.
    void *http = c.connect(c.server(), c.port(), nullptr, 0, c.encryption(), 1, connectMs, nullptr);
    if (!http)
        return *cancel ? cancelled
                       : Submission{0, QStringLiteral("the print system cannot be reached (%1).")
                                           .arg(QString::fromUtf8(c.lastError()))};
    Waiting waiting{cancel};
    const auto closeConnection = qScopeGuard([&] {
        c.close(http);
        if (waiting.gaveUp)
            c.setServer(nullptr); // the usual server again, for the next job
    });
    c.setTimeout(http, waitSlice, keepWaiting, &waiting);

    // "queue/instance": the instance is a set of saved options on the queue,
    // never a queue of its own.
    const QByteArray name = destination.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray instance = destination.section(QLatin1Char('/'), 1).toLocal8Bit();
    CupsDest *dest =
        c.getNamedDest(http, name.constData(), instance.isEmpty() ? nullptr : instance.constData());
    if (*cancel) {
        if (dest)
            c.freeDests(1, dest);
        return cancelled;
    }
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
    const int job = c.printFile(http, dest->name, QFile::encodeName(pdfFile).constData(),
                                title.toUtf8().constData(), count, all);
    const QString error = QString::fromUtf8(c.lastError());
    c.freeOptions(count, all);
    c.freeDests(1, dest);
    if (job > 0)
        return {job, {}};
    if (*cancel)
        return cancelled;
    return {0, QStringLiteral("the print system refused the job (%1).").arg(error)};
}

} // namespace CupsQueue
