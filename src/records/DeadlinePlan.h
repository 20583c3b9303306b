#pragma once

#include "records/WorkCalendar.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

// Who must act by a time limit's last day.
enum class StepActor { UnionFiles = 0, ManagementAnswers = 1 };

// The date a time limit is counted from.
enum class CountedFrom {
    Violation = 0,      // the date of the violation
    Learned = 1,        // the day the union learned of it
    PreviousFiling = 2, // the union's last filing before this step
    PreviousAnswer = 3, // management's last answer before this step
};

// Where a complaint stands. Only an open one has deadlines.
enum class GrievanceStatus { Open = 0, Settled, Withdrawn, Won, Lost, AtArbitration };
inline constexpr int GrievanceStatusCount = 6;

// One step of the office's grievance procedure, in order: who acts, within
// how many days, counted how and from what.
struct TimeLimit {
    qint64 id = 0; // the complaints' recorded steps name it by this, never by position
    QString step;
    StepActor acts = StepActor::UnionFiles;
    int days = 10;
    bool workingDays = true;
    CountedFrom from = CountedFrom::PreviousAnswer;
    bool nextWorkingDay = true; // a last day off work moves to the next working day

    bool operator==(const TimeLimit &) const = default;
};

// What a complaint's deadlines are computed from.
struct ComplaintProgress {
    GrievanceStatus status = GrievanceStatus::Open;
    QDate violation;
    QDate learned;             // empty: the union learned of it on the day
    QHash<qint64, QDate> done; // time limit id -> the day the step was taken
};

// The deadline a complaint must meet next.
struct NextDeadline {
    int index = -1; // in the time limits; -1 when there is none
    QDate due;

    bool isSet() const { return index >= 0; }
};

// How a complaint's deadlines follow from the office's time limits:
//  - a step's last day counts from its date as the limit says; "the union
//    learning of it" is the date of the violation until another is given;
//  - "the previous filing (answer)" is the nearest earlier step of the union
//    (of management); one that has no date counts as taken on its own last
//    day (management that never answered: the union's next step counts
//    from the day the answer was due); with no such step before, the date
//    the union learned of it;
//  - the next deadline is that of the first step after the last one taken,
//    for an open complaint only, and none while its date cannot be counted
//    (no date of violation yet).
namespace DeadlinePlan
{

// Every step's last day, in the order of the limits; an invalid date where
// it cannot be counted.
QList<QDate> dues(const QList<TimeLimit> &limits, const ComplaintProgress &progress,
                  const WorkCalendar &calendar);

NextDeadline next(const QList<TimeLimit> &limits, const ComplaintProgress &progress,
                  const WorkCalendar &calendar);

// The office's steps until the steward sets them: each step is filed by the
// union and answered by management.
QList<TimeLimit> defaultLimits();

} // namespace DeadlinePlan
