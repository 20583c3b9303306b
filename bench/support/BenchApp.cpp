#include "support/BenchApp.h"

#include "support/CaseDataGenerator.h"
#include "support/ScriptedDialogs.h"
#include "support/Summary.h"

#include <QApplication>
#include <QFont>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>
#include <memory>

namespace BenchApp
{

namespace
{
std::int64_t g_rows = 1'000'000;
ScriptedDialogs *g_dialogs = nullptr;

std::int64_t takeRows(int &argc, char **argv)
{
    std::int64_t rows = qEnvironmentVariableIsSet("QUILLMARK_BENCH_ROWS")
                            ? qEnvironmentVariable("QUILLMARK_BENCH_ROWS").toLongLong()
                            : 1'000'000;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0)
            rows = std::atoll(argv[i] + 7);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return rows;
}
} // namespace

int run(int argc, char **argv, const std::function<void(std::int64_t rows)> &registrar)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true); // the window's placement goes nowhere real
    QApplication app(argc, argv);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);

    g_rows = takeRows(argc, argv);
    if (g_rows < 1 || g_rows > CaseDataGenerator::MaxEmployees) {
        std::fprintf(stderr, "--rows must be 1 to %lld.\n",
                     static_cast<long long>(CaseDataGenerator::MaxEmployees));
        return 2;
    }
    auto dialogs = std::make_unique<ScriptedDialogs>();
    g_dialogs = dialogs.get();
    registrar(g_rows);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Summary::instance().print();
    g_dialogs = nullptr;
    return 0;
}

std::int64_t rows()
{
    return g_rows;
}

QString database(std::int64_t employees, std::int64_t complaints)
{
    return CaseDataGenerator(employees, complaints).cachedDatabase();
}

ScriptedDialogs &dialogs()
{
    return *g_dialogs;
}

bool failedWithMessage(benchmark::State &state)
{
    if (g_dialogs->messages().isEmpty())
        return false;
    const std::string text =
        "A message box came up: " + g_dialogs->messages().first().prompt.toStdString();
    g_dialogs->clear();
    state.SkipWithError(text.c_str());
    return true;
}

} // namespace BenchApp
