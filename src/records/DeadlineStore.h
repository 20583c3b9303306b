#pragma once

#include "records/DeadlinePlan.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

class CaseDatabase;

// The office's time limits and holidays as the Time Limits window edits
// them.
struct OfficeLimits {
    QList<TimeLimit> limits; // in order; a new step has id 0
    QList<QDate> holidays;   // sorted, once each
    qint64 version = 0;      // as read: a save refuses to overwrite a later one
};

// One step a complaint has taken (or recorded something about).
struct StepRecord {
    qint64 limit = 0; // the time limit's id
    QDate done;
    QString outcome;
    QString note;

    bool operator==(const StepRecord &) const = default;
};

// A complaint's steps and status as the Steps and Deadlines window edits
// them.
struct ComplaintSteps {
    qint64 grievanceNumber = 0;
    GrievanceStatus status = GrievanceStatus::Open;
    QDate violation;
    QDate learned;
    QList<StepRecord> steps;
    qint64 version = 0; // 0: never saved
    QDate nextDue;      // as stored
    qint64 nextLimit = 0;

    ComplaintProgress progress() const;
};

// What the steps window shows of the complaint itself, and the texts of
// its date boxes it proposes dates from.
struct ComplaintFacts {
    qint64 grievanceNumber = 0;
    QString fileNumber;
    QString employee; // empty when no employee has the file number
    QString dateOfViolation;
    QString contactDate;
    QString oralAnswerDate;
};

// Reads and writes the deadline tables through the case database's own
// connection, on either engine. Every save is one transaction that first
// locks the settings row, so a save of the time limits and a save of a
// complaint's steps never cross: a complaint's next deadline is always the
// one its steps give under the time limits stored with it. Each function
// throws DataError.
namespace DeadlineStore
{

// Whether the database has the deadline tables: a server from before them
// has not, until a user who may make tables opens it.
bool available(const CaseDatabase &db);

OfficeLimits readLimits(const CaseDatabase &db);

// Stores the time limits and holidays and recomputes the next deadline of
// every open complaint in the same transaction (progress: complaints done,
// of total). Refused (WriteConflict) when another user saved them since
// `edited` was read, and (General) when a step to be removed is recorded
// for a complaint. Returns what is stored now, with the new version and
// the new steps' ids.
OfficeLimits saveLimits(CaseDatabase &db, const OfficeLimits &edited,
                        const std::function<void(qint64 done, qint64 total)> &progress = {});

// The complaint's steps; a complaint never saved here has version 0.
ComplaintSteps readComplaint(const CaseDatabase &db, qint64 grievanceNumber);

// Stores the complaint's status, dates and steps with the next deadline
// they give under the time limits stored now, and returns what is stored.
// Refused when another user saved this complaint's steps since they were
// read (WriteConflict) or the complaint was deleted (RowDeleted).
ComplaintSteps saveComplaint(CaseDatabase &db, const ComplaintSteps &edited);

// The complaint as stored; throws RowDeleted when there is none.
ComplaintFacts readFacts(const CaseDatabase &db, qint64 grievanceNumber);

// The time limits (in order) and the calendar stored now.
struct Rules {
    QList<TimeLimit> limits;
    WorkCalendar calendar;
    QList<QDate> holidays;
};
Rules readRules(const CaseDatabase &db);

} // namespace DeadlineStore
