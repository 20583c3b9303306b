#pragma once

// Positions (twips), captions and tab indexes of the main window's controls
// other than the bound field boxes, whose table lives with the case schema.
namespace MainLayout {

constexpr int ClientWidth = 9480;
constexpr int ClientHeight = 6525;
constexpr int TabLeft = 0, TabTop = 0, TabWidth = 9420, TabHeight = 6180;
constexpr int StatusBarHeight = 264;
constexpr int BoxHeight = 285;
constexpr int LabelHeight = 255;
constexpr int LabelAbove = 240;

struct Button {
    const char *name;
    const char *caption;
    int page, left, top, width, height, tabIndex;
};

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
