// Find on a shared database on the PostgreSQL test server
// (scripts/start-postgres.sh): each key typed into the find box runs the
// search the window runs, beside raw libpq running the two statements that
// give the same rows, on a connection of its own, in the same loop.
#include "records/CaseDatabase.h"
#include "records/CaseSearch.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/PgBenchServer.h"
#include "support/RawPg.h"

#include <memory>

namespace
{

const QString Typed = QStringLiteral("émile 12");
const QString Bench = QString::fromLatin1(PgBenchServer::Database);

// The folded text as the search compares it.
const char *const Fold = "lower((%s) COLLATE \"und-x-icu\")";

std::string folded(const std::string &expr)
{
    std::string f = Fold;
    f.replace(f.find("%s"), 2, expr);
    return f;
}

std::string anyOf(std::initializer_list<const char *> fields)
{
    std::string out;
    for (const char *f : fields)
        out += (out.empty() ? "(" : " OR ") + folded(f) + " LIKE " + folded("$1::text");
    return out + ")";
}

void BM_ServerFindTyping(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    std::shared_ptr<CaseDatabase> db;
    std::unique_ptr<CaseSearch> search;
    std::unique_ptr<RawPg> raw;
    try {
        db = std::make_shared<CaseDatabase>(PgBenchServer::filled(rows));
        db->open();
        search = std::make_unique<CaseSearch>(db);
        raw = std::make_unique<RawPg>(Bench);
        // Planned for each text, as the window's statements are: a generic
        // plan walks the complaints in key order for a text none has.
        raw->exec("SET plan_cache_mode = force_custom_plan");
        raw->prepare("employees", "SELECT \"qm!key\", \"Name\", \"File Number\", \"Department\" "
                                  "FROM \"Employee\" WHERE " +
                                      anyOf({"\"Name\"", "\"File Number\"", "\"Department\""}) +
                                      " LIMIT 101");
        raw->prepare("complaints",
                     "SELECT \"Grievance Number\" FROM \"Complaints\" WHERE " +
                         anyOf({"\"Remedy Sought\"", "\"Contract Provinsions\"",
                                "coalesce(\"Case Facts1\", '') || coalesce(\"Case Facts2\", '') "
                                "|| coalesce(\"Case Facts3\", '')"}) +
                         " ORDER BY \"Grievance Number\" LIMIT 101");
    } catch (const std::exception &e) {
        state.SkipWithError((std::string("no PostgreSQL test server: ") + e.what()).c_str());
        return;
    }
    if (!search->usesIndex()) {
        state.SkipWithError("The bench database has no search indexes");
        return;
    }
    Comparison c("server: find, each key of '" + Typed.toStdString() + "', " +
                     std::to_string(rows) + " + " + std::to_string(rows) + " rows",
                 {50.0, 30.0, "raw libpq"});
    std::string wrong;
    int at = 0;
    for (auto _ : state) {
        const QString text = Typed.left(at + 1);
        CaseSearch::Result r;
        state.SetIterationTime(c.window([&] { r = search->find(text); }));
        const std::string pattern = text.size() < CaseSearch::TrigramLength
                                        ? text.toStdString() + "%"
                                        : "%" + text.toStdString() + "%";
        std::size_t employees = 0;
        c.baseline([&] {
            employees = raw->allRows("employees", {pattern});
            if (text.size() >= CaseSearch::TrigramLength)
                benchmark::DoNotOptimize(raw->allRows("complaints", {pattern}));
        });
        if (wrong.empty() &&
            std::size_t(r.employees.size() + (r.moreEmployees ? 1 : 0)) != employees)
            wrong = "Find listed " + std::to_string(r.employees.size()) + " employees for '" +
                    text.toStdString() + "', the raw query " + std::to_string(employees);
        at = (at + 1) % int(Typed.size());
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    c.publish(&state);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_ServerFindTyping", BM_ServerFindTyping)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(160)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
