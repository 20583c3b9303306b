#pragma once

// The texts of the deadline windows: captions with their access keys, and
// what the windows say.
namespace DeadlineTexts
{

// Time Limits
inline constexpr const char *LimitsTitle = "Time Limits";
inline constexpr const char *StepsLabel = "&Steps of the grievance procedure, in order:";
inline constexpr const char *LimitColumns[] = {"Step",       "Who Acts", "Days",
                                               "Counted In", "From",     "Day Off Moves On"};
inline constexpr const char *Actors[] = {"Union files", "Management answers"};
inline constexpr const char *Units[] = {"Working days", "Calendar days"};
inline constexpr const char *FromWhat[] = {"Date of violation", "Union learned of it",
                                           "Previous filing", "Previous answer"};
inline constexpr const char *MovesOn = "Next working day";
inline constexpr const char *AddStep = "&Add Step";
inline constexpr const char *RemoveStep = "&Remove Step";
inline constexpr const char *MoveUp = "Move &Up";
inline constexpr const char *MoveDown = "Move Do&wn";
inline constexpr const char *NewStep = "New step";
inline constexpr const char *HolidaysLabel = "&Holidays:";
inline constexpr const char *HolidayDate = "Da&te:";
inline constexpr const char *AddHoliday = "Add Holi&day";
inline constexpr const char *RemoveHoliday = "Re&move Holiday";
inline constexpr const char *YearLabel = "&Year:";
inline constexpr const char *AddYear = "Add the Year's &Fixed Holidays";
inline constexpr const char *Save = "Sa&ve";
inline constexpr const char *SaveSteps = "&Save";
inline constexpr const char *Cancel = "Cancel";
inline constexpr const char *Recomputing = "Computing the deadlines of the open complaints...";
inline constexpr const char *LimitsNote =
    "Working days are Monday to Friday, less the holidays. A step counted from the previous "
    "filing or answer that has no date counts from that step's last day.";

// A year's holidays on fixed dates, for the steward to edit: month, day,
// name.
struct FixedHoliday {
    int month;
    int day;
    const char *name;
};
inline constexpr FixedHoliday FixedHolidays[] = {
    {1, 1, "New Year's Day"}, {6, 19, "Juneteenth"},     {7, 4, "Independence Day"},
    {11, 11, "Veterans Day"}, {12, 25, "Christmas Day"},
};

// Steps and Deadlines
inline constexpr const char *StepsTitle = "Steps and Deadlines";
inline constexpr const char *StepsTitleOf = "Steps and Deadlines - Grievance %1";
inline constexpr const char *ComplaintOf = "Grievance %1, File Number %2, %3";
inline constexpr const char *NoEmployee = "(no employee)";
inline constexpr const char *StatusLabel = "S&tatus:";
inline constexpr const char *Statuses[] = {"Open", "Settled", "Withdrawn",
                                           "Won",  "Lost",    "At arbitration"};
inline constexpr const char *ViolationLabel = "Date of &violation:";
inline constexpr const char *LearnedLabel = "Union &learned of it:";
inline constexpr const char *LearnedNote = "(empty: on the date of violation)";
inline constexpr const char *StepsTaken = "Ste&ps:";
inline constexpr const char *StepColumns[] = {"Step", "Last Day", "Filed or Answered On", "Outcome",
                                              "Note"};
inline constexpr const char *Outcomes[] = {"",        "Denied",   "Granted", "Partly granted",
                                           "Settled", "Withdrawn"};
inline constexpr const char *NextLabel = "Next deadline:";
inline constexpr const char *NextNone = "None";
inline constexpr const char *NextClosed = "None: the complaint is not open";
inline constexpr const char *NextNoDate = "None until the date of violation is entered";
inline constexpr const char *NextIs = "%1 (%2) by %3: %4";
inline constexpr const char *OrderLabel = "Dates like 03/04/2025 &are:";
inline constexpr const char *Orders[] = {"Not read (write 4 March 2025 or 2025-03-04)",
                                         "Month first (March 4)", "Day first (4 March)"};
inline constexpr const char *Proposed =
    "Dates proposed from the complaint's boxes (%1): check them, then save.";
inline constexpr const char *NotRead =
    "Not read from the complaint's boxes: %1. Type the dates, or choose how dates like "
    "03/04/2025 are written.";
inline constexpr const char *Saved = "The steps of Grievance %1 were saved.";
inline constexpr const char *Unavailable =
    "This database has no tables for steps and deadlines yet: the server's administrator "
    "starts the program once on it as the tables' owner, which makes them.";

// Deadlines
inline constexpr const char *ListTitle = "Deadlines";
inline constexpr const char *FilterLabel = "&Filter:";
inline constexpr const char *ListColumns[] = {"When",        "Due",       "Days Left", "Employee",
                                              "File Number", "Grievance", "Step",      "Who Acts"};
inline constexpr const char *Overdue = "Overdue";
inline constexpr const char *ThisWeek = "This week";
inline constexpr const char *Later = "Later";
inline constexpr const char *Today = "Today";
inline constexpr const char *DaysLeft[] = {"%1 working days", "%1 days"};
inline constexpr const char *OneDayLeft[] = {"1 working day", "1 day"};
inline constexpr const char *OverdueBy = "%1 days overdue";
inline constexpr const char *OverdueByOne = "1 day overdue";
inline constexpr const char *OpenComplaint = "&Open Complaint";
inline constexpr const char *EditSteps = "S&teps and Deadlines...";
inline constexpr const char *ExportCalendar = "&Export to Calendar...";
inline constexpr const char *PrintList = "&Print";
inline constexpr const char *SavePdf = "Save as P&DF...";
inline constexpr const char *Close = "Close";
inline constexpr const char *Counts = "%1 overdue, %2 due within a week.";
inline constexpr const char *MoreThan = "more than %1";
inline constexpr const char *FilterNote =
    "Complaints whose employee's name, file number or department holds \"%1\".";
inline constexpr const char *ReadFailed = "The deadlines could not be read: %1";
inline constexpr const char *ListPrintTitle = "Grievance Deadlines";
inline constexpr const char *ListPrinted = "As of %1";
inline constexpr const char *ListPrintedFiltered = "As of %1; employees holding \"%2\"";
inline constexpr const char *CalendarTitle = "Export Deadlines to Calendar";
inline constexpr const char *CalendarFilter = "iCalendar files (*.ics)";
inline constexpr const char *CalendarFile = "Grievance deadlines.ics";
inline constexpr const char *CalendarSaved =
    "%1 deadlines were saved for a calendar: %2. Opened again later, the file updates the "
    "same events.";
inline constexpr const char *CalendarFailed = "The deadlines were not exported: %1";
inline constexpr const char *EventSummary = "%1 due: %2 (Grievance %3)";
inline constexpr const char *EventDescription =
    "%1 by the end of this day: %2, Grievance %3, File Number %4.";
inline constexpr const char *ReminderText = "Grievance %1: %2 is due tomorrow";

// The start-up notice.
inline constexpr const char *NoticeOverdue = "%1 overdue";
inline constexpr const char *NoticeSoon = "%1 due within 3 working days";
inline constexpr const char *Notice = "Deadlines: %1. Edit, Deadlines (%2) lists them.";

} // namespace DeadlineTexts
