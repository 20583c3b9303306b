// How the grid window copes with a million employees: opening it to its
// first screen of rows, a filter, a sort, and the jump to the last row.
// Medians are what count (run with --benchmark_repetitions to see them).
#include "browser/DataGrid.h"
#include "browser/GridTableModel.h"
#include "browser/frmDataGrid.h"
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace
{

constexpr int Employees = 1'000'000;

std::shared_ptr<CaseDatabase> g_db;

// One transaction of prepared inserts through a connection of its own.
void fill(const QString &path, int count)
{
    static const char *first[] = {"Ada",      "Alan",    "Barbara", "Charles", "Donald",
                                  "Edsger",   "Frances", "Grace",   "John",    "Ken",
                                  "Margaret", "Niklaus", "Radia",   "Tony"};
    static const char *last[] = {"Allen",   "Babbage", "Byron",     "Dijkstra", "Hamilton",
                                 "Hoare",   "Hopper",  "Kernighan", "Knuth",    "Liskov",
                                 "Perlman", "Ritchie", "Thompson",  "Turing",   "Wirth",
                                 "Zuse",    "Smith",   "Jones",     "Brown"};
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("filler"));
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db.transaction();
        q.prepare(QStringLiteral(
            "INSERT INTO Employee (\"Name\", \"Department\", \"File Number\", \"Address\") "
            "VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < count; ++i) {
            const int a = i % int(std::size(first));
            const int b = (i / 7) % int(std::size(last));
            q.addBindValue(QStringLiteral("%1 %2 %3")
                               .arg(QLatin1String(last[b]), QLatin1String(first[a]))
                               .arg(i % 997));
            q.addBindValue(QStringLiteral("D%1").arg(i % 100, 2, 10, QLatin1Char('0')));
            q.addBindValue(
                QStringLiteral("%1").arg(qint64(i) * 7919 % 1'000'000, 6, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1 Main Street").arg(i % 5000));
            if (!q.exec())
                qFatal("insert failed: %s", qPrintable(q.lastError().text()));
        }
        db.commit();
        q.exec(QStringLiteral("ANALYZE"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("filler"));
}

// A grid window over a record set the way the hand-off gives it one.
std::unique_ptr<frmDataGrid> openGrid()
{
    auto grid = std::make_unique<frmDataGrid>();
    grid->setAttribute(Qt::WA_DeleteOnClose, false);
    grid->setRecordset(std::make_shared<RecordSet>(g_db, QStringLiteral("Employee")));
    grid->show();
    return grid;
}

// Paints the grid as the screen would, which reads the rows in view.
void render(frmDataGrid &grid)
{
    benchmark::DoNotOptimize(grid.grdDataGrid->grab());
}

void BM_OpenGridToFirstScreen(benchmark::State &state)
{
    for (auto _ : state) {
        auto grid = openGrid();
        render(*grid);
        state.PauseTiming();
        grid->close();
        grid.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenGridToFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs Filter or Sort with a typed answer and shows the first screen.
void runCommand(benchmark::State &state, bool filter, const QString &expression)
{
    ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = openGrid();
        render(*grid);
        dialogs.clear();
        dialogs.queueInput(expression);
        state.ResumeTiming();
        if (filter)
            grid->cmdFilter_Click();
        else
            grid->cmdSort_Click();
        render(*grid);
        state.PauseTiming();
        if (!dialogs.messages().isEmpty()) {
            const std::string shown = dialogs.messages().at(0).prompt.toStdString();
            state.SkipWithError(shown.c_str());
            break;
        }
        state.counters["rows_read"] = grid->recordset()->loadedCount();
        grid->close();
        grid.reset();
        state.ResumeTiming();
    }
}

void BM_Filter(benchmark::State &state, const char *expression)
{
    runCommand(state, true, QString::fromUtf8(expression));
}
BENCHMARK_CAPTURE(BM_Filter, department_one_in_a_hundred, "[Department] = 'D42'")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Filter, name_like_prefix, "[Name] LIKE 'Wirth*'")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Filter, file_number_prefix, "[File Number] LIKE '00012*'")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Filter, no_row_passes, "[Name] = 'Nobody'")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Sort(benchmark::State &state, const char *expression)
{
    runCommand(state, false, QString::fromUtf8(expression));
}
BENCHMARK_CAPTURE(BM_Sort, name, "[Name]")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Sort, name_desc, "[Name] desc")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Sort, file_number_desc, "[File Number] desc")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_CtrlEndToLastRow(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = openGrid();
        render(*grid);
        grid->grdDataGrid->setCurrentIndex(grid->grdDataGrid->model()->index(0, 0));
        state.ResumeTiming();
        QKeyEvent ctrlEnd(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(grid->grdDataGrid, &ctrlEnd);
        render(*grid);
        state.PauseTiming();
        if (grid->grdDataGrid->currentIndex().row() < Employees - 1)
            state.SkipWithError("Ctrl+End did not reach the last row");
        grid->close();
        grid.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CtrlEndToLastRow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Quillmark.db");
    {
        CaseDatabase schema(path); // the program's own schema
        schema.open();
    }
    std::fprintf(stderr, "filling %d employees...\n", Employees);
    fill(path, Employees);
    g_db = std::make_shared<CaseDatabase>(path);
    g_db->open();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_db.reset();
    return 0;
}
