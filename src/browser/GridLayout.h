#pragma once

// Positions (twips), captions and tab indexes of the grid window's controls,
// and the texts it shows.
namespace GridLayout
{

constexpr int ClientWidth = 9540;
constexpr int ClientHeight = 6690;

struct Control {
    const char *name;
    const char *caption;
    int left, top, width, height;
    int tabIndex; // 0: not in the list
};

constexpr Control picButtons = {"picButtons", "", 0, 0, 9540, 450, 1};
constexpr Control cmdRefresh = {"cmdRefresh", "&Refresh", 0, 0, 1462, 375, 2};
constexpr Control cmdSort = {"cmdSort", "&Sort", 1440, 0, 1462, 375, 3};
constexpr Control cmdFilter = {"cmdFilter", "&Filter", 2880, 0, 1462, 375, 4};
constexpr Control cmdClose = {"cmdClose", "&Close", 4320, 0, 1455, 375, 5};
// Writes what the grid shows (its filter, its order) to a CSV file.
constexpr Control cmdExport = {"cmdExport", "&Export...", 5760, 0, 1455, 375, 6};
constexpr Control grdDataGrid = {"grdDataGrid", "", 0, 480, 9540, 5805, 0};

// The grid fills the window below the strip: outer height minus the strip
// and this much (the caption bar and borders of the window it was drawn on).
constexpr int ResizeAllowance = 425;

// A record source longer than this is not shown as the caption.
constexpr int CaptionLimit = 50;

// Rows are as high as a line of text needs, at least this (twips).
constexpr int RowHeight = 240;

// Automatic column widths stay within these bounds (twips).
constexpr int MinColumnWidth = 600;
constexpr int MaxColumnWidth = 3600;

} // namespace GridLayout

namespace GridTexts
{
constexpr const char *GridSuffix = " Grid";
constexpr const char *SqlStatement = "SQL Statement";
constexpr const char *ErrorPrefix = "Error:";
constexpr const char *FilterPrompt = "Enter Filter Expression:";
constexpr const char *SortPrompt = "Enter Sort Column:";
constexpr const char *NoTableFilter = "You Cannot Filter a Table Recordset!";
constexpr const char *NoTableSort = "You Cannot Sort a Table Recordset!";
constexpr const char *DeleteRow = "Delete Current Row?";
constexpr const char *CommitChanges = "Commit changes?";
} // namespace GridTexts
