#include "records/DeadlineStore.h"

#include "jetsql/SqlDialect.h"
#include "records/CaseDatabase.h"
#include "records/ComplaintLinks.h"
#include "records/DeadlineRecompute.h"
#include "records/DeadlineSchema.h"
#include "records/DeadlineSql.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

using namespace DeadlineSql;

ComplaintProgress ComplaintSteps::progress() const
{
    ComplaintProgress p;
    p.status = status;
    p.violation = violation;
    p.learned = learned;
    for (const StepRecord &s : steps)
        if (s.done.isValid())
            p.done.insert(s.limit, s.done);
    return p;
}

namespace DeadlineStore
{

namespace
{

const QString Settings = table(DeadlineSchema::SettingsTable);
const QString Limits = table(DeadlineSchema::LimitsTable);
const QString Holidays = table(DeadlineSchema::HolidaysTable);
const QString Status = table(DeadlineSchema::StatusTable);
const QString Steps = table(DeadlineSchema::StepsTable);

struct Lock {
    qint64 version = 0;
    qint64 nextLimit = 0;
};

// The settings row, locked until the transaction ends: every save of the
// deadline tables takes it first and so waits for any other.
Lock lockSettings(const CaseDatabase &db)
{
    QSqlQuery q =
        run(db, QStringLiteral("SELECT \"Version\", \"Next Limit\" FROM %1 WHERE \"Key\" = 1")
                        .arg(Settings) +
                    db.dialect().lockForWrite());
    if (!q.next())
        throw DataError(DataErrors::General,
                        QStringLiteral("The deadline settings are missing from the database."));
    return {q.value(0).toLongLong(), q.value(1).toLongLong()};
}

// The server counts characters, as the steward does; a QString counts
// UTF-16 units.
qsizetype characters(const QString &text)
{
    return text.toUcs4().size();
}

void checkLimit(const TimeLimit &l)
{
    const QString name = l.step.trimmed();
    if (name.isEmpty())
        throw DataError(DataErrors::General, QStringLiteral("Every step needs a name."));
    if (characters(name) > DeadlineSchema::StepLength)
        throw DataError(DataErrors::General,
                        QStringLiteral("The step name \"%1\" is longer than %2 characters.")
                            .arg(name)
                            .arg(DeadlineSchema::StepLength));
    if (l.days < 0 || l.days > MaxDays)
        throw DataError(
            DataErrors::General,
            QStringLiteral("\"%1\" needs a number of days from 0 to %2.").arg(name).arg(MaxDays));
}

void checkStep(const StepRecord &s)
{
    if (characters(s.outcome) > DeadlineSchema::OutcomeLength ||
        characters(s.note) > DeadlineSchema::NoteLength)
        throw DataError(DataErrors::General,
                        QStringLiteral("An outcome holds at most %1 characters and a note %2.")
                            .arg(DeadlineSchema::OutcomeLength)
                            .arg(DeadlineSchema::NoteLength));
}

} // namespace

bool available(const CaseDatabase &db)
{
    if (!db.isOpen())
        return false;
    try {
        QSqlQuery q =
            run(db, QStringLiteral("SELECT \"Version\" FROM %1 WHERE \"Key\" = 1").arg(Settings));
        return q.next();
    } catch (const DataError &) {
        // No such table: the feature is off, which the windows say.
        return false;
    }
}

Rules readRules(const CaseDatabase &db)
{
    Rules r;
    QSqlQuery q =
        run(db, QStringLiteral("SELECT \"Limit\", \"Step\", \"Acts\", \"Days\", \"Working "
                               "Days\", \"Counted From\", \"Next Working Day\" FROM %1 "
                               "ORDER BY \"Position\", \"Limit\"")
                    .arg(Limits));
    while (q.next()) {
        TimeLimit l;
        l.id = q.value(0).toLongLong();
        l.step = q.value(1).toString();
        l.acts = q.value(2).toInt() == 1 ? StepActor::ManagementAnswers : StepActor::UnionFiles;
        l.days = q.value(3).toInt();
        l.workingDays = q.value(4).toInt() != 0;
        l.from = CountedFrom(std::clamp(q.value(5).toInt(), 0, 3));
        l.nextWorkingDay = q.value(6).toInt() != 0;
        r.limits << l;
    }
    QSqlQuery h = run(db, QStringLiteral("SELECT \"Day\" FROM %1 ORDER BY \"Day\"").arg(Holidays));
    while (h.next())
        if (const QDate d = dateOf(h.value(0)); d.isValid())
            r.holidays << d;
    r.calendar = WorkCalendar(r.holidays);
    return r;
}

OfficeLimits readLimits(const CaseDatabase &db)
{
    OfficeLimits o;
    QSqlQuery q =
        run(db, QStringLiteral("SELECT \"Version\" FROM %1 WHERE \"Key\" = 1").arg(Settings));
    o.version = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    const Rules r = readRules(db);
    o.limits = r.limits;
    o.holidays = r.holidays;
    return o;
}

OfficeLimits saveLimits(CaseDatabase &db, const OfficeLimits &edited,
                        const std::function<void(qint64, qint64)> &progress)
{
    OfficeLimits stored = edited;
    QList<QDate> days;
    for (const QDate &d : edited.holidays)
        if (d.isValid() && !days.contains(d))
            days << d;
    std::sort(days.begin(), days.end());
    stored.holidays = days;
    for (TimeLimit &l : stored.limits) {
        l.step = l.step.trimmed();
        checkLimit(l);
    }
    db.write([&](QSqlQuery &) {
        const Lock lock = lockSettings(db);
        if (lock.version != edited.version)
            throw DataError(DataErrors::WriteConflict,
                            QStringLiteral("Another user changed the time limits since you "
                                           "opened them; nothing was saved. Close Time Limits "
                                           "and open it again to see theirs."));
        QSet<qint64> kept;
        for (const TimeLimit &l : std::as_const(stored.limits))
            if (l.id > 0)
                kept << l.id;
        QSqlQuery old = run(db, QStringLiteral("SELECT \"Limit\", \"Step\" FROM %1").arg(Limits));
        QList<QPair<qint64, QString>> removed;
        while (old.next())
            if (!kept.contains(old.value(0).toLongLong()))
                removed.append({old.value(0).toLongLong(), old.value(1).toString()});
        old.finish();
        for (const auto &[id, name] : std::as_const(removed)) {
            QSqlQuery used = run(
                db, QStringLiteral("SELECT count(*) FROM %1 WHERE \"Limit\" = ?").arg(Steps), {id});
            const qint64 n = used.next() ? used.value(0).toLongLong() : 0;
            if (n > 0)
                throw DataError(DataErrors::General,
                                QStringLiteral("The step \"%1\" is recorded for %2 complaints, so "
                                               "it stays; nothing was saved. Rename it, or change "
                                               "its days, instead.")
                                    .arg(name)
                                    .arg(n));
        }
        qint64 next = lock.nextLimit;
        for (TimeLimit &l : stored.limits)
            if (l.id <= 0)
                l.id = next++;
        run(db, QStringLiteral("DELETE FROM %1").arg(Limits));
        for (qsizetype i = 0; i < stored.limits.size(); ++i) {
            const TimeLimit &l = stored.limits.at(i);
            run(db,
                QStringLiteral("INSERT INTO %1 (\"Limit\", \"Position\", \"Step\", \"Acts\", "
                               "\"Days\", \"Working Days\", \"Counted From\", \"Next Working "
                               "Day\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(Limits),
                {l.id, qint64(i), l.step, int(l.acts), l.days, int(l.workingDays), int(l.from),
                 int(l.nextWorkingDay)});
        }
        run(db, QStringLiteral("DELETE FROM %1").arg(Holidays));
        for (const QDate &d : std::as_const(stored.holidays))
            run(db, QStringLiteral("INSERT INTO %1 (\"Day\") VALUES (?)").arg(Holidays),
                {dateValue(d)});
        stored.version = lock.version + 1;
        run(db,
            QStringLiteral("UPDATE %1 SET \"Version\" = ?, \"Next Limit\" = ? WHERE \"Key\" = 1")
                .arg(Settings),
            {stored.version, next});
        DeadlineRecompute::all(db, stored.limits, WorkCalendar(stored.holidays), progress);
    });
    return stored;
}

ComplaintSteps readComplaint(const CaseDatabase &db, qint64 number)
{
    ComplaintSteps c;
    c.grievanceNumber = number;
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT \"Status\", \"Violation\", \"Learned\", \"Next Due\", "
                                     "\"Next Limit\", \"Version\" FROM %1 WHERE \"Grievance "
                                     "Number\" = ?")
                          .arg(Status),
                      {number});
    if (!q.next())
        return c;
    c.status = GrievanceStatus(std::clamp(q.value(0).toInt(), 0, GrievanceStatusCount - 1));
    c.violation = dateOf(q.value(1));
    c.learned = dateOf(q.value(2));
    c.nextDue = dateOf(q.value(3));
    c.nextLimit = q.value(4).toLongLong();
    c.version = q.value(5).toLongLong();
    q.finish();
    QSqlQuery s = run(db,
                      QStringLiteral("SELECT \"Limit\", \"Done\", \"Outcome\", \"Note\" FROM %1 "
                                     "WHERE \"Grievance Number\" = ? ORDER BY \"Limit\"")
                          .arg(Steps),
                      {number});
    while (s.next())
        c.steps.append({s.value(0).toLongLong(), dateOf(s.value(1)), s.value(2).toString(),
                        s.value(3).toString()});
    return c;
}

ComplaintFacts readFacts(const CaseDatabase &db, qint64 number)
{
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT \"File Number\", \"Date of Violation\", \"Contact "
                                     "Date\", \"Supervisor's Oral Answer Date\" FROM "
                                     "\"Complaints\" WHERE \"Grievance Number\" = ?"),
                      {number});
    if (!q.next())
        throw DataError(DataErrors::RowDeleted,
                        QStringLiteral("The complaint with Grievance Number %1 was deleted by "
                                       "another user.")
                            .arg(number));
    ComplaintFacts f;
    f.grievanceNumber = number;
    f.fileNumber = q.value(0).toString();
    f.dateOfViolation = q.value(1).toString();
    f.contactDate = q.value(2).toString();
    f.oralAnswerDate = q.value(3).toString();
    q.finish();
    f.employee = ComplaintLinks::employeesWith(db, f.fileNumber, -1, 1).value(0);
    return f;
}

ComplaintSteps saveComplaint(CaseDatabase &db, const ComplaintSteps &edited)
{
    for (const StepRecord &s : edited.steps)
        checkStep(s);
    ComplaintSteps stored = edited;
    const qint64 number = edited.grievanceNumber;
    const QString gone = QStringLiteral("The complaint with Grievance Number %1 was deleted by "
                                        "another user; its steps were not saved.")
                             .arg(number);
    const QString changed =
        QStringLiteral("Another user saved the steps of the complaint with Grievance Number %1 "
                       "since you opened them; nothing was saved. Close the window and open it "
                       "again to see theirs.")
            .arg(number);
    db.write([&](QSqlQuery &) {
        lockSettings(db);
        const Rules rules = readRules(db);
        const NextDeadline next =
            DeadlinePlan::next(rules.limits, edited.progress(), rules.calendar);
        stored.nextDue = next.due;
        stored.nextLimit = next.isSet() ? rules.limits.at(next.index).id : 0;
        const QVariant due = dateValue(next.due);
        const QVariant limit = next.isSet() ? QVariant(stored.nextLimit) : nullInteger();
        if (count(db,
                  QStringLiteral("SELECT count(*) FROM \"Complaints\" WHERE \"Grievance "
                                 "Number\" = ?"),
                  {number}) == 0)
            throw DataError(DataErrors::RowDeleted, gone);
        const QVariantList values = {int(edited.status), dateValue(edited.violation),
                                     dateValue(edited.learned), due, limit};
        if (edited.version == 0) {
            if (count(db,
                      QStringLiteral("SELECT count(*) FROM %1 WHERE \"Grievance Number\" = ?")
                          .arg(Status),
                      {number}) > 0)
                throw DataError(DataErrors::WriteConflict, changed);
            run(db,
                QStringLiteral("INSERT INTO %1 (\"Status\", \"Violation\", \"Learned\", \"Next "
                               "Due\", \"Next Limit\", \"Grievance Number\", \"Version\") VALUES "
                               "(?, ?, ?, ?, ?, ?, 1)")
                    .arg(Status),
                values + QVariantList{number});
            stored.version = 1;
        } else {
            QSqlQuery u = run(db,
                              QStringLiteral("UPDATE %1 SET \"Status\" = ?, \"Violation\" = ?, "
                                             "\"Learned\" = ?, \"Next Due\" = ?, \"Next Limit\" = "
                                             "?, \"Version\" = \"Version\" + 1 WHERE \"Grievance "
                                             "Number\" = ? AND \"Version\" = ?")
                                  .arg(Status),
                              values + QVariantList{number, edited.version});
            if (u.numRowsAffected() != 1)
                throw DataError(DataErrors::WriteConflict, changed);
            stored.version = edited.version + 1;
        }
        run(db, QStringLiteral("DELETE FROM %1 WHERE \"Grievance Number\" = ?").arg(Steps),
            {number});
        stored.steps.clear();
        for (const StepRecord &s : edited.steps) {
            if (!s.done.isValid() && s.outcome.trimmed().isEmpty() && s.note.trimmed().isEmpty())
                continue;
            run(db,
                QStringLiteral("INSERT INTO %1 (\"Grievance Number\", \"Limit\", \"Done\", "
                               "\"Outcome\", \"Note\") VALUES (?, ?, ?, ?, ?)")
                    .arg(Steps),
                {number, s.limit, dateValue(s.done), textValue(s.outcome), textValue(s.note)});
            stored.steps << s;
        }
    });
    return stored;
}

} // namespace DeadlineStore
