#pragma once

#include "records/CaseFields.h"

// Positions (twips), captions and tab indexes of the main window's controls.
// The stored fields behind the bound boxes, and their lengths, are the data
// layer's (CaseSchema); only where and how the boxes stand is here.
namespace MainLayout
{

constexpr int ClientWidth = 9480;
constexpr int ClientHeight = 6525;
constexpr int TabLeft = 0, TabTop = 0, TabWidth = 9420, TabHeight = 6180;
constexpr int StatusBarHeight = 264;
constexpr int BoxHeight = 285;
constexpr int LabelHeight = 255;
constexpr int LabelAbove = 240;

// A bound box txtFields(field) and its label lblLabels(field), on the page
// of the field's pane. The case facts pieces lie under txtCaseFacts.
struct FieldBox {
    CaseFields::Field field;
    const char *caption;  // the label's
    bool hidden;          // box and label are never shown
    int left, top, width; // the box on its tab page
    int tabIndex;
    int labelWidth;
};

// clang-format off
constexpr FieldBox FieldBoxes[CaseFields::BoundFieldCount] = {
    {CaseFields::Name, "Name:", false, 240, 700, 3975, 1, 1815},
    {CaseFields::Department, "Department:", false, 4440, 700, 2655, 2, 1815},
    {CaseFields::ShiftStartTime, "Shift Start Time:", false, 7320, 700, 1695, 3, 1455},
    {CaseFields::FileNumber, "File Number: (use all 6 digits)", false, 240, 1300, 2655, 4, 2655},
    {CaseFields::HomePhone, "Home Phone:", false, 3000, 1300, 3015, 5, 1455},
    {CaseFields::WorkPhone, "Work Phone:", false, 6120, 1300, 2895, 6, 1815},
    {CaseFields::CompanySeniority, "Company Seniority:", false, 240, 1900, 1455, 7, 1455},
    {CaseFields::ClassSeniority, "Class Seniortity:", false, 1920, 1900, 1335, 8, 1215},
    {CaseFields::Classification, "Classification:", false, 3720, 1900, 5295, 9, 1815},
    {CaseFields::Address, "Address:", false, 240, 2500, 8775, 10, 1815},
    {CaseFields::DaysOff, "Days Off:", false, 240, 3100, 8775, 11, 1815},
    {CaseFields::GrievanceNumber, "Grievance Number:", true, 3600, 5500, 1935, 29, 1815},
    {CaseFields::GrievanceFileNumber, "File Number:", true, 120, 5500, 3375, 30, 1815},
    {CaseFields::CaseFacts3, "Case Facts3:", false, 360, 4300, 7815, 49, 1815},
    {CaseFields::CaseFacts2, "Case Facts2:", false, 360, 3700, 7815, 47, 1815},
    {CaseFields::CaseFacts1, "Case Facts:", false, 360, 3100, 7815, 45, 1815},
    {CaseFields::OralAnswerDate, "Supervisor's Oral Answer Date:", false, 360, 2500, 3375, 36, 3375},
    {CaseFields::ContactDate, "Contact Date:", false, 6000, 1900, 3135, 35, 1815},
    {CaseFields::SupervisorFirstContacted, "Supervisor First Contacted:", false, 360, 1900, 5175, 34, 3495},
    {CaseFields::RemedySought, "Remedy Sought:", false, 360, 1300, 8775, 33, 1815},
    {CaseFields::DateOfViolation, "Date of Violation:", false, 6000, 700, 3135, 32, 1815},
    {CaseFields::ContractProvisions, "Contract Provinsions:", false, 360, 700, 5175, 31, 1815},
};
// clang-format on

// The window looks a box up by its field: the table must stay in field order.
constexpr bool fieldBoxesInFieldOrder()
{
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i)
        if (FieldBoxes[i].field != i)
            return false;
    return true;
}
static_assert(fieldBoxesInFieldOrder());

// Record command buttons: cmdAdd, cmdDelete, cmdRefresh, cmdUpdate, cmdGrid
// for each page, then the other buttons.
constexpr int CommandTop[2] = {3580, 5020};
constexpr int CommandLeft[2][5] = {{240, 2040, 3840, 5640, 7440}, {360, 2160, 3960, 5760, 7560}};
constexpr int CommandTab[2][5] = {{15, 16, 13, 12, 14}, {54, 55, 52, 38, 56}};
constexpr const char *CommandCaption[5] = {"&Add", "&Delete", "&Refresh", "&Update", "&Grid"};
constexpr int CommandWidth = 1600, CommandHeight = 400;

struct Rect {
    int left, top, width, height;
};

// Employee page.
constexpr Rect Data1Employee = {240, 4060, 4335, 345};
// The hint needs three lines in Liberation Sans where the classic dialog font
// took two: it grows upwards into the free band under the navigator bar and
// keeps its bottom edge just above the lookup box.
constexpr Rect Label1 = {240, 4440, 3735, 800};
constexpr Rect txtFileNumber = {240, 5260, 3735, 285};
constexpr int txtFileNumberTab = 59;
constexpr Rect cmdReset = {240, 5620, 3735, 375};
constexpr int cmdResetTab = 61;
constexpr Rect Frame1 = {4800, 4200, 4455, 1815};
constexpr int Frame1Tab = 64;
constexpr Rect Label3 = {480, 360, 3135, 255};        // inside Frame1
constexpr Rect txtBackCopies = {480, 600, 1215, 285}; // inside Frame1
constexpr int txtBackCopiesTab = 67;
constexpr Rect cmdPrintBack = {360, 1320, 3735, 400}; // inside Frame1
constexpr int cmdPrintBackTab = 65;
constexpr Rect Picture1 = {4800, 4780, 6390, 5475};

// Grievance page.
constexpr Rect Data1Grievance = {360, 5500, 5025, 345};
constexpr Rect txtCaseFacts = {360, 3100, 8415, 1815};
constexpr int txtCaseFactsTab = 37;
constexpr int txtCaseFactsMax = 765;
constexpr Rect Label2 = {5640, 5500, 735, 255};
constexpr Rect txtCopies = {5640, 5740, 735, 285};
constexpr int txtCopiesTab = 62;
constexpr Rect cmdPrintGrievance = {6600, 5500, 2535, 495};
constexpr int cmdPrintGrievanceTab = 57;

} // namespace MainLayout
