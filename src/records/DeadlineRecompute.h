#pragma once

#include "records/DeadlinePlan.h"

#include <functional>

class CaseDatabase;

// The next deadline of every open complaint computed anew, after the time
// limits or holidays changed: read in keyed batches with their steps, and
// written back only where it changed, many rows to a statement. Runs inside
// the caller's write transaction, so the new rules and the deadlines they
// give are committed together. Throws DataError.
namespace DeadlineRecompute
{

inline constexpr int ReadRows = 2000;
inline constexpr int WriteRows = 100;

void all(const CaseDatabase &db, const QList<TimeLimit> &limits, const WorkCalendar &calendar,
         const std::function<void(qint64 done, qint64 total)> &progress);

} // namespace DeadlineRecompute
