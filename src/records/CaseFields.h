#pragma once

// The fields of a case, numbered as the main window numbers its bound boxes
// txtFields(0..21) and their labels: 0 to 10 are the employee's (table
// Employee, the employee pane), 11 to 21 the complaint's (table Complaints,
// the grievance pane). The data layer names the stored fields by these
// numbers; the window's layout, its handlers and the print jobs use them to
// say which box they mean.
namespace CaseFields
{

enum Field : int {
    Name = 0,
    Department = 1,
    ShiftStartTime = 2,
    FileNumber = 3,
    HomePhone = 4,
    WorkPhone = 5,
    CompanySeniority = 6,
    ClassSeniority = 7,
    Classification = 8,
    Address = 9,
    DaysOff = 10,
    GrievanceNumber = 11,
    GrievanceFileNumber = 12,
    CaseFacts3 = 13,
    CaseFacts2 = 14,
    CaseFacts1 = 15,
    OralAnswerDate = 16,
    ContactDate = 17,
    SupervisorFirstContacted = 18,
    RemedySought = 19,
    DateOfViolation = 20,
    ContractProvisions = 21,
    BoundFieldCount = 22
};

// The record panes Data1(0) and Data1(1), and the tab pages they sit on.
enum Pane : int { EmployeePane = 0, GrievancePane = 1, PaneCount = 2 };

constexpr Pane paneOf(Field field)
{
    return field < GrievanceNumber ? EmployeePane : GrievancePane;
}

} // namespace CaseFields
