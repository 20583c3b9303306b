// The window's pane on a shared database on the PostgreSQL test server
// (scripts/start-postgres.sh), each beside raw libpq running the prepared
// query that gives the same row, on a connection of its own, in the same
// loop: opening the employee pane, each key release of the file number
// lookup, and the switch to the grievance page. The real window, offscreen,
// with real key and mouse events.
#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/RecordSet.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/PgBenchServer.h"
#include "support/RawPg.h"
#include "support/WindowControls.h"

#include <QRegularExpression>
#include <QTabWidget>
#include <QWidget>
#include <memory>

using namespace CaseFields;

namespace
{

const QString Typed = QStringLiteral("00012");
const QString Bench = QString::fromLatin1(PgBenchServer::Database);

// Runs setup, or marks the benchmark skipped when the test server is not
// there; false then.
template <typename Setup> bool withServer(benchmark::State &state, Setup &&setup)
{
    try {
        setup();
        return true;
    } catch (const std::exception &e) {
        state.SkipWithError((std::string("no PostgreSQL test server: ") + e.what()).c_str());
        return false;
    }
}

std::string onServer(std::int64_t rows)
{
    return ", " + std::to_string(rows) + " employees on the server";
}

// A pane bound to its boxes as the window builds it, not yet open.
struct BoundEmployeePane {
    explicit BoundEmployeePane(const std::shared_ptr<CaseDatabase> &db)
    {
        pane = new RecordBinder(EmployeePane, &host);
        for (int i = 0; i <= DaysOff; ++i) {
            boxes[i] = new TextBox(&host);
            boxes[i]->setMaxLength(CaseSchema::fieldLength(Field(i)));
            pane->bind(TextBoxBinding::of(boxes[i]),
                       QString::fromUtf8(CaseSchema::fieldName(Field(i))));
        }
        pane->setDatabase(db);
        pane->setRecordSource(QString::fromLatin1(CaseSchema::EmployeeTable));
    }
    QWidget host;
    RecordBinder *pane = nullptr;
    TextBox *boxes[DaysOff + 1] = {};
};

void BM_ServerOpenEmployeePane(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    std::shared_ptr<CaseDatabase> db;
    std::unique_ptr<RawPg> raw;
    if (!withServer(state, [&] {
            db = std::make_shared<CaseDatabase>(PgBenchServer::filled(rows));
            db->open();
            raw = std::make_unique<RawPg>(Bench);
            raw->prepare("first", "SELECT * FROM \"Employee\" ORDER BY \"qm!key\" LIMIT 1");
        }))
        return;
    Comparison c("server: open pane" + onServer(rows), {2.0, 30.0, "raw libpq"});
    std::unique_ptr<BoundEmployeePane> last;
    for (auto _ : state) {
        auto fresh = std::make_unique<BoundEmployeePane>(db);
        last.reset();
        state.SetIterationTime(c.window([&] { fresh->pane->open(); }));
        c.baseline([&] { benchmark::DoNotOptimize(raw->firstRow("first", {})); });
        last = std::move(fresh);
    }
    if (BenchApp::failedWithMessage(state))
        return;
    const std::string first =
        raw->text("SELECT coalesce(\"File Number\", '') FROM \"Employee\" ORDER BY \"qm!key\" "
                  "LIMIT 1");
    const std::string shown = last ? last->boxes[FileNumber]->text().toStdString() : "";
    if (shown != first) {
        state.SkipWithError(
            ("The pane shows file number '" + shown + "', the server's first is '" + first + "'")
                .c_str());
        return;
    }
    c.publish(&state);
}

struct ServerLookup {
    explicit ServerLookup(std::int64_t rows) : window(PgBenchServer::filled(rows)), raw(Bench)
    {
        raw.prepare("prefix", "SELECT * FROM \"Employee\" WHERE lower(\"File Number\") >= $1 "
                              "AND lower(\"File Number\") < $2 "
                              "ORDER BY lower(\"File Number\") NULLS FIRST, \"qm!key\" LIMIT 1");
        box()->setFocus(Qt::OtherFocusReason);
    }

    TextBox *box() { return windowBox(window.window(), "txtFileNumber"); }

    std::size_t rawFirst(const QString &prefix)
    {
        std::string from = prefix.toStdString(), to = from;
        ++to.back();
        return raw.firstRow("prefix", {from, to});
    }

    std::string mismatch(const QString &prefix)
    {
        const bool found = rawFirst(prefix) > 0;
        const QString shown = window.field(FileNumber)->text();
        if (box()->text() == prefix && found == shown.startsWith(prefix) &&
            found != shown.isEmpty())
            return {};
        return "After typing '" + prefix.toStdString() + "' the pane shows file number '" +
               shown.toStdString() + "' although the server finds " + (found ? "a match" : "none");
    }

    OffscreenWindow window;
    RawPg raw;
};

void BM_ServerLookupTyping(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    std::unique_ptr<ServerLookup> l;
    if (!withServer(state, [&] { l = std::make_unique<ServerLookup>(rows); }))
        return;
    Comparison all("server: lookup, each key of 00012" + onServer(rows), {2.0, 30.0, "raw libpq"});
    std::string wrong;
    int at = 0;
    for (auto _ : state) {
        if (at == 0)
            l->box()->setText(QString());
        const QString prefix = Typed.left(at + 1);
        const QChar c = Typed.at(at);
        const double s = all.window(
            [&] { l->window.keyClick(l->box(), Qt::Key_0 + (c.unicode() - '0'), QString(c)); });
        state.SetIterationTime(s);
        all.baseline([&] { benchmark::DoNotOptimize(l->rawFirst(prefix)); });
        if (wrong.empty())
            wrong = l->mismatch(prefix);
        at = (at + 1) % int(Typed.size());
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    all.publish(&state);
}

enum Employee { NoComplaint, SomeComplaints, MostComplaints };
const char *const EmployeeNames[] = {"no complaint", "a few complaints", "most complaints"};

void BM_ServerPageSwitch(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const auto who = Employee(state.range(1));
    const std::string fileNumber = who == NoComplaint      ? PgBenchServer::withoutComplaint(rows)
                                   : who == SomeComplaints ? PgBenchServer::withAFewComplaints()
                                                           : PgBenchServer::MostComplaints;
    std::unique_ptr<OffscreenWindow> w;
    std::unique_ptr<RawPg> raw;
    if (!withServer(state, [&] {
            w = std::make_unique<OffscreenWindow>(PgBenchServer::filled(rows));
            raw = std::make_unique<RawPg>(Bench);
            raw->prepare("first", "SELECT * FROM \"Complaints\" WHERE lower(\"File Number\") = "
                                  "lower($1) ORDER BY \"Grievance Number\" LIMIT 1");
        }))
        return;
    w->lookUp(QString::fromStdString(fileNumber));
    if (w->field(FileNumber)->text().toStdString() != fileNumber) {
        state.SkipWithError(("The lookup did not bring employee " + fileNumber).c_str());
        return;
    }
    Comparison c("server: page switch, " + std::string(EmployeeNames[who]) + onServer(rows),
                 {2.0, 0, "raw libpq"});
    std::string wrong;
    for (auto _ : state) {
        w->clickTab(EmployeePane);
        state.SetIterationTime(c.window([&] { w->clickTab(GrievancePane); }));
        c.baseline([&] { benchmark::DoNotOptimize(raw->firstRow("first", {fileNumber})); });
        if (!wrong.empty())
            continue;
        const std::string linked = w->field(GrievanceFileNumber)->text().toStdString();
        const bool none = raw->firstRow("first", {fileNumber}) == 0;
        const bool sound = windowTabs(w->window())->currentIndex() == GrievancePane &&
                           linked == fileNumber &&
                           none == windowPane(w->window(), GrievancePane)->isOnNewRecord();
        if (!sound)
            wrong =
                "The grievance page shows file number '" + linked + "' for employee " + fileNumber;
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    c.publish(&state);
}

// A save of one employee's department, which carries its identity, beside
// the same save by a role the server gives no right on its table of save
// identities (whose saves therefore go without).
void BM_ServerSaveIdentity(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    std::shared_ptr<CaseDatabase> remembering, plain;
    std::unique_ptr<RawPg> raw;
    if (!withServer(state, [&] {
            const QString location = PgBenchServer::filled(rows);
            remembering = std::make_shared<CaseDatabase>(location);
            remembering->open();
            raw = std::make_unique<RawPg>(Bench);
            raw->exec("DO $d$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = "
                      "'qm_bench_plain') THEN CREATE ROLE qm_bench_plain LOGIN; END IF; END$d$");
            raw->exec("GRANT USAGE ON SCHEMA public TO qm_bench_plain");
            raw->exec("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO "
                      "qm_bench_plain");
            raw->exec("REVOKE ALL ON \"Quillmark Saves\" FROM qm_bench_plain");
            QString other = location;
            other.replace(QRegularExpression(QStringLiteral("^postgresql://[^@]*@")),
                          QStringLiteral("postgresql://qm_bench_plain@"));
            plain = std::make_shared<CaseDatabase>(other);
            plain->open();
        }))
        return;
    if (!remembering->remembersSaves() || plain->remembersSaves()) {
        state.SkipWithError("The server keeps no save identities, or kept them for both");
        return;
    }
    RecordSet withId(remembering, QString::fromLatin1(CaseSchema::EmployeeTable));
    RecordSet without(plain, QString::fromLatin1(CaseSchema::EmployeeTable));
    without.moveNext(); // another row: the two saves never wait for each other
    const int department = withId.fieldIndex(QStringLiteral("Department"));
    Comparison c("server: a save with its identity" + onServer(rows),
                 {1.2, 0, "the same save without"});
    int i = 0;
    auto save = [&](RecordSet &rs) {
        rs.edit();
        rs.setValue(department, QStringLiteral("Dept %1").arg(i % 1000));
        rs.update();
    };
    for (auto _ : state) {
        ++i;
        state.SetIterationTime(c.window([&] { save(withId); }));
        c.baseline([&] { save(without); });
    }
    if (BenchApp::failedWithMessage(state))
        return;
    const long long kept = raw->scalar("SELECT count(*) FROM \"Quillmark Saves\"");
    if (kept < state.iterations()) {
        state.SkipWithError("The saves left no identity on the server");
        return;
    }
    c.publish(&state);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_ServerSaveIdentity", BM_ServerSaveIdentity)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(300)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_ServerOpenEmployeePane", BM_ServerOpenEmployeePane)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(300)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_ServerLookupTyping", BM_ServerLookupTyping)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(500)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_ServerPageSwitch", BM_ServerPageSwitch)
        ->ArgsProduct({{rows}, {NoComplaint, SomeComplaints, MostComplaints}})
        ->ArgNames({"employees", "employee"})
        ->UseManualTime()
        ->Iterations(300)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
