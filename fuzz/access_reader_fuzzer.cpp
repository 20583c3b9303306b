// libFuzzer target for reading an Access file: whatever the bytes, a
// truncated or bit-flipped Jet file included, the program gets a clear
// answer, never a crash or a hang of its own. libmdb runs in the reader
// program, which may crash or hang on them; the program must report it.
// The corpus is the sample files, copied at run time (build-and-run.sh).
#include "access/AccessReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

[[noreturn]] void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "FUZZ FAILURE: %s %s\n", what, detail.toLocal8Bit().constData());
    std::abort();
}

AccessReader::Options options()
{
    AccessReader::Options o;
    // A listing and three tables, each hung at worst: still well inside
    // libFuzzer's own -timeout (10 s), so a hung reader is ours to catch.
    o.silenceMs = 1500;
    return o;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.mdb"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail("cannot write the input");
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const AccessReader reader(path, options());
    const AccessListing listing = reader.tables();
    if (listing.ok == !listing.error.isEmpty())
        fail("a listing is ok exactly when it has no error", listing.error);
    if (listing.damaged && listing.ok)
        fail("a damaged listing said ok");
    int read = 0;
    for (const AccessTable &t : listing.tables) {
        if (++read > 3)
            break;
        qint64 rows = 0;
        const AccessReadResult r =
            reader.rows(t.name, [&](const AccessRow &row, qint64 n, QString *) {
                if (row.size() != t.columns.size() || n != ++rows)
                    fail("a row of the wrong width or number");
                return true;
            });
        if (r.ok == !r.error.isEmpty() || r.rows != rows)
            fail("a reading is ok exactly when it has no error, and counts its rows", r.error);
    }
    if (reader.readerProcessId() != 0)
        fail("a reader program left running");
    return 0;
}
