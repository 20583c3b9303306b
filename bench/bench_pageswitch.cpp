// Turning to the grievance page with an employee shown: the real window,
// offscreen, a real click on the page's tab. The switch rebuilds the
// complaints pane from "... WHERE [File Number] = '<file number>'" over the
// whole Complaints table. Measured for an employee with no complaint, one
// with a few and the one with the most; beside it, SQLite alone finds the
// first of those complaints with a prepared query on the index.
#include "caseform/RecordBinder.h"
#include "platform/TextBox.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/RawDatabase.h"
#include "support/RawStatement.h"
#include "support/WindowControls.h"

#include <QTabWidget>

using namespace CaseFields;

namespace
{

enum Employee { NoComplaint, SomeComplaints, MostComplaints };

const char *const EmployeeNames[] = {"no complaint", "a few complaints", "most complaints"};

std::string fileNumberOf(RawDatabase &raw, Employee who)
{
    switch (who) {
    case NoComplaint:
        return raw.text(
            "SELECT e.\"File Number\" FROM Employee e WHERE NOT EXISTS (SELECT 1 FROM Complaints c "
            "WHERE c.\"File Number\" = e.\"File Number\") LIMIT 1");
    case SomeComplaints:
        return raw.text("SELECT \"File Number\" FROM Complaints GROUP BY \"File Number\" "
                        "HAVING COUNT(*) BETWEEN 3 AND 5 LIMIT 1");
    case MostComplaints:
        return raw.text("SELECT \"File Number\" FROM Complaints GROUP BY \"File Number\" "
                        "ORDER BY COUNT(*) DESC LIMIT 1");
    }
    return {};
}

// The grievance page must be shown with one of this employee's complaints,
// or with a new one already carrying the file number when there is none.
std::string mismatch(OffscreenWindow &w, RawDatabase &raw, Employee who,
                     const std::string &fileNumber)
{
    const std::string grievance = w.field(GrievanceNumber)->text().toStdString();
    const std::string linked = w.field(GrievanceFileNumber)->text().toStdString();
    bool sound = windowTabs(w.window())->currentIndex() == 1 && linked == fileNumber;
    if (who == NoComplaint) {
        sound =
            sound && grievance.empty() && windowPane(w.window(), GrievancePane)->isOnNewRecord();
    } else {
        RawStatement owner(
            raw, "SELECT \"File Number\" FROM Complaints WHERE \"Grievance Number\" = ?1");
        owner.bindText(1, grievance);
        sound = sound && !grievance.empty() && owner.step() && owner.text(0) == fileNumber;
    }
    if (sound)
        return {};
    return "The grievance page shows grievance '" + grievance + "' with file number '" + linked +
           "' for employee " + fileNumber;
}

void BM_PageSwitch(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const auto who = Employee(state.range(1));
    const QString path = BenchApp::database(rows, rows);
    RawDatabase raw(path, RawDatabase::ReadOnly);
    const std::string fileNumber = fileNumberOf(raw, who);
    if (fileNumber.empty()) {
        state.SkipWithError("The database has no such employee.");
        return;
    }
    // The first of the employee's complaints, as SQLite alone finds it.
    RawStatement first(raw, "SELECT * FROM Complaints WHERE \"File Number\" = ?1 LIMIT 1");
    first.bindText(1, fileNumber);

    OffscreenWindow w(path);
    w.lookUp(QString::fromStdString(fileNumber));
    if (w.field(FileNumber)->text().toStdString() != fileNumber) {
        state.SkipWithError(("The lookup did not bring employee " + fileNumber).c_str());
        return;
    }
    Comparison c("page switch, " + std::string(EmployeeNames[who]) + ", " + std::to_string(rows) +
                     " complaints",
                 {1.0, 0});
    std::string wrong;
    for (auto _ : state) {
        w.clickTab(EmployeePane);
        state.SetIterationTime(c.window([&] { w.clickTab(GrievancePane); }));
        c.baseline([&] { benchmark::DoNotOptimize(first.firstRow()); });
        if (wrong.empty())
            wrong = mismatch(w, raw, who, fileNumber);
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
    benchmark::RegisterBenchmark("BM_PageSwitch", BM_PageSwitch)
        ->ArgsProduct({{rows}, {NoComplaint, SomeComplaints, MostComplaints}})
        ->ArgNames({"complaints", "employee"})
        ->UseManualTime()
        ->Iterations(300)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
