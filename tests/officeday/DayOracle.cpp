#include "officeday/DayOracle.h"

#include "find/FindTexts.h"
#include "jetsql/DataError.h"

#include <QRegularExpression>
#include <limits>

namespace OfficeDay
{

namespace
{

using Outcome = Save::Outcome;

bool committed(const Save &s)
{
    return s.outcome != Outcome::Refused;
}

// A version and the save that wrote it; a version the part began with has
// no save and no parent.
struct Node {
    qint64 key = -1;
    QString parent;
    const Save *by = nullptr;
};

// A notice of the file-number checks as a pattern; `number` is the
// argument that holds the file number.
QRegularExpression notice(const char *text)
{
    QString pattern = QRegularExpression::escape(QString::fromUtf8(text));
    for (int i = 1; i <= 3; ++i)
        pattern.replace(QStringLiteral("\\%%1").arg(i), QStringLiteral("(.*?)"));
    return QRegularExpression(pattern);
}

// The file numbers a status text tells the steward complaints were left
// under; `other` is set when it says something else than the notices of a
// save that went through (a check that could not be made).
QStringList leftUnder(const QString &text, bool *other)
{
    static const QRegularExpression left[] = {notice(FindTexts::LeftBehind),
                                              notice(FindTexts::LeftWithOther)};
    static const QRegularExpression fine[] = {notice(FindTexts::NotSixDigits),
                                              notice(FindTexts::DuplicateNumber)};
    QStringList numbers;
    QString rest = text;
    for (const QRegularExpression &re : left) {
        for (auto m = re.globalMatch(text); m.hasNext();)
            numbers << m.next().captured(2);
        rest.remove(re);
    }
    for (const QRegularExpression &re : fine)
        rest.remove(re);
    *other = !rest.trimmed().isEmpty();
    return numbers;
}

} // namespace

void DayOracle::fault(const Phase &p, const QString &text)
{
    m_faults << p.name + QStringLiteral(": ") + text;
}

void DayOracle::check(const Phase &phase)
{
    for (const QString &table : {Employee, Complaints})
        checkTable(phase, table);
    checkStranded(phase);
    checkNumbering(phase);
    checkErrors(phase);
}

void DayOracle::checkTable(const Phase &p, const QString &table)
{
    const Rows &start = p.start.of(table), &end = p.end.of(table);
    QHash<QString, Node> nodes;
    for (auto it = start.begin(); it != start.end(); ++it)
        nodes.insert(it->version, {it.key(), {}, nullptr});
    QList<const Save *> saves, deletes;
    for (const Save &s : p.saves) {
        if (s.table != table)
            continue;
        if (s.kind == Kind::Delete) {
            deletes << &s;
            continue;
        }
        saves << &s;
        if (nodes.contains(s.wrote))
            fault(p,
                  QStringLiteral("save %1 wrote a version already stored: %2").arg(s.id, s.wrote));
        nodes.insert(s.wrote, {s.key, s.read, &s});
    }
    auto rootOf = [&nodes](QString v) {
        for (qsizetype steps = 0; steps <= nodes.size() && nodes.contains(v); ++steps) {
            const QString parent = nodes.value(v).parent;
            if (parent.isEmpty())
                return v;
            v = parent;
        }
        return QString();
    };
    const QString row = table + QStringLiteral(" %1");

    // What each save had on screen was stored, in its own row.
    for (const Save *s : saves + deletes) {
        if (s->read.isEmpty())
            continue;
        const auto n = nodes.constFind(s->read);
        if (n == nodes.cend())
            fault(p, QStringLiteral("save %1 on %2 read a version no save stored: %3")
                         .arg(s->id, row.arg(s->key), s->read));
        else if (n->key >= 0 && s->key >= 0 && n->key != s->key)
            fault(p, QStringLiteral("save %1 on %2 read a version of %3")
                         .arg(s->id, row.arg(s->key), row.arg(n->key)));
    }

    // Each row as it ends, back to the version it began with: its line.
    QHash<QString, qint64> live;     // every version on a line that ends in a row
    QHash<QString, qint64> liveRoot; // where each such line began
    for (auto it = end.begin(); it != end.end(); ++it) {
        if (!nodes.contains(it->version)) {
            fault(p, QStringLiteral("%1 holds a version no save wrote: %2")
                         .arg(row.arg(it.key()), it->version));
            continue;
        }
        for (QString v = it->version; !v.isEmpty() && !live.contains(v);) {
            const Node n = nodes.value(v);
            if (n.key >= 0 && n.key != it.key())
                fault(p, QStringLiteral("%1 holds %2, saved to %3")
                             .arg(row.arg(it.key()), v, row.arg(n.key)));
            live.insert(v, it.key());
            if (n.parent.isEmpty())
                liveRoot.insert(v, it.key());
            v = nodes.contains(n.parent) ? n.parent : QString();
        }
    }
    QHash<QString, QList<const Save *>> deletesOf; // by the version a row began with
    for (const Save *d : std::as_const(deletes))
        if (committed(*d) && !rootOf(d->read).isEmpty()) // else told above
            deletesOf[rootOf(d->read)] << d;

    // A row that was there, or whose adding was acknowledged, is there
    // still or was deleted; an acknowledged delete is done.
    for (auto it = nodes.begin(); it != nodes.end(); ++it) {
        if (!it->parent.isEmpty())
            continue;
        const QList<const Save *> gone = deletesOf.value(it.key());
        if (liveRoot.contains(it.key())) {
            for (const Save *d : gone)
                if (d->outcome == Outcome::Acked)
                    fault(p, QStringLiteral("%1 is there, but its delete %2 was acknowledged")
                                 .arg(row.arg(liveRoot.value(it.key())), d->id));
        } else if ((!it->by || it->by->outcome == Outcome::Acked) && gone.isEmpty()) {
            fault(p, QStringLiteral("%1 (%2) is gone, and no steward deleted it")
                         .arg(row.arg(it->key), it.key()));
        }
    }

    for (const Save *s : std::as_const(saves)) {
        const QString root = rootOf(s->wrote);
        if (root.isEmpty())
            continue; // read a version no save stored: told above
        if (s->outcome == Outcome::Acked && liveRoot.contains(root) && !live.contains(s->wrote)) {
            fault(p, QStringLiteral("save %1 on %2 was acknowledged and is lost: %3 holds %4")
                         .arg(s->id, row.arg(s->key), row.arg(liveRoot.value(root)),
                              end.value(liveRoot.value(root)).version));
            m_counts[p.name + QStringLiteral(" lost")] += 1;
        }
        if (s->outcome == Outcome::Acked && !liveRoot.contains(root)) {
            // A delete replaces what it deletes: it must have read this save.
            bool read = false, deleted = false;
            for (const Save *d : deletesOf.value(root)) {
                if (d->outcome != Outcome::Acked)
                    continue;
                deleted = true;
                for (QString v = d->read; !v.isEmpty() && !read; v = nodes.value(v).parent)
                    read = v == s->wrote;
                if (d->end < s->start)
                    fault(p, QStringLiteral("save %1 on %2 began after its delete %3 and was "
                                            "acknowledged")
                                 .arg(s->id, row.arg(s->key), d->id));
            }
            if (deleted && !read)
                fault(p, QStringLiteral("save %1 on %2 was acknowledged and deleted by a steward "
                                        "who had not read it")
                             .arg(s->id, row.arg(s->key)));
        }
        if (s->outcome == Outcome::Refused && live.contains(s->wrote))
            fault(p, QStringLiteral("save %1 on %2 was refused (%3) and is stored")
                         .arg(s->id, row.arg(s->key))
                         .arg(s->error));
        if (s->outcome != Outcome::Refused || s->kind != Kind::Edit)
            continue;
        // A refusal must have a reason: another steward's change.
        const bool there = end.contains(s->key);
        if (s->error == DataErrors::WriteConflict && there &&
            end.value(s->key).version == s->read) {
            // or a complaint moved by another steward's renumbering meanwhile
            bool movedByOther = false;
            for (const Save &e : p.saves)
                movedByOther |= table == Complaints && committed(e) && e.renumbers() &&
                                e.actor != s->actor && e.numberRead == s->numberRead &&
                                e.start <= s->end && (e.end >= s->readAt || e.end == 0);
            if (!movedByOther)
                fault(p, QStringLiteral("save %1 on %2 was refused as changed by another user, "
                                        "but no other steward changed it")
                             .arg(s->id, row.arg(s->key)));
        }
        if (s->error == DataErrors::RowDeleted && there &&
            rootOf(end.value(s->key).version) == rootOf(s->read) &&
            deletesOf.value(rootOf(s->read)).isEmpty())
            fault(p, QStringLiteral("save %1 on %2 was refused as deleted, but it is there")
                         .arg(s->id, row.arg(s->key)));
    }
}

void DayOracle::checkStranded(const Phase &p)
{
    QSet<QString> employed, employedBefore, told;
    for (const Row &e : p.end.employees)
        employed << e.number;
    for (const Row &e : p.start.employees)
        employedBefore << e.number;
    // What took a number away from every employee, and what moved
    // complaints onto one.
    QMultiHash<QString, const Save *> removals, movesTo;
    for (const Save &s : p.saves) {
        if (s.table != Employee || !committed(s))
            continue;
        if (s.kind == Kind::Delete)
            removals.insert(s.numberRead, &s);
        if (s.renumbers()) {
            removals.insert(s.numberRead, &s);
            movesTo.insert(s.numberWritten, &s);
            if (s.answer == QLatin1String("N"))
                told << s.numberRead;
        }
        for (const QString &text : s.told) {
            bool other = false;
            for (const QString &n : leftUnder(text, &other))
                told << n;
            if (other) // a check that could not be made, and said so
                told << s.numberRead;
        }
    }
    QHash<qint64, const Save *> added;
    for (const Save &s : p.saves)
        if (s.table == Complaints && s.kind == Kind::Insert && s.key >= 0)
            added.insert(s.key, &s);

    constexpr qint64 Never = std::numeric_limits<qint64>::max();
    for (auto it = p.end.complaints.begin(); it != p.end.complaints.end(); ++it) {
        const QString &number = it->number;
        const auto before = p.start.complaints.constFind(it.key());
        const bool wasUnder = before != p.start.complaints.cend() && before->number == number;
        if (employed.contains(number) || (wasUnder && !employedBefore.contains(number)))
            continue;
        if (told.contains(number)) {
            m_counts[p.name + QStringLiteral(" left, told")] += 1;
            continue;
        }
        // When it came under the number: a removal that began before then
        // may have missed it (a page shown before another steward's change).
        qint64 placed = wasUnder ? std::numeric_limits<qint64>::min() : Never;
        if (const Save *a = added.value(it.key()); a && a->numberWritten == number)
            placed = a->outcome == Outcome::Acked ? a->end : Never;
        else if (!wasUnder && movesTo.contains(number)) {
            placed = 0;
            for (const Save *m : movesTo.values(number))
                placed = std::max(placed, m->outcome == Outcome::Acked ? m->end : Never);
        }
        bool race = false;
        QStringList by;
        for (const Save *r : removals.values(number)) {
            race |= r->start <= placed;
            by << r->id;
        }
        if (race || placed == Never) {
            m_counts[p.name + QStringLiteral(" left, in a race")] += 1;
            continue;
        }
        fault(p, QStringLiteral("Complaints %1 is filed under %2, which no employee has, and no "
                                "steward was told (the number went with %3)")
                     .arg(it.key())
                     .arg(number, by.isEmpty() ? QStringLiteral("no save") : by.join(u',')));
    }
}

void DayOracle::checkNumbering(const Phase &p)
{
    for (auto it = p.start.complaints.begin(); it != p.start.complaints.end(); ++it)
        m_issued.insert(it.key());
    QSet<qint64> fresh;
    for (const Save &s : p.saves) {
        if (s.table != Complaints || s.kind != Kind::Insert || s.outcome != Outcome::Acked)
            continue;
        if (fresh.contains(s.key))
            fault(p, QStringLiteral("two new complaints got grievance number %1").arg(s.key));
        fresh.insert(s.key);
    }
    for (auto it = p.end.complaints.begin(); it != p.end.complaints.end(); ++it)
        if (!p.start.complaints.contains(it.key()))
            fresh.insert(it.key());
    for (qint64 key : std::as_const(fresh))
        if (m_issued.contains(key))
            fault(p, QStringLiteral("grievance number %1 was handed out again").arg(key));
    m_issued.unite(fresh);
}

void DayOracle::checkErrors(const Phase &p)
{
    // A server away only while it really was away, or a connection cut
    // only around the one cut.
    auto away = [&p](qint64 from, qint64 to) {
        return (p.serverDown >= 0 && from <= p.serverUp && to >= p.serverDown) ||
               (p.cutDone >= 0 && from <= p.cutDone && to >= p.cutArmed);
    };
    auto judge = [&](int error, qint64 from, qint64 to, bool renumbering, const QString &what) {
        m_counts[p.name + QStringLiteral(" error %1").arg(error)] += 1;
        if (error == DataErrors::Unreachable && !away(from, to))
            fault(p, what + QStringLiteral(": the server was not away"));
        else if (error != DataErrors::Unreachable && error != DataErrors::WriteConflict &&
                 error != DataErrors::RowDeleted && error != DataErrors::Locked &&
                 error != DataErrors::NoCurrentRecord && error != -1 &&
                 !(renumbering && error == DataErrors::General))
            fault(p, what + QStringLiteral(": an error no steward should see"));
    };
    for (const Trouble &t : p.troubles)
        judge(t.error, t.start, t.at, t.renumbering,
              QStringLiteral("steward %1 met %2 %3").arg(t.actor).arg(t.error).arg(t.text));
}

QString DayOracle::summary(const Phase &p) const
{
    QHash<QString, int> n;
    for (const Save &s : p.saves) {
        const char *outcome[] = {"unknown", "acknowledged", "refused"};
        n[QString::fromLatin1(outcome[int(s.outcome)])] += 1;
        n[QString::fromLatin1(kindName(s.kind))] += 1;
        if (s.renumbers())
            n[s.answer.isEmpty() ? QStringLiteral("renumbered unasked")
                                 : QStringLiteral("renumbered, answered ") + s.answer] += 1;
    }
    QStringList parts;
    for (auto it = n.begin(); it != n.end(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    for (auto it = m_counts.begin(); it != m_counts.end(); ++it)
        if (it.key().startsWith(p.name + u' '))
            parts << QStringLiteral("%1 %2").arg(it.key().mid(p.name.size() + 1)).arg(it.value());
    parts.sort();
    return p.name + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

} // namespace OfficeDay
