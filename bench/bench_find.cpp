// Find at full size: the real main window and its find window, offscreen,
// with real key events in the find box. Every key runs the search and fills
// both lists; beside it, in the same loop, SQLite alone answers the same
// text with the raw full-text queries (or, below three characters, the raw
// prefix ranges). Then what the index costs: its size on disk, and 1,000
// saves of employees and of complaints through the program's record sets on
// a copy of the file with the index and on one without it.
#include "find/FindWindow.h"
#include "records/CaseDatabase.h"
#include "records/FindIndex.h"
#include "records/RecordSet.h"
#include "support/BenchApp.h"
#include "support/CaseDataGenerator.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/RawDatabase.h"
#include "support/RawStatement.h"
#include "support/WindowControls.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace
{

// A name, part of a file number, and a phrase of case facts whose words
// are everywhere but which is rare as a whole: the index's hardest case.
const QStringList Typed = {QStringLiteral("kowalski"), QStringLiteral("00451"),
                           QStringLiteral("offered overtime")};

struct FindBench {
    explicit FindBench(std::int64_t rows)
        : path(BenchApp::database(rows, rows)), window(path), raw(path, RawDatabase::ReadOnly),
          employees(raw, "SELECT rowid, * FROM \"Employee Find\" WHERE \"Employee Find\" MATCH ?1 "
                         "LIMIT 101"),
          complaints(raw, "SELECT rowid, * FROM \"Complaint Find\" WHERE \"Complaint Find\" "
                          "MATCH ?1 LIMIT 101"),
          prefix(raw, "SELECT rowid, * FROM Employee WHERE \"Name\" >= ?1 AND \"Name\" < ?2 "
                      "LIMIT 101")
    {
        windowAction(window.window(), "mnuEditFind")->trigger();
        find = window.window().findChild<FindWindow *>();
        find->searchBox()->setFocus(Qt::OtherFocusReason);
    }

    void key(QChar c)
    {
        QLineEdit *box = find->searchBox();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }

    static std::size_t readAll(RawStatement &s)
    {
        std::size_t n = 0;
        while (s.step())
            for (int c = 0; c < s.columnCount(); ++c)
                n += s.text(c).size();
        s.reset();
        return n;
    }

    std::size_t rawSearch(const QString &text)
    {
        if (text.size() < 3) {
            const std::string from = text.toStdString();
            prefix.bindText(1, from);
            prefix.bindText(2, from + "\xf4\x8f\xbf\xbf");
            return readAll(prefix);
        }
        const std::string phrase = '"' + text.toStdString() + '"';
        employees.bindText(1, phrase);
        complaints.bindText(1, phrase);
        return readAll(employees) + readAll(complaints);
    }

    QString path;
    OffscreenWindow window;
    FindWindow *find = nullptr;
    RawDatabase raw;
    RawStatement employees, complaints, prefix;
};

void BM_FindTyping(benchmark::State &state)
{
    FindBench b(state.range(0));
    const std::string size = ", " + std::to_string(state.range(0)) + " rows";
    Comparison all("find, each key" + size, {50.0, 0});
    std::vector<Comparison> byText;
    for (const QString &t : Typed)
        byText.emplace_back("find, typing '" + t.toStdString() + "'" + size, Target{50.0, 0});
    int word = 0, at = 0;
    for (auto _ : state) {
        if (at == 0)
            b.find->searchBox()->clear();
        const QString &t = Typed.at(word);
        const double s = all.window([&] { b.key(t.at(at)); });
        byText[std::size_t(word)].addWindow(s);
        state.SetIterationTime(s);
        const double r =
            all.baseline([&] { benchmark::DoNotOptimize(b.rawSearch(t.left(at + 1))); });
        byText[std::size_t(word)].addBaseline(r);
        if (++at == t.size()) {
            at = 0;
            word = (word + 1) % int(Typed.size());
        }
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (b.find->searchBox()->text().isEmpty()) {
        state.SkipWithError("the find box did not take the keys");
        return;
    }
    all.publish(&state);
    for (const Comparison &c : byText)
        c.publish(nullptr);
}

long long bytesOf(RawDatabase &db, const char *like1, const char *like2)
{
    return db.scalar(std::string("SELECT coalesce(sum(pgsize), 0) FROM dbstat WHERE name LIKE '") +
                     like1 + "' OR name LIKE '" + like2 + "'");
}

// The index's pages, read once; printed with the summary.
void BM_FindIndexSize(benchmark::State &state)
{
    const QString path = BenchApp::database(state.range(0), state.range(0));
    RawDatabase raw(path, RawDatabase::ReadOnly);
    long long employees = 0, complaints = 0, file = 0;
    for (auto _ : state) {
        employees = bytesOf(raw, "Employee Find%", "Employee Name") +
                    bytesOf(raw, "Employee Department", "Employee Department");
        complaints = bytesOf(raw, "Complaint Find%", "Complaint Find%");
        file = raw.scalar("SELECT sum(pgsize) FROM dbstat");
    }
    const double mb = 1024.0 * 1024.0;
    state.counters["index_MB"] = double(employees + complaints) / mb;
    state.counters["employee_index_MB"] = double(employees) / mb;
    state.counters["complaint_index_MB"] = double(complaints) / mb;
    state.counters["file_MB"] = double(file) / mb;
    std::printf("SUMMARY find index on disk: %.1f MB (employees %.1f MB, complaints %.1f MB) "
                "of a %.1f MB file\n",
                double(employees + complaints) / mb, double(employees) / mb,
                double(complaints) / mb, double(file) / mb);
}

// A copy of the generated file, so that the saves leave the cached one as it is.
QString copyOf(const QString &path, const QTemporaryDir &dir, const char *name)
{
    const QString copy = dir.path() + QLatin1Char('/') + QLatin1String(name);
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
        throw std::runtime_error("Cannot copy " + path.toStdString());
    return copy;
}

// Opens a copy as the program does; the copy without the index has it
// dropped once open.
std::shared_ptr<CaseDatabase> openCopy(const QString &path, bool withIndex)
{
    auto db = std::make_shared<CaseDatabase>(path);
    db->open();
    if (!withIndex)
        db->write([](QSqlQuery &q) {
            for (const QString &sql : FindIndex::dropStatements())
                if (!q.exec(sql))
                    throw std::runtime_error("Cannot drop the find index");
        });
    if (FindIndex::isPresent(db->connection()) != withIndex)
        throw std::runtime_error("the copy does not hold what it should");
    return db;
}

// Saves of one table's records one after another, each its own transaction.
void saves(const std::shared_ptr<CaseDatabase> &db, const char *table, const char *field,
           Comparison &c, bool withIndex)
{
    RecordSet rs(db, QString::fromLatin1(table));
    const int column = rs.fieldIndex(QString::fromLatin1(field));
    const int length = QString::fromLatin1(table) == QLatin1String("Employee") ? 50 : 255;
    for (int i = 0; i < 1000; ++i) {
        if (i % 16 == 0)
            rs.moveFirst();
        else
            rs.moveNext();
        const QString text =
            QStringLiteral("changed %1 by the bench, refused overtime").arg(i).left(length);
        auto save = [&] {
            rs.edit();
            rs.setValue(column, text);
            rs.update();
        };
        if (withIndex)
            c.window(save);
        else
            c.baseline(save);
    }
}

void BM_FindIndexSaves(benchmark::State &state)
{
    const QString path = BenchApp::database(state.range(0), state.range(0));
    QTemporaryDir dir(CaseDataGenerator::cacheFolder() + QStringLiteral("/find-saves-XXXXXX"));
    const auto with = openCopy(copyOf(path, dir, "with.db"), true);
    const auto without = openCopy(copyOf(path, dir, "without.db"), false);
    const std::string size = ", " + std::to_string(state.range(0)) + " rows";
    Comparison employees("find index: 1,000 employee saves, each" + size, {0, 0, "without"});
    Comparison complaints("find index: 1,000 complaint saves, each" + size, {0, 0, "without"});
    for (auto _ : state) {
        saves(with, "Employee", "Name", employees, true);
        saves(without, "Employee", "Name", employees, false);
        saves(with, "Complaints", "Case Facts2", complaints, true);
        saves(without, "Complaints", "Case Facts2", complaints, false);
    }
    employees.publish(nullptr);
    complaints.publish(nullptr);
    auto total = [](const std::vector<double> &v) {
        double sum = 0;
        for (double x : v)
            sum += x;
        return sum;
    };
    std::printf("SUMMARY find index: 1,000 employee saves %.2f s with it, %.2f s without; "
                "1,000 complaint saves %.2f s with it, %.2f s without\n",
                total(employees.windowSamples()), total(employees.baselineSamples()),
                total(complaints.windowSamples()), total(complaints.baselineSamples()));
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_FindTyping", BM_FindTyping)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(290) // ten times through the three texts
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FindIndexSize", BM_FindIndexSize)
        ->Arg(rows)
        ->ArgName("rows")
        ->Iterations(1)
        ->Repetitions(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FindIndexSaves", BM_FindIndexSaves)
        ->Arg(rows)
        ->ArgName("rows")
        ->Iterations(1)
        ->Repetitions(1)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
