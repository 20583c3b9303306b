// Opening the employee pane over the whole Employee table and showing its
// first record, as the window does at its load: a record set made from the
// record source "Employee" and the first record loaded into the 11 bound
// employee boxes. Beside it, in the same loop, the cheapest way SQLite gives
// the same row: a prepared SELECT * FROM Employee LIMIT 1 on a connection
// of its own.
#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/RawDatabase.h"
#include "support/RawStatement.h"

#include <QWidget>
#include <set>

namespace
{

constexpr int EmployeeBoxes = CaseFields::DaysOff + 1; // txtFields(Name..DaysOff)

// A pane bound to its boxes as the window builds it, not yet open.
struct EmployeePane {
    explicit EmployeePane(const std::shared_ptr<CaseDatabase> &db)
    {
        pane = new RecordBinder(CaseFields::EmployeePane, &host);
        for (int i = 0; i < EmployeeBoxes; ++i) {
            boxes[i] = new TextBox(&host);
            boxes[i]->setMaxLength(CaseSchema::fieldLength(CaseFields::Field(i)));
            pane->bind(TextBoxBinding::of(boxes[i]),
                       QString::fromUtf8(CaseSchema::fieldName(CaseFields::Field(i))));
        }
        pane->setDatabase(db);
        pane->setRecordSource(QString::fromLatin1(CaseSchema::EmployeeTable));
    }
    QWidget host;
    RecordBinder *pane = nullptr;
    TextBox *boxes[EmployeeBoxes] = {};
};

void BM_OpenEmployeePane(benchmark::State &state)
{
    const std::int64_t employees = state.range(0);
    const QString path = BenchApp::database(employees, employees);
    auto db = std::make_shared<CaseDatabase>(path);
    db->open();
    RawDatabase raw(path, RawDatabase::ReadOnly);
    RawStatement firstRow(raw, "SELECT * FROM Employee LIMIT 1");
    Comparison comparison("open pane, " + std::to_string(employees) + " employees", {1.0, 30.0});

    std::unique_ptr<EmployeePane> last;
    for (auto _ : state) {
        // A fresh pane with empty boxes each time, as before the window's
        // load; building it is not what is measured.
        auto fresh = std::make_unique<EmployeePane>(db);
        last.reset();
        state.SetIterationTime(comparison.window([&] { fresh->pane->open(); }));
        comparison.baseline([&] { benchmark::DoNotOptimize(firstRow.firstRow()); });
        last = std::move(fresh);
    }
    if (BenchApp::failedWithMessage(state))
        return;
    // The pane must show the table's first row, the one SQLite gives.
    RawStatement first(raw, "SELECT \"File Number\" FROM Employee ORDER BY rowid LIMIT 1");
    first.step();
    const QString shown = last ? last->boxes[3]->text() : QString();
    if (shown.isEmpty() || shown.toStdString() != first.text(0)) {
        state.SkipWithError(("The pane shows file number '" + shown.toStdString() + "', not '" +
                             std::string(first.text(0)) + "'")
                                .c_str());
        return;
    }
    comparison.publish(&state);
}

// The record set alone, without the boxes: how the pane's cost divides
// between the database side and the widgets.
void BM_OpenRecordSetOnly(benchmark::State &state)
{
    const std::int64_t employees = state.range(0);
    const QString path = BenchApp::database(employees, employees);
    auto db = std::make_shared<CaseDatabase>(path);
    db->open();
    RawDatabase raw(path, RawDatabase::ReadOnly);
    RawStatement firstRow(raw, "SELECT * FROM Employee LIMIT 1");
    Comparison comparison("open record set only, " + std::to_string(employees) + " employees", {});
    const QString source = QString::fromLatin1(CaseSchema::EmployeeTable);
    for (auto _ : state) {
        std::unique_ptr<RecordSet> rs;
        state.SetIterationTime(comparison.window([&] {
            rs = std::make_unique<RecordSet>(db, source);
            benchmark::DoNotOptimize(rs->values());
        }));
        comparison.baseline([&] { benchmark::DoNotOptimize(firstRow.firstRow()); });
    }
    comparison.publish(&state);
}

void registerAll(std::int64_t rows)
{
    std::set<std::int64_t> sizes{rows};
    for (std::int64_t n : {10'000, 100'000, 1'000'000})
        if (n <= rows)
            sizes.insert(n);
    auto *b = benchmark::RegisterBenchmark("BM_OpenEmployeePane", BM_OpenEmployeePane);
    for (std::int64_t n : sizes)
        b->Arg(n);
    b->ArgName("employees")->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_OpenRecordSetOnly", BM_OpenRecordSetOnly)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(300)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
