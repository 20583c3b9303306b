#include "deadlines/DeadlineFixture.h"

#include <QSqlQuery>
#include <algorithm>

namespace
{

const QStringList Names = {QStringLiteral("Ann Kowalski"), QStringLiteral("Bob Nowak"),
                           QStringLiteral("Émile Durand"), QStringLiteral("Dana Kowalczyk"),
                           QStringLiteral("Eve Smith")};

} // namespace

void DeadlineFixture::SetUp()
{
    SKIP_WITHOUT_BACKEND(db);
    cdb = db.open();
    rules = DeadlineStore::readRules(*cdb);
}

void DeadlineFixture::fill(int complaints, unsigned randomStart)
{
    std::mt19937 rng(randomStart);
    QStringList numbers;
    for (int i = 0; i < Names.size() * 2; ++i) {
        const QString number = QStringLiteral("%1").arg(100 + i, 6, 10, QLatin1Char('0'));
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("%1 %2").arg(Names.at(i % 5)).arg(i)},
                   {QStringLiteral("File Number"), number},
                   {QStringLiteral("Department"), QStringLiteral("Shop")}});
        numbers << number;
    }
    for (int c = 0; c < complaints; ++c) {
        const int who = std::uniform_int_distribution<int>(0, int(numbers.size()))(rng);
        const QString number = who < numbers.size() ? numbers.at(who) : QStringLiteral("999999");
        const qint64 key =
            db.insert(QStringLiteral("Complaints"), {{QStringLiteral("File Number"), number}});
        if (who < numbers.size())
            employeeOf.insert(key, QStringLiteral("%1 %2").arg(Names.at(who % 5)).arg(who));
        ComplaintSteps s;
        s.grievanceNumber = key;
        s.status = rng() % 5 ? GrievanceStatus::Open : GrievanceStatus(1 + rng() % 5);
        if (rng() % 8)
            s.violation =
                QDate(2024, 1, 1).addDays(std::uniform_int_distribution<int>(0, 700)(rng));
        if (rng() % 3 == 0 && s.violation.isValid())
            s.learned = s.violation.addDays(rng() % 20);
        // The first few steps taken, one of them sometimes left out.
        const int taken = std::uniform_int_distribution<int>(0, int(rules.limits.size()))(rng);
        QDate on = s.violation.isValid() ? s.violation : QDate(2024, 6, 3);
        for (int i = 0; i < taken; ++i) {
            on = on.addDays(1 + rng() % 12);
            if (rng() % 6 == 0)
                continue;
            s.steps.append({rules.limits.at(i).id, on, QStringLiteral("Denied"), QString()});
        }
        const ComplaintSteps stored = DeadlineStore::saveComplaint(*cdb, s);
        const NextDeadline next = DeadlinePlan::next(rules.limits, s.progress(), rules.calendar);
        EXPECT_EQ(stored.nextDue, next.due) << "complaint " << key;
        saved.insert(key, stored);
    }
}

QMap<qint64, QPair<QDate, qint64>> DeadlineFixture::expectedStored() const
{
    QMap<qint64, QPair<QDate, qint64>> out;
    for (const ComplaintSteps &s : saved) {
        const NextDeadline next = DeadlinePlan::next(rules.limits, s.progress(), rules.calendar);
        out.insert(s.grievanceNumber,
                   {next.due, next.isSet() ? rules.limits.at(next.index).id : 0});
    }
    return out;
}

QMap<qint64, QPair<QDate, qint64>> DeadlineFixture::stored()
{
    QMap<qint64, QPair<QDate, qint64>> out;
    QSqlQuery q = db.query(QStringLiteral(
        "SELECT \"Grievance Number\", \"Next Due\", \"Next Limit\" FROM \"Grievance Status\""));
    while (q.next())
        out.insert(q.value(0).toLongLong(), {QDate::fromString(q.value(1).toString(), Qt::ISODate),
                                             q.value(2).isNull() ? 0 : q.value(2).toLongLong()});
    return out;
}

QList<QPair<QDate, qint64>> DeadlineFixture::expectedList(const QString &nameHolds) const
{
    QList<QPair<QDate, qint64>> out;
    const auto expected = expectedStored();
    // As Find finds: a name beginning with one or two characters, holding
    // more anywhere.
    const bool beginning = nameHolds.toUcs4().size() < 3;
    for (auto it = expected.begin(); it != expected.end(); ++it)
        if (it.value().first.isValid() &&
            (nameHolds.isEmpty() ||
             (beginning ? employeeOf.value(it.key()).startsWith(nameHolds, Qt::CaseInsensitive)
                        : employeeOf.value(it.key()).contains(nameHolds, Qt::CaseInsensitive))))
            out.append({it.value().first, it.key()});
    std::sort(out.begin(), out.end());
    return out;
}

QList<QPair<QDate, qint64>> DeadlineFixture::listed(DeadlineList &list, int pageRows) const
{
    QList<QPair<QDate, qint64>> out;
    QList<DeadlineRow> rows;
    for (;;) {
        const QList<DeadlineRow> page =
            list.page(rows.isEmpty() ? nullptr : &rows.last(), pageRows);
        for (const DeadlineRow &r : page) {
            out.append({r.due, r.grievanceNumber});
            EXPECT_EQ(r.employee, employeeOf.value(r.grievanceNumber));
            EXPECT_EQ(r.step, rules.limits
                                  .at(DeadlinePlan::next(rules.limits,
                                                         saved.value(r.grievanceNumber).progress(),
                                                         rules.calendar)
                                          .index)
                                  .step);
        }
        rows << page;
        if (page.size() < pageRows)
            return out;
    }
}
