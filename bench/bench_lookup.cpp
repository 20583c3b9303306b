// The file-number lookup over the whole Employee table: the real window,
// offscreen, with real key events on the lookup box. Every key release
// rebuilds the employee pane from "... WHERE [File Number] LIKE '<typed>*'",
// so a keystroke costs a record set and a record. Each keystroke is timed
// whole (press and release); beside it, in the same loop, SQLite alone
// answers the same prefix with a prepared range query on the index.
#include "caseform/RecordBinder.h"
#include "platform/TextBox.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/RawDatabase.h"
#include "support/RawStatement.h"
#include "support/WindowControls.h"

#include <QApplication>

using namespace CaseFields;

namespace
{

const QString Typed = QStringLiteral("00012");

struct Lookup {
    explicit Lookup(std::int64_t employees)
        : path(BenchApp::database(employees, employees)), window(path),
          raw(path, RawDatabase::ReadOnly),
          prefixQuery(raw,
                      "SELECT * FROM Employee WHERE \"File Number\" >= ?1 AND \"File Number\" < ?2 "
                      "ORDER BY \"File Number\" LIMIT 1"),
          everyQuery(raw, "SELECT * FROM Employee ORDER BY \"File Number\" LIMIT 1")
    {
        box()->setFocus(Qt::OtherFocusReason);
    }

    TextBox *box() { return windowBox(window.window(), "txtFileNumber"); }

    // The first employee whose file number starts with prefix, as SQLite
    // alone finds it.
    std::size_t rawFirst(const QString &prefix)
    {
        if (prefix.isEmpty())
            return everyQuery.firstRow();
        std::string from = prefix.toStdString(), to = from;
        ++to.back(); // digits: '9' + 1 is ':', still above every digit
        prefixQuery.reset();
        prefixQuery.bindText(1, from);
        prefixQuery.bindText(2, to);
        return prefixQuery.firstRow();
    }

    // The window must show an employee whose file number starts with what
    // was typed when SQLite finds one, and a new blank record when it finds
    // none. Which of the matches comes first is the translator's business.
    std::string mismatch(const QString &prefix)
    {
        const bool found = rawFirst(prefix) > 0;
        const QString shown = window.field(FileNumber)->text();
        const bool showsMatch =
            !shown.isEmpty() && shown.startsWith(prefix) && !window.field(Name)->text().isEmpty();
        const bool showsBlank =
            shown.isEmpty() && windowPane(window.window(), EmployeePane)->isOnNewRecord();
        if (box()->text() == prefix && (found ? showsMatch : showsBlank))
            return {};
        return "After typing '" + prefix.toStdString() + "' (box holds '" +
               box()->text().toStdString() + "') the pane shows file number '" +
               shown.toStdString() + "' although SQLite finds " + (found ? "a match" : "none");
    }

    QString path;
    OffscreenWindow window;
    RawDatabase raw;
    RawStatement prefixQuery;
    RawStatement everyQuery;
};

void typeKey(Lookup &l, QChar c)
{
    l.window.keyClick(l.box(), Qt::Key_0 + (c.unicode() - '0'), QString(c));
}

// Typing "00012" one key at a time, again and again.
void BM_LookupTyping(benchmark::State &state)
{
    const std::int64_t employees = state.range(0);
    Lookup l(employees);
    const std::string size = ", " + std::to_string(employees) + " employees";
    Comparison all("lookup, each key of 00012" + size, {1.0, 30.0});
    std::vector<Comparison> byLength;
    for (int n = 1; n <= Typed.size(); ++n)
        byLength.emplace_back("lookup, typed '" + Typed.left(n).toStdString() + "'" + size,
                              Target{});
    std::string wrong;
    int at = 0;
    for (auto _ : state) {
        if (at == 0)
            l.box()->setText(QString()); // a fresh start; assigning fires no key event
        const QString prefix = Typed.left(at + 1);
        const double s = all.window([&] { typeKey(l, Typed.at(at)); });
        byLength[std::size_t(at)].addWindow(s);
        state.SetIterationTime(s);
        const double r = all.baseline([&] { benchmark::DoNotOptimize(l.rawFirst(prefix)); });
        byLength[std::size_t(at)].addBaseline(r);
        if (wrong.empty())
            wrong = l.mismatch(prefix);
        at = (at + 1) % int(Typed.size());
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    all.publish(&state);
    for (const Comparison &c : byLength)
        c.publish(nullptr);
}

// The first key typed into the empty box, then Backspace leaving it empty
// again (every employee, in file number order), in turns, so that both see
// the same machine: the empty box should cost no more than the first key.
void BM_LookupFirstKeyAndBack(benchmark::State &state)
{
    Lookup l(state.range(0));
    const std::string size = ", " + std::to_string(state.range(0)) + " employees";
    Comparison first("lookup, first key" + size, {1.0, 0});
    // Its aim is to be no slower than the first key (see the relation in
    // registerAll), not a ratio to its own, cheaper, query.
    Comparison empty("lookup, emptying the box" + size, {1.0, 0});
    const QString key = Typed.left(1);
    std::string wrong;
    for (auto _ : state) {
        l.box()->setText(QString());
        double s = first.window([&] { typeKey(l, key.at(0)); });
        first.baseline([&] { benchmark::DoNotOptimize(l.rawFirst(key)); });
        if (wrong.empty())
            wrong = l.mismatch(key);
        s += empty.window([&] { l.window.keyClick(l.box(), Qt::Key_Backspace); });
        empty.baseline([&] { benchmark::DoNotOptimize(l.rawFirst(QString())); });
        if (wrong.empty())
            wrong = l.mismatch(QString());
        state.SetIterationTime(s);
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    first.publish(nullptr);
    empty.publish(nullptr);
    state.counters["first_ms"] = median(first.windowSamples()) * 1e3;
    state.counters["empty_ms"] = median(empty.windowSamples()) * 1e3;
    state.counters["empty_per_first"] =
        median(empty.windowSamples()) / median(first.windowSamples());
}

void registerAll(std::int64_t rows)
{
    struct Run {
        const char *name;
        void (*function)(benchmark::State &);
        int iterations;
    };
    for (const Run &r : {Run{"BM_LookupTyping", BM_LookupTyping, 500},
                         Run{"BM_LookupFirstKeyAndBack", BM_LookupFirstKeyAndBack, 300}})
        benchmark::RegisterBenchmark(r.name, r.function)
            ->Arg(rows)
            ->ArgName("employees")
            ->UseManualTime()
            ->Iterations(r.iterations)
            ->Unit(benchmark::kMicrosecond);
    const std::string size = ", " + std::to_string(rows) + " employees";
    Summary::instance().relate("lookup, emptying the box" + size, "lookup, first key" + size,
                               "empty box (every employee) against one typed key");
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
