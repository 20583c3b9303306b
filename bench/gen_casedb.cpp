// Makes a case database for the benchmarks (or finds it in the cache) and
// prints its path; with --verify, checks it as well.
#include "jetsql/DataError.h"
#include "support/CaseDataGenerator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Generates a case database of N employees and M complaints. Without --out "
                       "it is kept in the "
                       "benchmark cache (%1) and reused; its path is printed.")
            .arg(CaseDataGenerator::cacheFolder()));
    parser.addHelpOption();
    const QCommandLineOption employees(QStringLiteral("employees"),
                                       QStringLiteral("Employees (N), at most 1000000."),
                                       QStringLiteral("N"), QStringLiteral("1000000"));
    const QCommandLineOption complaints(QStringLiteral("complaints"),
                                        QStringLiteral("Complaints (M); N when not given."),
                                        QStringLiteral("M"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("Write a new database here instead of the cache."),
                                 QStringLiteral("path"));
    const QCommandLineOption verify(
        QStringLiteral("verify"),
        QStringLiteral("Check the database afterwards; exit status 1 when it is not sound."));
    parser.addOptions({employees, complaints, out, verify});
    parser.process(app);

    bool ok = false, okToo = true;
    const qlonglong n = parser.value(employees).toLongLong(&ok);
    const qlonglong m = parser.isSet(complaints) ? parser.value(complaints).toLongLong(&okToo) : n;
    if (!ok || !okToo) {
        std::fprintf(stderr, "N and M must be whole numbers.\n");
        return 2;
    }
    try {
        const CaseDataGenerator generator(n, m);
        QString path;
        if (parser.isSet(out)) {
            path = parser.value(out);
            generator.generate(path);
        } else {
            path = generator.cachedDatabase();
        }
        std::printf("%s\n", qPrintable(path));
        if (parser.isSet(verify)) {
            const QStringList problems = generator.verify(path);
            for (const QString &p : problems)
                std::fprintf(stderr, "%s\n", qPrintable(p));
            if (!problems.isEmpty())
                return 1;
            std::fprintf(stderr, "Sound: %lld employees, %lld complaints.\n", n, m);
        }
    } catch (const DataError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
