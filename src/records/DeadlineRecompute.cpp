#include "records/DeadlineRecompute.h"

#include "records/CaseDatabase.h"
#include "records/DeadlineSchema.h"
#include "records/DeadlineSql.h"

#include <QHash>
#include <QSqlQuery>
#include <limits>

using namespace DeadlineSql;

namespace DeadlineRecompute
{

namespace
{

struct Change {
    qint64 number;
    QVariant due;
    QVariant limit;
};

// One statement for up to WriteRows complaints: the same on both engines,
// where UPDATE ... FROM or a batch of single updates would not be.
void write(const CaseDatabase &db, const QList<Change> &changes)
{
    if (changes.isEmpty())
        return;
    QString dues, limits;
    QStringList marks;
    QVariantList params;
    for (const Change &c : changes) {
        dues += QStringLiteral(" WHEN ? THEN ?");
        params << c.number << c.due;
    }
    for (const Change &c : changes) {
        limits += QStringLiteral(" WHEN ? THEN CAST(? AS INTEGER)");
        params << c.number << c.limit;
    }
    for (const Change &c : changes) {
        marks << QStringLiteral("?");
        params << c.number;
    }
    QSqlQuery q = run(db,
                      QStringLiteral("UPDATE %1 SET \"Next Due\" = CASE \"Grievance Number\"%2 "
                                     "END, \"Next Limit\" = CASE \"Grievance Number\"%3 END WHERE "
                                     "\"Grievance Number\" IN (%4)")
                          .arg(table(DeadlineSchema::StatusTable), dues, limits,
                               marks.join(QStringLiteral(", "))),
                      params);
    if (q.numRowsAffected() != changes.size())
        throw DataError(DataErrors::General,
                        QStringLiteral("The deadlines of %1 complaints were to be written, and %2 "
                                       "were; nothing was saved.")
                            .arg(changes.size())
                            .arg(q.numRowsAffected()));
}

} // namespace

void all(const CaseDatabase &db, const QList<TimeLimit> &limits, const WorkCalendar &calendar,
         const std::function<void(qint64, qint64)> &progress)
{
    const QString status = table(DeadlineSchema::StatusTable);
    const QString steps = table(DeadlineSchema::StepsTable);
    const qint64 total =
        count(db, QStringLiteral("SELECT count(*) FROM %1 WHERE \"Status\" = 0").arg(status));
    const QString readOpen =
        QStringLiteral("SELECT \"Grievance Number\", \"Violation\", \"Learned\", \"Next Due\", "
                       "\"Next Limit\" FROM %1 WHERE \"Status\" = 0 AND \"Grievance Number\" > ? "
                       "ORDER BY \"Grievance Number\" LIMIT %2")
            .arg(status)
            .arg(ReadRows);
    const QString readSteps =
        QStringLiteral("SELECT \"Grievance Number\", \"Limit\", \"Done\" FROM %1 WHERE "
                       "\"Grievance Number\" >= ? AND \"Grievance Number\" <= ? AND \"Done\" IS "
                       "NOT NULL")
            .arg(steps);
    qint64 after = std::numeric_limits<qint64>::min();
    qint64 done = 0;
    QList<Change> changes;
    for (;;) {
        struct Open {
            qint64 number;
            ComplaintProgress progress;
            QDate due;
            qint64 limit;
        };
        QList<Open> batch;
        QSqlQuery q = run(db, readOpen, {after});
        while (q.next()) {
            Open o;
            o.number = q.value(0).toLongLong();
            o.progress.violation = dateOf(q.value(1));
            o.progress.learned = dateOf(q.value(2));
            o.due = dateOf(q.value(3));
            o.limit = q.value(4).isNull() ? 0 : q.value(4).toLongLong();
            batch << o;
        }
        q.finish();
        if (batch.isEmpty())
            break;
        QHash<qint64, qsizetype> at;
        for (qsizetype i = 0; i < batch.size(); ++i)
            at.insert(batch.at(i).number, i);
        QSqlQuery s = run(db, readSteps, {batch.first().number, batch.last().number});
        while (s.next()) {
            const auto it = at.constFind(s.value(0).toLongLong());
            if (it != at.constEnd())
                batch[*it].progress.done.insert(s.value(1).toLongLong(), dateOf(s.value(2)));
        }
        s.finish();
        for (const Open &o : std::as_const(batch)) {
            const NextDeadline next = DeadlinePlan::next(limits, o.progress, calendar);
            const qint64 limit = next.isSet() ? limits.at(next.index).id : 0;
            if (next.due == o.due && limit == o.limit)
                continue;
            changes.append(
                {o.number, dateValue(next.due), next.isSet() ? QVariant(limit) : nullInteger()});
            if (changes.size() == WriteRows) {
                write(db, changes);
                changes.clear();
            }
        }
        done += batch.size();
        after = batch.last().number;
        if (progress)
            progress(done, total);
    }
    write(db, changes);
}

} // namespace DeadlineRecompute
