// The grid window over a million employees on the PostgreSQL test server
// (scripts/start-postgres.sh): opened to its first screen of rows, then a
// filter and a sort typed into their boxes, each shown to its first screen.
// Beside each, raw libpq runs the prepared query that gives the same first
// screen, on a connection of its own, in the same loop.
#include "browser/DataGrid.h"
#include "browser/GridTableModel.h"
#include "browser/frmDataGrid.h"
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/PgBenchServer.h"
#include "support/RawPg.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <memory>

namespace
{

// Rows a grid of the window's size shows at once, and what raw libpq reads.
constexpr int FirstScreen = 40;

std::shared_ptr<CaseDatabase> g_db;
std::unique_ptr<RawPg> g_raw;

// The shared database and the raw connection, once per run; false (and the
// benchmark skipped) when the test server is not there.
bool connect(benchmark::State &state, std::int64_t rows)
{
    if (g_db)
        return true;
    try {
        auto db = std::make_shared<CaseDatabase>(PgBenchServer::filled(rows));
        db->open();
        g_raw = std::make_unique<RawPg>(QString::fromLatin1(PgBenchServer::Database));
        g_db = std::move(db);
        // Let go of the connections while Qt's SQL drivers are still loaded.
        qAddPostRoutine([] {
            g_raw.reset();
            g_db.reset();
        });
        return true;
    } catch (const std::exception &e) {
        state.SkipWithError((std::string("no PostgreSQL test server: ") + e.what()).c_str());
        return false;
    }
}

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

std::string prepared(const std::string &where, const std::string &order)
{
    static int n = 0;
    const std::string name = "q" + std::to_string(++n);
    g_raw->prepare(name, "SELECT * FROM \"Employee\" " + where + " ORDER BY " + order + " LIMIT " +
                             std::to_string(FirstScreen));
    return name;
}

void BM_ServerGridFirstScreen(benchmark::State &state)
{
    if (!connect(state, state.range(0)))
        return;
    const std::string raw = prepared("", "\"qm!key\"");
    Comparison c("server: grid first screen, " + std::to_string(state.range(0)) + " employees",
                 {50.0, 0, "raw libpq"});
    for (auto _ : state) {
        std::unique_ptr<frmDataGrid> grid;
        state.SetIterationTime(c.window([&] {
            grid = openGrid();
            render(*grid);
        }));
        c.baseline([&] { benchmark::DoNotOptimize(g_raw->allRows(raw, {})); });
        grid->close();
    }
    if (!BenchApp::failedWithMessage(state))
        c.publish(&state);
}

// Filter or Sort with a typed answer, shown to its first screen; beside it
// the raw query for that screen.
void runCommand(benchmark::State &state, bool filter, const char *expression,
                const std::string &where, const std::string &order)
{
    if (!connect(state, state.range(0)))
        return;
    const std::string raw = prepared(where, order);
    Comparison c(std::string("server: grid ") + (filter ? "filter " : "sort ") + expression,
                 {1000.0, 0, "raw libpq"});
    ScriptedDialogs &dialogs = BenchApp::dialogs();
    for (auto _ : state) {
        auto grid = openGrid();
        render(*grid);
        dialogs.queueInput(QString::fromUtf8(expression));
        state.SetIterationTime(c.window([&] {
            if (filter)
                grid->cmdFilter_Click();
            else
                grid->cmdSort_Click();
            render(*grid);
        }));
        c.baseline([&] { benchmark::DoNotOptimize(g_raw->allRows(raw, {})); });
        if (!dialogs.messages().isEmpty())
            break;
        grid->close();
    }
    if (!BenchApp::failedWithMessage(state))
        c.publish(&state);
}

void registerAll(std::int64_t rows)
{
    struct Command {
        const char *name;
        bool filter;
        const char *expression, *where, *order;
    };
    static const Command commands[] = {
        {"BM_ServerFilter/department", true, "[Department] = 'D42'",
         "WHERE lower(\"Department\") = 'd42'", "\"qm!key\""},
        {"BM_ServerFilter/name_prefix", true, "[Name] LIKE 'Émile 12*'",
         "WHERE \"Name\" LIKE 'Émile 12%'", "\"qm!key\""},
        {"BM_ServerFilter/no_row_passes", true, "[Name] = 'Nobody'",
         "WHERE lower(\"Name\") = 'nobody'", "\"qm!key\""},
        {"BM_ServerSort/name", false, "[Name]", "", "lower(\"Name\") NULLS FIRST, \"qm!key\""},
        {"BM_ServerSort/name_desc", false, "[Name] desc", "",
         "lower(\"Name\") DESC NULLS LAST, \"qm!key\" DESC"},
        {"BM_ServerSort/file_number_desc", false, "[File Number] desc", "",
         "lower(\"File Number\") DESC NULLS LAST, \"qm!key\" DESC"},
    };
    benchmark::RegisterBenchmark("BM_ServerGridFirstScreen", BM_ServerGridFirstScreen)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(30)
        ->Unit(benchmark::kMillisecond);
    for (const Command &command : commands)
        benchmark::RegisterBenchmark(command.name,
                                     [&command](benchmark::State &state) {
                                         runCommand(state, command.filter, command.expression,
                                                    command.where, command.order);
                                     })
            ->Arg(rows)
            ->ArgName("employees")
            ->UseManualTime()
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
