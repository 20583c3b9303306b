#pragma once

// What must hold after each part of the office day, judged from the diary
// and from the database as it stood before and after the part:
//  1. every save the program acknowledged is stored, unless a later save
//     that read it, or a delete, replaced it;
//  2. no save replaced a version its steward had not read (each row's
//     versions form one line), none refused was stored, and none was
//     refused as changed by another user when no one else had changed it;
//  3. no grievance number is handed out twice in the whole day;
//  4. every complaint is filed under an employee, or a steward was told
//     that it was left without one;
// and no error reached a steward but the ones a shared database may give
// (a conflict, a lock, a server away while it really was away).

#include "officeday/DayLog.h"

#include <QHash>
#include <QMap>
#include <QSet>

namespace OfficeDay
{

struct Row {
    QString version;
    QString number; // its file number
    bool operator==(const Row &o) const { return version == o.version && number == o.number; }
};
using Rows = QMap<qint64, Row>; // by key

struct Snapshot {
    Rows employees, complaints;
    const Rows &of(const QString &table) const
    {
        return table == Employee ? employees : complaints;
    }
    bool operator==(const Snapshot &o) const
    {
        return employees == o.employees && complaints == o.complaints;
    }
};

struct Phase {
    QString name;
    Snapshot start, end;
    QList<Save> saves;
    QList<Trouble> troubles;
    qint64 serverDown = -1, serverUp = -1; // a server restart during it
    // A relay armed to cut one steward's connection between a COMMIT and
    // its answer, and when it had cut it.
    qint64 cutArmed = -1, cutDone = -1;
};

class DayOracle
{
  public:
    void check(const Phase &phase);
    void fault(const QString &text) { m_faults << text; }
    const QStringList &faults() const { return m_faults; }
    // One line of what the part held, for the test's output.
    QString summary(const Phase &phase) const;

  private:
    void checkTable(const Phase &p, const QString &table);
    void checkStranded(const Phase &p);
    void checkNumbering(const Phase &p);
    void checkErrors(const Phase &p);
    void fault(const Phase &p, const QString &text);

    QSet<qint64> m_issued; // every grievance number seen so far
    QStringList m_faults;
    QHash<QString, int> m_counts; // what the summary says, per part
};

} // namespace OfficeDay
