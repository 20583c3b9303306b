#pragma once

#include <QString>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <functional>

class ScriptedDialogs;

// What every benchmark program shares: the application object, the size it
// runs at, the generated databases and the guard against message boxes.
namespace BenchApp
{

// Runs a benchmark program: a QApplication on the offscreen platform (unless
// QT_QPA_PLATFORM asks for another) with the program's own font, scripted
// dialogs in place of modal message boxes, and the settings store in test
// mode. Takes --rows=N (or $QUILLMARK_BENCH_ROWS; 1000000 when neither is
// given) and Google Benchmark's own flags; registers the benchmarks through
// registrar(rows), runs them and prints the summary.
int run(int argc, char **argv, const std::function<void(std::int64_t rows)> &registrar);

// The size asked for on the command line.
std::int64_t rows();

// The cached case database of that many employees and complaints, made on
// first use (outside any timing).
QString database(std::int64_t employees, std::int64_t complaints);

ScriptedDialogs &dialogs();

// A message box during a benchmark means the path measured went wrong (a
// failed lookup or an error event): marks the run as failed with the
// message's text and returns true.
bool failedWithMessage(benchmark::State &state);

} // namespace BenchApp
