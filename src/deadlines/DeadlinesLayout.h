#pragma once

// The sizes of the deadline windows, in twips (Twips turns them into
// pixels): each opens large enough for its columns at any pixel density.
namespace DeadlinesLayout
{

inline constexpr int LimitsWidth = 12600;
inline constexpr int LimitsHeight = 9000;
inline constexpr int StepsWidth = 12600;
inline constexpr int StepsHeight = 8400;
inline constexpr int ListWidth = 14400;
inline constexpr int ListHeight = 7200;
// The columns of the deadlines list.
inline constexpr int ListColumnWidths[] = {1000, 1900, 2100, 2400, 1300, 1100, 2200, 1900};

} // namespace DeadlinesLayout
