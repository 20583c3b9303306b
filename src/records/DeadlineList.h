#pragma once

#include "jetsql/JetSql.h"
#include "records/DeadlinePlan.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariantList>
#include <memory>

class CaseDatabase;
class CaseSearch;

// An open complaint's next deadline, as the deadlines list shows it.
struct DeadlineRow {
    qint64 grievanceNumber = 0; // also the complaint's key
    QDate due;
    QString step; // the time limit's name
    StepActor acts = StepActor::UnionFiles;
    bool workingDays = true;
    QString fileNumber;      // the complaint's
    qint64 employeeKey = -1; // an employee with that file number; -1 when none
    QString employee;        // that employee's name
    qint64 version = 0;      // grows with every save of the complaint's steps
};

// Every open complaint with a next deadline, earliest first (so overdue
// ones come first, then those of this week, then the later ones), read a
// page at a time from the stored deadlines and their index: the list never
// computes a deadline, and a page costs the same at any size.
//
// The filter keeps the complaints whose employee Find finds by the text
// (name, file number or department, letter case aside). On a file with a
// complete find index the employees come from the index, and a text that
// finds few of them is answered from them rather than by walking the
// deadlines; elsewhere (a server, a file whose index is being built) each
// deadline's employee is compared as a grid filter compares. On a file the
// first page read is kept: while the file is unchanged, the next text that
// narrows it (a key typed at the end) tests those rows and goes on after the
// last of them rather than starting again. Each throws DataError.
class DeadlineList
{
  public:
    static constexpr int PageRows = 100;
    // Up to this many employees found, the list is built from them.
    static constexpr int FewEmployees = 4000;

    explicit DeadlineList(std::shared_ptr<CaseDatabase> db);
    ~DeadlineList();

    void setFilter(const QString &text);
    // Up to how many employees found the list is built from them (tests
    // make it small to walk the deadlines with a few rows).
    void setFewEmployees(int few) { m_few = few; }
    const QString &filter() const { return m_filter; }

    // Up to `rows` rows after `after` (from the first when null), in order.
    QList<DeadlineRow> page(const DeadlineRow *after, int rows = PageRows) const;
    // Every row, a page at a time, for an export or a print-out.
    QList<DeadlineRow> all() const;

    // How many deadlines lie before `today`, and from today to `until`,
    // each counted up to CountLimit + 1 (shown as "more than"): past that a
    // number tells the steward nothing more, and the count costs the same at
    // any size.
    static constexpr qint64 CountLimit = 9999;
    struct Counts {
        qint64 overdue = 0;
        qint64 soon = 0;
    };
    static Counts counts(const CaseDatabase &db, QDate today, QDate until);

  private:
    enum class Plan { Everything, WalkKnown, FromKnown, Compare };
    // A page from the first row, after a row, or of the rows kept (their
    // keys bound first).
    enum class Read { First, After, Kept };
    // What has changed the file: this connection's changes and the other
    // connections' commits.
    using Version = QPair<qint64, qint64>;
    // Whether every row `text` keeps is kept by `before` too.
    static bool narrows(const QString &before, const QString &text);

    void walkBeginnings(const QString &text);
    QString statement(Read read, int rows) const;
    QList<DeadlineRow> read(Read how, const QVariantList &keys, int rows) const;
    Version dataVersion() const;

    std::shared_ptr<CaseDatabase> m_db;
    std::unique_ptr<CaseSearch> m_search;
    QString m_filter;
    Plan m_plan = Plan::Everything;
    int m_few = FewEmployees;
    SqlCondition m_condition; // the filter's part of the statement
    bool m_copied = false;    // the status holds its complaint's file number
    QString m_fileNumber;     // the deadline's file number in the statement
    // The last first page read on a file, and what it was read under.
    struct Kept {
        QString text;
        int rows = 0; // asked for
        Version version{-1, -1};
        bool complete = false; // fewer rows than asked for: every row the text keeps
        QList<qint64> keys;    // in order
        QDate lastDue;
    };
    mutable Kept m_kept;
};
