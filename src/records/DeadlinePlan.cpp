#include "records/DeadlinePlan.h"

namespace DeadlinePlan
{

QList<QDate> dues(const QList<TimeLimit> &limits, const ComplaintProgress &progress,
                  const WorkCalendar &calendar)
{
    const QDate learned = progress.learned.isValid() ? progress.learned : progress.violation;
    QList<QDate> out;
    out.reserve(limits.size());
    // The date each step counts as taken on: its own, or else its last day.
    QList<QDate> taken;
    taken.reserve(limits.size());
    for (qsizetype i = 0; i < limits.size(); ++i) {
        const TimeLimit &limit = limits.at(i);
        QDate base;
        switch (limit.from) {
        case CountedFrom::Violation:
            base = progress.violation;
            break;
        case CountedFrom::Learned:
            base = learned;
            break;
        case CountedFrom::PreviousFiling:
        case CountedFrom::PreviousAnswer: {
            const StepActor wanted = limit.from == CountedFrom::PreviousFiling
                                         ? StepActor::UnionFiles
                                         : StepActor::ManagementAnswers;
            base = learned;
            for (qsizetype j = i - 1; j >= 0; --j)
                if (limits.at(j).acts == wanted) {
                    base = taken.at(j);
                    break;
                }
            break;
        }
        }
        const QDate due =
            calendar.deadline(base, limit.days, limit.workingDays, limit.nextWorkingDay);
        out << due;
        const QDate on = progress.done.value(limit.id);
        taken << (on.isValid() ? on : due);
    }
    return out;
}

NextDeadline next(const QList<TimeLimit> &limits, const ComplaintProgress &progress,
                  const WorkCalendar &calendar)
{
    if (progress.status != GrievanceStatus::Open)
        return {};
    qsizetype first = 0;
    for (qsizetype i = limits.size() - 1; i >= 0; --i)
        if (progress.done.value(limits.at(i).id).isValid()) {
            first = i + 1;
            break;
        }
    if (first >= limits.size())
        return {};
    const QDate due = dues(limits.first(first + 1), progress, calendar).at(first);
    if (!due.isValid())
        return {};
    return {int(first), due};
}

QList<TimeLimit> defaultLimits()
{
    using enum StepActor;
    using enum CountedFrom;
    return {
        {1, QStringLiteral("Step 1 – Oral"), UnionFiles, 10, true, Learned, true},
        {2, QStringLiteral("Step 1 – Oral"), ManagementAnswers, 5, true, PreviousFiling, true},
        {3, QStringLiteral("Step 2 – Written"), UnionFiles, 10, true, PreviousAnswer, true},
        {4, QStringLiteral("Step 2 – Written"), ManagementAnswers, 10, true, PreviousFiling, true},
        {5, QStringLiteral("Step 3"), UnionFiles, 10, true, PreviousAnswer, true},
        {6, QStringLiteral("Step 3"), ManagementAnswers, 10, true, PreviousFiling, true},
        {7, QStringLiteral("Arbitration"), UnionFiles, 30, false, PreviousAnswer, true},
    };
}

} // namespace DeadlinePlan
