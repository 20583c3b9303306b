#pragma once

#include "jetsql/JetSql.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <memory>
#include <optional>

class CaseDatabase;

// An employee found by Find.
struct EmployeeHit {
    qint64 key = -1; // the row's key in Employee
    QString name, fileNumber, department;
    int complaints = 0; // complaints filed under the file number
};

// A complaint found by Find, with the employee it belongs to.
struct ComplaintHit {
    qint64 key = -1;
    QString fileNumber;
    qint64 employeeKey = -1; // an employee with that file number; -1 when none
    QString employee;        // that employee's name
    QString remedy, contract, facts;
};

// A complaint whose file number matches no employee, as read in full: the
// values, in the table's field order, are what a change of its file number
// must still find in the row.
struct StrandedComplaint {
    qint64 key = -1;
    QVariant number; // its "Grievance Number"
    QString fileNumber;
    QString facts; // the case facts, whole
    QVariantList row;
};

// The searches of the Find window and of the file-number checks, on the
// case database's own connection. Text typed is always bound, never part
// of the SQL. Every search folds the case of every letter (É finds é), as
// the find index does; accents stay as typed.
class CaseSearch
{
  public:
    // Searches shorter than this cannot use the trigram index: they match
    // the beginning of a name, file number or department instead.
    static constexpr int TrigramLength = 3;
    static constexpr int Limit = 100;

    struct Result {
        QList<EmployeeHit> employees;
        bool moreEmployees = false; // more matched than are listed
        QList<ComplaintHit> complaints;
        bool moreComplaints = false;
        bool complaintsSearched = false; // false: the text was too short
    };

    explicit CaseSearch(std::shared_ptr<CaseDatabase> db);

    // Employees whose name, file number or department contains text, and
    // complaints whose remedy, contract provisions or case facts contain
    // it. At most Limit of each, the employees in name order. Where the
    // find index does not reach yet (a file from before Find while its
    // index is built, or one that may not be written), the rows are
    // scanned. Throws DataError.
    Result find(const QString &text) const;

    // Complaints whose file number (empty ones included) matches no
    // employee, at most limit of them in their stored order.
    QList<StrandedComplaint> stranded(int limit, bool *more = nullptr) const;

    // Complaints filed under fileNumber.
    int complaintsUnder(const QString &fileNumber) const;
    // Names of the employees other than exceptKey with this file number.
    QStringList employeesWith(const QString &fileNumber, qint64 exceptKey) const;

    // A subquery of the keys of the employees that find() lists for text
    // (the beginnings of name, file number and department for a short one,
    // the index from three characters on), without a limit, and its
    // values; nothing while the file's index is incomplete or absent.
    std::optional<SqlCondition> employeeKeys(const QString &text) const;
    // For a short text, the same employees as a condition on one row of
    // Employee under `alias`: cheap to test row by row where the subquery
    // would be long. Only the beginnings of `fields` (of "Name", "File
    // Number" and "Department"; all three when empty), so that a row of
    // another table holding a file number can be tested on its own.
    // Nothing for a longer text or without the index.
    std::optional<SqlCondition> employeeBeginnings(const QString &text, const QString &alias,
                                                   const QStringList &fields = {}) const;

    // Whether the last search used the index alone.
    bool usesIndex() const { return m_ready; }
    // On a server without the search indexes: every search scans the rows.
    bool scansServer() const { return m_server && !m_ready; }

  private:
    struct Marks;
    Marks reach() const;
    QList<EmployeeHit> employees(const QString &text, const Marks &marks, bool *more) const;
    QList<EmployeeHit> employeesByPrefix(const QString &text, bool *more) const;
    QList<ComplaintHit> complaints(const QString &text, const Marks &marks, bool *more) const;
    Result findOnServer(const QString &text) const;

    std::shared_ptr<CaseDatabase> m_db;
    bool m_server = false;        // a PostgreSQL server: no find index of the file's
    mutable bool m_ready = false; // the index is complete: it stays so
};
