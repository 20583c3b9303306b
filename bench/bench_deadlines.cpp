// The deadlines list at full size: the generated case database with a
// status row for every complaint and three steps each on average (3 M at
// a million complaints), their next deadlines stored as the program
// computes them. Timed: the Deadlines window opened and filled to its first
// page, each key typed into its filter box, and the start-up check of
// overdue deadlines; beside each, in the same loop, SQLite alone answers
// the same rows with one prepared statement.
#include "deadlines/DeadlineCommands.h"
#include "deadlines/DeadlineListModel.h"
#include "deadlines/DeadlinesWindow.h"
#include "records/CaseDatabase.h"
#include "records/DeadlineList.h"
#include "records/DeadlineStore.h"
#include "support/BenchApp.h"
#include "support/CaseDataGenerator.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/RawDatabase.h"
#include "support/RawStatement.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <random>

namespace
{

// Dates as the program stores them.
std::string iso(QDate d)
{
    return d.toString(Qt::ISODate).toStdString();
}

// The day the benchmark counts from, so that the same file always has as
// many overdue deadlines.
const QDate Today(2026, 12, 7);

// Every complaint's status and steps, written straight into the file: the
// program would save them one complaint at a time.
void fillDeadlines(const QString &path, const DeadlineStore::Rules &rules)
{
    RawDatabase raw(path, RawDatabase::ReadWrite);
    raw.exec("BEGIN");
    RawStatement numbers(raw, "SELECT \"Grievance Number\" FROM \"Complaints\"");
    RawStatement status(raw, "INSERT INTO \"Grievance Status\" (\"Grievance Number\", \"Status\", "
                             "\"Violation\", \"Learned\", \"Next Due\", \"Next Limit\", "
                             "\"Version\") VALUES (?1, ?2, ?3, NULL, ?4, ?5, 1)");
    RawStatement step(raw, "INSERT INTO \"Grievance Steps\" VALUES (?1, ?2, ?3, 'Denied', NULL)");
    std::mt19937_64 rng(CaseDataGenerator::FixedStart);
    while (numbers.step()) {
        const long long number = numbers.integer(0);
        ComplaintProgress p;
        p.status = rng() % 10 ? GrievanceStatus::Open : GrievanceStatus::Settled;
        p.violation = Today.addDays(-std::int64_t(10 + rng() % 400));
        // Two to four steps taken: three on average.
        const int taken = std::min(2 + int(rng() % 3), int(rules.limits.size()));
        QDate on = p.violation;
        for (int i = 0; i < taken; ++i) {
            on = on.addDays(1 + std::int64_t(rng() % 12));
            p.done.insert(rules.limits.at(i).id, on);
        }
        const NextDeadline next = DeadlinePlan::next(rules.limits, p, rules.calendar);
        status.bindInt(1, number);
        status.bindInt(2, int(p.status));
        status.bindText(3, iso(p.violation));
        status.bindText(4, next.isSet() ? iso(next.due) : std::string(), true);
        if (next.isSet())
            status.bindInt(5, rules.limits.at(next.index).id);
        status.step();
        status.reset();
        for (int i = 0; i < taken; ++i) {
            step.bindInt(1, number);
            step.bindInt(2, rules.limits.at(i).id);
            step.bindText(3, iso(p.done.value(rules.limits.at(i).id)));
            step.step();
            step.reset();
        }
    }
    raw.exec("COMMIT");
    raw.exec("ANALYZE");
}

// Adds the deadline tables (through the program's own schema step) and
// their rows to a copy of the generated database, kept beside it.
QString deadlineDatabase(std::int64_t rows)
{
    const QString base = BenchApp::database(rows, rows);
    const QString path = CaseDataGenerator::cacheFolder() + QStringLiteral("/deadlines-v1-") +
                         QFileInfo(base).fileName();
    if (QFile::exists(path))
        return path;
    std::fprintf(stderr, "Adding deadlines to a copy of %s ...\n", qPrintable(base));
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(base, partial))
        throw std::runtime_error("Cannot copy " + base.toStdString());
    DeadlineStore::Rules rules;
    {
        CaseDatabase db(partial);
        db.openExisting();
        rules = DeadlineStore::readRules(db);
    }
    fillDeadlines(partial, rules);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("Cannot rename " + partial.toStdString());
    return path;
}

// The first page the list shows, with or without employees holding a
// text: what SQLite alone costs for the same rows. With a text of three
// characters or more the employees come from the find index first, and
// their complaints' deadlines are sorted.
const char *const RawColumns =
    "SELECT s.\"Grievance Number\", s.\"Next Due\", t.\"Step\", c.\"File Number\", x.\"Name\" ";
const char *const RawOrder = " ORDER BY s.\"Next Due\", s.\"Grievance Number\" LIMIT 100";

std::string rawPage(const char *condition)
{
    return std::string(RawColumns) +
           "FROM \"Grievance Status\" s JOIN \"Complaints\" c ON c.\"Grievance Number\" = "
           "s.\"Grievance Number\" LEFT JOIN \"Time Limits\" t ON t.\"Limit\" = s.\"Next "
           "Limit\" LEFT JOIN \"Employee\" x ON x.\"File Number\" = c.\"File Number\" WHERE "
           "s.\"Next Due\" IS NOT NULL " +
           condition + RawOrder;
}

std::string rawFound()
{
    return std::string(RawColumns) +
           "FROM \"Employee Find\" f CROSS JOIN \"Employee\" x ON x.rowid = f.rowid CROSS JOIN "
           "\"Complaints\" c ON c.\"File Number\" = x.\"File Number\" CROSS JOIN \"Grievance "
           "Status\" s ON s.\"Grievance Number\" = c.\"Grievance Number\" LEFT JOIN \"Time "
           "Limits\" t ON t.\"Limit\" = s.\"Next Limit\" WHERE \"Employee Find\" MATCH ?1 AND "
           "s.\"Next Due\" IS NOT NULL" +
           RawOrder;
}

std::size_t readAll(RawStatement &s)
{
    std::size_t n = 0;
    while (s.step())
        for (int c = 0; c < s.columnCount(); ++c)
            n += s.text(c).size();
    s.reset();
    return n;
}

struct ListBench {
    explicit ListBench(std::int64_t rows)
        : path(deadlineDatabase(rows)), db(std::make_shared<CaseDatabase>(path)),
          raw(path, RawDatabase::ReadOnly), all(raw, rawPage("")), found(raw, rawFound()),
          walkFound(raw, rawPage("AND x.rowid IN (SELECT rowid FROM \"Employee Find\" WHERE "
                                 "\"Employee Find\" MATCH ?1)")),
          countFound(raw, "SELECT count(*) FROM (SELECT 1 FROM \"Employee Find\" WHERE "
                          "\"Employee Find\" MATCH ?1 LIMIT 4001)"),
          holds(raw, rawPage("AND (instr(lower(x.\"Name\"), ?1) > 0 OR instr(x.\"File Number\", "
                             "?1) > 0 OR instr(lower(x.\"Department\"), ?1) > 0)"))
    {
        db->open();
        hooks.today = [] { return Today; };
    }

    std::unique_ptr<DeadlinesWindow> open()
    {
        auto w = std::make_unique<DeadlinesWindow>(db, hooks, nullptr);
        w->show();
        QCoreApplication::processEvents();
        return w;
    }

    std::size_t rawFiltered(const QString &text)
    {
        if (text.size() < 3) {
            holds.bindText(1, text.toLower().toStdString());
            return readAll(holds);
        }
        // As the list does: from the employees found when they are few,
        // otherwise along the deadlines.
        const std::string phrase = '"' + text.toStdString() + '"';
        countFound.bindText(1, phrase);
        countFound.step();
        const long long employees = countFound.integer(0);
        countFound.reset();
        RawStatement &s = employees <= DeadlineList::FewEmployees ? found : walkFound;
        s.bindText(1, phrase);
        return readAll(s);
    }

    QString path;
    std::shared_ptr<CaseDatabase> db;
    DeadlinesWindow::Hooks hooks;
    RawDatabase raw;
    RawStatement all, found, walkFound, countFound, holds;
};

void BM_DeadlinesOpen(benchmark::State &state)
{
    ListBench b(state.range(0));
    Comparison c("deadlines list opened and filled, " + std::to_string(state.range(0)) +
                     " complaints",
                 {100.0, 0});
    int rowsShown = 0;
    for (auto _ : state) {
        std::unique_ptr<DeadlinesWindow> w;
        state.SetIterationTime(c.window([&] { w = b.open(); }));
        rowsShown = w->model()->rowCount();
        w.reset();
        c.baseline([&] { benchmark::DoNotOptimize(readAll(b.all)); });
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (rowsShown == 0) {
        state.SkipWithError("the list showed no deadline");
        return;
    }
    c.publish(&state);
}

// A name and a file number, typed a key at a time.
const QStringList Typed = {QStringLiteral("kowalski"), QStringLiteral("00451")};

void BM_DeadlinesFilterTyping(benchmark::State &state)
{
    ListBench b(state.range(0));
    std::unique_ptr<DeadlinesWindow> w = b.open();
    QLineEdit *box = w->filterBox();
    box->setFocus(Qt::OtherFocusReason);
    Comparison c("deadlines filter, each key, " + std::to_string(state.range(0)) + " complaints",
                 {50.0, 0});
    std::vector<Comparison> byText;
    for (const QString &t : Typed)
        byText.emplace_back("deadlines filter, typing '" + t.toStdString() + "', " +
                                std::to_string(state.range(0)) + " complaints",
                            Target{50.0, 0});
    int word = 0, at = 0;
    for (auto _ : state) {
        if (at == 0)
            box->clear();
        const QString &t = Typed.at(word);
        const QChar ch = t.at(at);
        state.SetIterationTime(c.window([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(ch));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(box, &press);
            QApplication::sendEvent(box, &release);
        }));
        byText[std::size_t(word)].addWindow(c.windowSamples().back());
        byText[std::size_t(word)].addBaseline(
            c.baseline([&] { benchmark::DoNotOptimize(b.rawFiltered(t.left(at + 1))); }));
        if (++at == t.size()) {
            at = 0;
            word = (word + 1) % int(Typed.size());
        }
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (box->text().isEmpty()) {
        state.SkipWithError("the filter box did not take the keys");
        return;
    }
    c.publish(&state);
    for (const Comparison &t : byText)
        t.publish(nullptr);
}

// At start: the main window over the file, then the count of deadlines
// overdue or due within 3 working days for the status bar. The baseline is
// the same start-up without the count.
void BM_DeadlinesStartup(benchmark::State &state)
{
    const QString path = deadlineDatabase(state.range(0));
    RawDatabase raw(path, RawDatabase::ReadOnly);
    QDate until;
    {
        CaseDatabase db(path);
        db.open();
        until = DeadlineStore::readRules(db).calendar.addWorkingDays(Today, 3);
    }
    Comparison c("start-up with the overdue check, " + std::to_string(state.range(0)) +
                     " complaints",
                 {300.0, 0, "without"});
    Comparison check("the overdue check alone, " + std::to_string(state.range(0)) + " complaints",
                     {});
    QString notice;
    for (auto _ : state) {
        double counted = 0;
        state.SetIterationTime(c.window([&] {
            OffscreenWindow window(path);
            counted = check.window([&] {
                CaseDatabase db(path);
                db.open();
                notice = DeadlineCommands::startupNotice(db, Today);
            });
        }));
        check.baseline([&] {
            benchmark::DoNotOptimize(raw.scalar(
                "SELECT count(*) FROM \"Grievance Status\" WHERE \"Next Due\" IS NOT NULL AND "
                "\"Next Due\" <= '" +
                iso(until) + "'"));
        });
        c.baseline([&] { OffscreenWindow window(path); });
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (notice.isEmpty()) {
        state.SkipWithError("no notice: nothing overdue was found");
        return;
    }
    std::printf("SUMMARY start-up notice: %s\n", qPrintable(notice));
    c.publish(&state);
    check.publish(nullptr);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_DeadlinesOpen", BM_DeadlinesOpen)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_DeadlinesFilterTyping", BM_DeadlinesFilterTyping)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(65) // five times through the two texts
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_DeadlinesStartup", BM_DeadlinesStartup)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
