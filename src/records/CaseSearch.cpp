#include "records/CaseSearch.h"

#include "records/CaseDatabase.h"
#include "records/FindIndex.h"

#include <QCollator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace
{

// The number of complaints under an employee's file number, through the
// complaints' file number index.
const char *const ComplaintCount =
    "(SELECT count(*) FROM Complaints c WHERE c.\"File Number\" = e.\"File Number\")";
const char *const EmployeeColumns = "e.rowid, e.\"Name\", e.\"File Number\", e.\"Department\", ";
const char *const ComplaintColumns =
    "c.rowid, c.\"File Number\", (SELECT x.rowid FROM Employee x WHERE x.\"File Number\" = "
    "c.\"File Number\" LIMIT 1), (SELECT x.\"Name\" FROM Employee x WHERE x.\"File Number\" = "
    "c.\"File Number\" LIMIT 1), c.\"Remedy Sought\", c.\"Contract Provinsions\", "
    "coalesce(c.\"Case Facts1\", '') || coalesce(c.\"Case Facts2\", '') || "
    "coalesce(c.\"Case Facts3\", '')";

// The index is read first and the table reached by key (CROSS JOIN keeps
// that order); without LIMIT's early end a common trigram would read every
// row it matches.
const QString EmployeesByIndex =
    QStringLiteral("SELECT %1%2 FROM \"Employee Find\" f CROSS JOIN Employee e ON e.rowid = "
                   "f.rowid WHERE \"Employee Find\" MATCH :text LIMIT :limit")
        .arg(QLatin1String(EmployeeColumns), QLatin1String(ComplaintCount));
const QString ComplaintsByIndex =
    QStringLiteral("SELECT %1 FROM \"Complaint Find\" f CROSS JOIN Complaints c ON c.rowid = "
                   "f.rowid WHERE \"Complaint Find\" MATCH :text LIMIT :limit")
        .arg(QLatin1String(ComplaintColumns));

// Too short for trigrams: the beginning of each field, through its own
// b-tree index, as a range (the text up to the text followed by the highest character).
const QString EmployeesByPrefix =
    QStringLiteral("SELECT %1%2 FROM Employee e WHERE e.rowid IN ("
                   "SELECT rowid FROM (SELECT rowid FROM Employee WHERE \"Name\" >= :text AND "
                   "\"Name\" < :upper LIMIT :limit) UNION "
                   "SELECT rowid FROM (SELECT rowid FROM Employee WHERE \"File Number\" >= :text "
                   "AND \"File Number\" < :upper LIMIT :limit) UNION "
                   "SELECT rowid FROM (SELECT rowid FROM Employee WHERE \"Department\" >= :text "
                   "AND \"Department\" < :upper LIMIT :limit)) LIMIT :limit")
        .arg(QLatin1String(EmployeeColumns), QLatin1String(ComplaintCount));

// Without the index (a file that could not be upgraded): a scan, which is
// slow on a large file and folds the case of ASCII letters only.
const QString EmployeesByScan =
    QStringLiteral("SELECT %1%2 FROM Employee e WHERE e.\"Name\" LIKE :text ESCAPE '\\' OR "
                   "e.\"File Number\" LIKE :text ESCAPE '\\' OR e.\"Department\" LIKE :text ESCAPE "
                   "'\\' LIMIT :limit")
        .arg(QLatin1String(EmployeeColumns), QLatin1String(ComplaintCount));
const QString ComplaintsByScan =
    QStringLiteral("SELECT %1 FROM Complaints c WHERE c.\"Remedy Sought\" LIKE :text ESCAPE '\\' "
                   "OR c.\"Contract Provinsions\" LIKE :text ESCAPE '\\' OR "
                   "(coalesce(c.\"Case Facts1\", '') || coalesce(c.\"Case Facts2\", '') || "
                   "coalesce(c.\"Case Facts3\", '')) LIKE :text ESCAPE '\\' LIMIT :limit")
        .arg(QLatin1String(ComplaintColumns));

const QString Stranded = QStringLiteral(
    "SELECT c.rowid, c.* FROM Complaints c WHERE NOT EXISTS (SELECT 1 FROM Employee e WHERE "
    "e.\"File Number\" = c.\"File Number\") ORDER BY c.rowid LIMIT ?");

// A phrase of the FTS5 query language matching the text as it stands.
QString phrase(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString likeAnywhere(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + t + QLatin1Char('%');
}

int characters(const QString &text)
{
    return int(text.toUcs4().size());
}

QString text(const QSqlQuery &q, int column)
{
    return q.value(column).toString();
}

// Reads at most limit rows of a statement asked for limit + 1.
template <typename Read> bool readUpTo(QSqlQuery &q, int limit, Read read)
{
    int n = 0;
    while (q.next()) {
        if (n++ == limit)
            return true;
        read(q);
    }
    return false;
}

} // namespace

CaseSearch::CaseSearch(std::shared_ptr<CaseDatabase> db)
    : m_db(std::move(db)), m_indexed(FindIndex::isPresent(m_db->connection()))
{
}

CaseSearch::Result CaseSearch::find(const QString &typed) const
{
    Result r;
    if (typed.isEmpty())
        return r;
    r.employees = employees(typed, &r.moreEmployees);
    r.complaintsSearched = characters(typed) >= TrigramLength;
    if (r.complaintsSearched)
        r.complaints = complaints(typed, &r.moreComplaints);
    return r;
}

QList<EmployeeHit> CaseSearch::employees(const QString &typed, bool *more) const
{
    const bool shortText = characters(typed) < TrigramLength;
    QSqlQuery &q = m_db->cachedQuery(shortText   ? EmployeesByPrefix
                                     : m_indexed ? EmployeesByIndex
                                                 : EmployeesByScan);
    if (shortText) {
        q.bindValue(QStringLiteral(":text"), typed);
        q.bindValue(QStringLiteral(":upper"), typed + QString::fromUcs4(U"\U0010FFFF"));
    } else {
        q.bindValue(QStringLiteral(":text"), m_indexed ? phrase(typed) : likeAnywhere(typed));
    }
    q.bindValue(QStringLiteral(":limit"), Limit + 1);
    m_db->exec(q);
    QList<EmployeeHit> hits;
    *more = readUpTo(q, Limit, [&hits](const QSqlQuery &row) {
        hits.append({row.value(0).toLongLong(), text(row, 1), text(row, 2), text(row, 3),
                     row.value(4).toInt()});
    });
    q.finish();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(hits.begin(), hits.end(), [&collator](const auto &a, const auto &b) {
        return collator.compare(a.name, b.name) < 0;
    });
    return hits;
}

QList<ComplaintHit> CaseSearch::complaints(const QString &typed, bool *more) const
{
    QSqlQuery &q = m_db->cachedQuery(m_indexed ? ComplaintsByIndex : ComplaintsByScan);
    q.bindValue(QStringLiteral(":text"), m_indexed ? phrase(typed) : likeAnywhere(typed));
    q.bindValue(QStringLiteral(":limit"), Limit + 1);
    m_db->exec(q);
    QList<ComplaintHit> hits;
    *more = readUpTo(q, Limit, [&hits](const QSqlQuery &row) {
        hits.append({row.value(0).toLongLong(), text(row, 1),
                     row.value(2).isNull() ? -1 : row.value(2).toLongLong(), text(row, 3),
                     text(row, 4), text(row, 5), text(row, 6)});
    });
    q.finish();
    return hits;
}

QList<StrandedComplaint> CaseSearch::stranded(int limit, bool *more) const
{
    QSqlQuery q = m_db->prepared(Stranded);
    q.setForwardOnly(true);
    q.addBindValue(limit + 1);
    m_db->exec(q);
    QList<StrandedComplaint> found;
    int fileNumber = -1, number = -1;
    QList<int> facts;
    const bool over = readUpTo(q, limit, [&](const QSqlQuery &row) {
        const QSqlRecord rec = row.record();
        if (fileNumber < 0) {
            fileNumber = rec.indexOf(QStringLiteral("File Number"));
            number = rec.indexOf(QStringLiteral("Grievance Number"));
            for (const char *f : {"Case Facts1", "Case Facts2", "Case Facts3"})
                facts << rec.indexOf(QLatin1String(f));
        }
        StrandedComplaint c;
        c.key = row.value(0).toLongLong();
        c.number = row.value(number);
        c.fileNumber = text(row, fileNumber);
        for (int i : std::as_const(facts))
            c.facts += text(row, i);
        for (int i = 1; i < rec.count(); ++i)
            c.row << row.value(i);
        found.append(c);
    });
    if (more)
        *more = over;
    return found;
}

int CaseSearch::complaintsUnder(const QString &fileNumber) const
{
    QSqlQuery &q = m_db->cachedQuery(
        QStringLiteral("SELECT count(*) FROM Complaints WHERE \"File Number\" = ?"));
    q.bindValue(0, fileNumber);
    m_db->exec(q);
    const int n = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return n;
}

QStringList CaseSearch::employeesWith(const QString &fileNumber, qint64 exceptKey) const
{
    QSqlQuery &q = m_db->cachedQuery(QStringLiteral(
        "SELECT \"Name\" FROM Employee WHERE \"File Number\" = ? AND rowid <> ? LIMIT 5"));
    q.bindValue(0, fileNumber);
    q.bindValue(1, exceptKey);
    m_db->exec(q);
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    q.finish();
    return names;
}
