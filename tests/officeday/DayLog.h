#pragma once

// The office day's diary: every save a steward attempts, and what the
// program answered, one line each, written straight to the pipe before the
// next step (a kill loses nothing that was written); and the same lines read
// back by the test that directs the day.
//
// A row's version is the text of its fields joined: every save writes a
// token of its own ("<steward>.<n>") into at least one of them, so no two
// saves leave the same version, and the version a save read names the save
// that wrote it.

#include "records/CaseSchema.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <chrono>

namespace OfficeDay
{

inline const QString Employee = QString::fromLatin1(CaseSchema::EmployeeTable);
inline const QString Complaints = QString::fromLatin1(CaseSchema::ComplaintsTable);
inline const QString FileNumber = QStringLiteral("File Number");

// The fields a version is made of: every field the steward types, but a
// complaint's file number, which the renumbering of its employee changes
// without a save of the complaint.
inline QStringList versionFields(const QString &table)
{
    QStringList out;
    const bool employee = table == Employee;
    for (const CaseSchema::Column &c :
         employee ? CaseSchema::employeeColumns() : CaseSchema::complaintsColumns()) {
        const QString name = QString::fromUtf8(c.name);
        if (c.length > 0 && (employee || name != FileNumber))
            out << name;
    }
    return out;
}

// Microseconds on the machine's monotonic clock: the same clock in every
// process, so the steps of different stewards can be put in order.
inline qint64 monotonic()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

enum class Kind { Edit, Insert, Delete, Import };

struct Save {
    QString id; // the token it writes
    int actor = 0;
    Kind kind = Kind::Edit;
    QString table;
    qint64 key = -1; // -1: not known (a new row not acknowledged, an imported row)
    QString read;    // the version the steward had on screen; empty for a new row
    QString wrote;   // the version it writes; empty for a delete
    QString numberRead, numberWritten; // the file number before and after
    // When the step that read it began: the row was read after this (its
    // showing on screen may come much later on a busy machine).
    qint64 readAt = 0;
    qint64 start = 0, end = 0;
    qint64 tried = 0; // when the last try began (tried again after a lost connection)
    // Unknown: never answered (killed) or lost with the connection, so it
    // may or may not be stored.
    enum class Outcome { Unknown, Acked, Refused } outcome = Outcome::Unknown;
    int error = 0;
    QString errorText;
    QString answer;   // to a question asked during the save: "Y" or "N"
    QStringList told; // what the status bar said during it

    bool renumbers() const
    {
        return table == Employee && kind == Kind::Edit && numberRead != numberWritten;
    }
};

// An error a steward met: a try of a save that failed, or a move, a
// refresh, a reconnect.
struct Trouble {
    int actor = 0;
    qint64 start = 0, at = 0;
    int error = 0;
    QString text;
    bool renumbering = false; // a save that changed a file number
};

inline QString field(const QString &s)
{
    return s.isEmpty() ? QStringLiteral("-") : s;
}
inline QString unfield(const QString &s)
{
    return s == QLatin1String("-") ? QString() : s;
}

inline const char *kindName(Kind k)
{
    static const char *names[] = {"edit", "insert", "delete", "import"};
    return names[int(k)];
}

// The lines, as a steward writes them:
//   try <id> <kind> <table> <key> <read at> <t0> <number read> <read> <number written> <wrote>
//   ok <id> <t1> <key>          no <id> <t1> <error> <text>
//   ask <id> <Y|N> <question>   told <id> <status text>
//   trouble <t0> <t1> <error> <text>
inline QString tryLine(const Save &s)
{
    return QStringLiteral("try %1 %2 %3 %4 %5 %6 ")
               .arg(s.id, QLatin1String(kindName(s.kind)),
                    s.table == Employee ? QStringLiteral("E") : QStringLiteral("C"))
               .arg(s.key)
               .arg(s.readAt)
               .arg(s.start) +
           QStringList{field(s.numberRead), field(s.read), field(s.numberWritten), field(s.wrote)}
               .join(u' ');
}

// What the director makes of one steward's lines.
class Diary
{
  public:
    // Takes one line of the steward `actor`; false when it is not a diary line.
    bool take(int actor, const QString &line)
    {
        const QStringList p = line.split(QLatin1Char(' '));
        const QString &what = p.value(0);
        auto rest = [&p](int from) { return p.mid(from).join(QLatin1Char(' ')); };
        if (what == QLatin1String("try") && p.size() == 11) {
            Save &s = m_saves[p.at(1)];
            const bool again = !s.id.isEmpty();
            s.id = p.at(1);
            s.actor = actor;
            for (int k = 0; k < 4; ++k)
                if (p.at(2) == QLatin1String(kindName(Kind(k))))
                    s.kind = Kind(k);
            s.table = p.at(3) == QLatin1String("E") ? Employee : Complaints;
            s.key = p.at(4).toLongLong();
            s.readAt = p.at(5).toLongLong();
            s.numberRead = unfield(p.at(7));
            s.read = unfield(p.at(8));
            s.numberWritten = unfield(p.at(9));
            s.wrote = unfield(p.at(10));
            // Tried again after the connection was lost: it counts from the
            // first try, which may have been stored.
            s.tried = p.at(6).toLongLong();
            if (!again) {
                s.start = s.tried;
                m_order << p.at(1);
            }
            return true;
        }
        if ((what == QLatin1String("ok") || what == QLatin1String("no")) && p.size() >= 4 &&
            m_saves.contains(p.at(1))) {
            Save &s = m_saves[p.at(1)];
            s.end = p.at(2).toLongLong();
            if (what == QLatin1String("ok")) {
                s.outcome = Save::Outcome::Acked;
                s.error = 0;
                if (p.at(3).toLongLong() >= 0)
                    s.key = p.at(3).toLongLong();
                return true;
            }
            s.error = p.at(3).toInt();
            s.errorText = rest(4);
            m_troubles.append({actor, s.tried, s.end, s.error,
                               QStringLiteral("save %1: %2").arg(s.id, s.errorText),
                               s.renumbers()});
            // A lost connection leaves the save unknown; an earlier lost try
            // keeps it so.
            const bool lost = s.error == 3027 || m_lost.contains(s.id);
            if (lost)
                m_lost.insert(s.id);
            // A try whose answer was lost, found stored when tried again,
            // under another steward's later change (a conflict, 3020): the
            // program says it is stored.
            const bool storedAfterAll =
                s.error == 3020 && s.errorText.startsWith(QLatin1String("Your earlier save of"));
            if (s.outcome != Save::Outcome::Acked)
                s.outcome = storedAfterAll ? Save::Outcome::Acked
                            : lost         ? Save::Outcome::Unknown
                                           : Save::Outcome::Refused;
            return true;
        }
        if (what == QLatin1String("ask") && p.size() >= 3 && m_saves.contains(p.at(1))) {
            m_saves[p.at(1)].answer = p.at(2);
            return true;
        }
        if (what == QLatin1String("told") && p.size() >= 2 && m_saves.contains(p.at(1))) {
            m_saves[p.at(1)].told << rest(2);
            return true;
        }
        if (what == QLatin1String("trouble") && p.size() >= 4) {
            m_troubles.append({actor, p.at(1).toLongLong(), p.at(2).toLongLong(), p.at(3).toInt(),
                               rest(4), false});
            return true;
        }
        return false;
    }

    QList<Save> saves() const
    {
        QList<Save> out;
        for (const QString &id : m_order)
            out << m_saves.value(id);
        return out;
    }
    const QList<Trouble> &troubles() const { return m_troubles; }

  private:
    QHash<QString, Save> m_saves;
    QSet<QString> m_lost;
    QStringList m_order;
    QList<Trouble> m_troubles;
};

} // namespace OfficeDay
