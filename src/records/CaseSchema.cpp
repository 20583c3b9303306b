#include "records/CaseSchema.h"

namespace CaseSchema {

const char *const EmployeeTable = "Employee";
const char *const ComplaintsTable = "Complaints";

const QList<Column> &employeeColumns()
{
    static const QList<Column> c = {
        {"Name", 50},           {"Department", 10},        {"Shift Start Time", 10},
        {"File Number", 10},    {"Home Phone", 14},        {"Work Phone", 14},
        {"Company Seniority", 10}, {"Class Seniortity", 10}, {"Classification", 40},
        {"Address", 100},       {"Days Off", 100},
    };
    return c;
}

const QList<Column> &complaintsColumns()
{
    static const QList<Column> c = {
        {"Grievance Number", 0},
        {"File Number", 10},
        {"Contract Provinsions", 30},
        {"Date of Violation", 30},
        {"Remedy Sought", 100},
        {"Supervisor First Contacted", 50},
        {"Contact Date", 10},
        {"Supervisor's Oral Answer Date", 10},
        {"Case Facts1", 255},
        {"Case Facts2", 255},
        {"Case Facts3", 255},
    };
    return c;
}

namespace {
// index, pane, field, caption, max, shown, left, top, width, tab, label width
const BoundField g_fields[BoundFieldCount] = {
    {0, 0, "Name", "Name:", 50, true, 240, 700, 3975, 1, 1815},
    {1, 0, "Department", "Department:", 10, true, 4440, 700, 2655, 2, 1815},
    {2, 0, "Shift Start Time", "Shift Start Time:", 10, true, 7320, 700, 1695, 3, 1455},
    {3, 0, "File Number", "File Number: (use all 6 digits)", 10, true, 240, 1300, 2655, 4, 2655},
    {4, 0, "Home Phone", "Home Phone:", 14, true, 3000, 1300, 3015, 5, 1455},
    {5, 0, "Work Phone", "Work Phone:", 14, true, 6120, 1300, 2895, 6, 1815},
    {6, 0, "Company Seniority", "Company Seniority:", 10, true, 240, 1900, 1455, 7, 1455},
    {7, 0, "Class Seniortity", "Class Seniortity:", 10, true, 1920, 1900, 1335, 8, 1215},
    {8, 0, "Classification", "Classification:", 40, true, 3720, 1900, 5295, 9, 1815},
    {9, 0, "Address", "Address:", 100, true, 240, 2500, 8775, 10, 1815},
    {10, 0, "Days Off", "Days Off:", 100, true, 240, 3100, 8775, 11, 1815},
    {11, 1, "Grievance Number", "Grievance Number:", 0, false, 3600, 5500, 1935, 29, 1815},
    {12, 1, "File Number", "File Number:", 10, false, 120, 5500, 3375, 30, 1815},
    {13, 1, "Case Facts3", "Case Facts3:", 255, false, 360, 4300, 7815, 49, 1815},
    {14, 1, "Case Facts2", "Case Facts2:", 255, false, 360, 3700, 7815, 47, 1815},
    {15, 1, "Case Facts1", "Case Facts:", 255, false, 360, 3100, 7815, 45, 1815},
    {16, 1, "Supervisor's Oral Answer Date", "Supervisor's Oral Answer Date:", 10, true, 360, 2500, 3375, 36, 3375},
    {17, 1, "Contact Date", "Contact Date:", 10, true, 6000, 1900, 3135, 35, 1815},
    {18, 1, "Supervisor First Contacted", "Supervisor First Contacted:", 50, true, 360, 1900, 5175, 34, 3495},
    {19, 1, "Remedy Sought", "Remedy Sought:", 100, true, 360, 1300, 8775, 33, 1815},
    {20, 1, "Date of Violation", "Date of Violation:", 30, true, 6000, 700, 3135, 32, 1815},
    {21, 1, "Contract Provinsions", "Contract Provinsions:", 30, true, 360, 700, 5175, 31, 1815},
};

} // namespace

const BoundField &boundField(int index)
{
    Q_ASSERT(index >= 0 && index < BoundFieldCount);
    return g_fields[index];
}

} // namespace CaseSchema
