#include "records/CaseSearch.h"

#include "records/CaseDatabase.h"
#include "records/ComplaintLinks.h"
#include "records/FindIndex.h"
#include "records/PostgresFind.h"

#include <QCollator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <limits>

namespace
{

constexpr qint64 NoRow = std::numeric_limits<qint64>::min();
constexpr qint64 EveryRow = std::numeric_limits<qint64>::max();

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

// A row the index does not reach is scanned for the text in any of the
// fields, each letter in either case, as the index finds it: LIKE when the
// text is ASCII (its own case folding is ASCII's; the quicker of the two),
// otherwise REGEXP with a pattern that folds the case of every letter.
QString scanned(QStringList fields, bool ascii)
{
    for (QString &f : fields)
        f += ascii ? QStringLiteral(" LIKE :pattern ESCAPE '\\'")
                   : QStringLiteral(" REGEXP :pattern");
    return QLatin1Char('(') + fields.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

const QStringList EmployeeFields = {QStringLiteral("\"Name\""), QStringLiteral("\"File Number\""),
                                    QStringLiteral("\"Department\"")};
const QStringList ComplaintFields = {
    QStringLiteral("\"Remedy Sought\""), QStringLiteral("\"Contract Provinsions\""),
    QStringLiteral("(coalesce(\"Case Facts1\", '') || coalesce(\"Case Facts2\", '') || "
                   "coalesce(\"Case Facts3\", ''))")};

// How far the index reaches: every row, the rows up to its mark, none.
enum class Reach { Index, Both, Scan };

// The statement of a search of one table (a its alias in `columns`).
QString searchSql(Reach reach, bool ascii, const char *table, const char *alias, const char *index,
                  const QString &columns, const QStringList &fields)
{
    const QString t = QLatin1String(table), a = QLatin1String(alias), idx = QLatin1String(index);
    switch (reach) {
    case Reach::Index:
        // The index is read first and the table reached by key (CROSS JOIN
        // keeps that order).
        return QStringLiteral("SELECT %1 FROM \"%2\" f CROSS JOIN %3 %4 ON %4.rowid = f.rowid "
                              "WHERE \"%2\" MATCH :text LIMIT :limit")
            .arg(columns, idx, t, a);
    case Reach::Both:
        // The rows the index holds and those above its mark that the scan
        // finds. Each part ends at the limit (without it a common trigram
        // would read every row it matches); UNION keeps a row that both
        // parts find once.
        return QStringLiteral("SELECT %1 FROM %2 %3 WHERE %3.rowid IN (SELECT rowid FROM (SELECT "
                              "rowid FROM \"%4\" WHERE \"%4\" MATCH :text LIMIT :limit) UNION "
                              "SELECT rowid FROM (SELECT rowid FROM %2 WHERE rowid > :done AND %5 "
                              "LIMIT :limit)) LIMIT :limit")
            .arg(columns, t, a, idx, scanned(fields, ascii));
    case Reach::Scan:
        break;
    }
    // Without the index (a file that could not be written): slow on a
    // large file.
    return QStringLiteral("SELECT %1 FROM %2 %3 WHERE %4 LIMIT :limit")
        .arg(columns, t, a, scanned(fields, ascii));
}

const QString Stranded = QStringLiteral(
    "SELECT c.rowid, c.* FROM Complaints c WHERE NOT EXISTS (SELECT 1 FROM Employee e WHERE "
    "e.\"File Number\" = c.\"File Number\") ORDER BY c.rowid LIMIT ?");

// A phrase of the FTS5 query language matching the text as it stands.
QString phrase(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The text as LIKE reads it literally (the escape character a backslash).
QString likeEscaped(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return t;
}

// The text anywhere, every letter in either case, for scanned().
QString pattern(const QString &text)
{
    if (!isAscii(text))
        return QStringLiteral("(?i)") + QRegularExpression::escape(text);
    return QLatin1Char('%') + likeEscaped(text) + QLatin1Char('%');
}

int characters(const QString &text)
{
    return int(text.toUcs4().size());
}

QString text(const QSqlQuery &q, int column)
{
    return q.value(column).toString();
}

// The spellings of a short text that a field may begin with: its letters
// beyond ASCII in each case (the fields' own collation folds ASCII).
QStringList spellings(const QString &typed)
{
    QStringList out{QString()};
    for (const char32_t c : typed.toUcs4()) {
        QList<char32_t> forms{c};
        if (c >= 0x80)
            for (const char32_t f : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c)})
                if (!forms.contains(f))
                    forms << f;
        QStringList next;
        for (const QString &head : std::as_const(out))
            for (const char32_t f : std::as_const(forms))
                next << head + QString::fromUcs4(&f, 1);
        out = next;
    }
    return out;
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

EmployeeHit employeeHit(const QSqlQuery &row)
{
    return {row.value(0).toLongLong(), text(row, 1), text(row, 2), text(row, 3),
            row.value(4).toInt()};
}

void byName(QList<EmployeeHit> &hits)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(hits.begin(), hits.end(), [&collator](const auto &a, const auto &b) {
        return collator.compare(a.name, b.name) < 0;
    });
}

} // namespace

// How far the index reaches now: rows above a mark are scanned.
struct CaseSearch::Marks {
    bool index = false; // the index tables are there
    qint64 employees = NoRow, complaints = NoRow;

    Reach reach() const
    {
        if (!index)
            return Reach::Scan;
        return employees == EveryRow && complaints == EveryRow ? Reach::Index : Reach::Both;
    }
    // The values a search statement of searchSql() takes.
    void bind(QSqlQuery &q, const QString &typed, qint64 mark) const
    {
        const Reach r = reach();
        if (r != Reach::Scan)
            q.bindValue(QStringLiteral(":text"), phrase(typed));
        if (r != Reach::Index)
            q.bindValue(QStringLiteral(":pattern"), pattern(typed));
        if (r == Reach::Both)
            q.bindValue(QStringLiteral(":done"), mark);
        q.bindValue(QStringLiteral(":limit"), Limit + 1);
    }
};

CaseSearch::CaseSearch(std::shared_ptr<CaseDatabase> db)
    : m_db(std::move(db)), m_server(m_db->filePath().isEmpty())
{
    m_ready =
        m_server ? PostgresFind::indexesPresent(*m_db) : FindIndex::isPresent(m_db->connection());
}

CaseSearch::Marks CaseSearch::reach() const
{
    Marks m;
    // The index is the file's; a server has its own (findOnServer()).
    if (m_server)
        return m;
    if (m_ready)
        return {true, EveryRow, EveryRow};
    switch (FindIndex::state(m_db->connection())) {
    case FindIndex::State::Absent:
        return m;
    case FindIndex::State::Ready:
        m_ready = true;
        return {true, EveryRow, EveryRow};
    case FindIndex::State::Building:
        break;
    }
    // A mark read before the search runs may be passed meanwhile: those
    // rows are then found by both parts, and counted once.
    QSqlQuery q(m_db->connection());
    if (!q.exec(QStringLiteral("SELECT \"Table\", \"Done\" FROM \"%1\"")
                    .arg(QLatin1String(FindIndex::BuildTable)))) {
        // The build finished between the two reads.
        if (FindIndex::state(m_db->connection()) == FindIndex::State::Ready) {
            m_ready = true;
            return {true, EveryRow, EveryRow};
        }
        throw m_db->error(q.lastError());
    }
    m.index = true;
    while (q.next())
        (q.value(0).toString() == QLatin1String("Employee") ? m.employees : m.complaints) =
            q.value(1).toLongLong();
    return m;
}

CaseSearch::Result CaseSearch::find(const QString &typed) const
{
    Result r;
    if (typed.isEmpty())
        return r;
    if (m_server)
        return findOnServer(typed);
    r.complaintsSearched = characters(typed) >= TrigramLength;
    if (!r.complaintsSearched) {
        r.employees = employeesByPrefix(typed, &r.moreEmployees);
        return r;
    }
    const Marks marks = reach();
    r.employees = employees(typed, marks, &r.moreEmployees);
    r.complaints = complaints(typed, marks, &r.moreComplaints);
    return r;
}

QList<EmployeeHit> CaseSearch::employeesByPrefix(const QString &typed, bool *more) const
{
    // The beginning of each field, through its own b-tree index, as a range
    // (the text up to the text followed by the highest character), for each
    // spelling.
    const QStringList forms = spellings(typed);
    QStringList ranges;
    for (qsizetype i = 0; i < forms.size(); ++i)
        for (const char *field : {"Name", "File Number", "Department"})
            ranges << QStringLiteral("SELECT rowid FROM (SELECT rowid FROM Employee WHERE \"%1\" "
                                     ">= ? AND \"%1\" < ? LIMIT ?)")
                          .arg(QLatin1String(field));
    QSqlQuery &q = m_db->cachedQuery(
        QStringLiteral("SELECT %1%2 FROM Employee e WHERE e.rowid IN (%3) LIMIT ?")
            .arg(QLatin1String(EmployeeColumns), QLatin1String(ComplaintCount),
                 ranges.join(QStringLiteral(" UNION "))));
    int at = 0;
    for (const QString &form : forms)
        for (int field = 0; field < 3; ++field) {
            q.bindValue(at++, form);
            q.bindValue(at++, form + QString::fromUcs4(U"\U0010FFFF"));
            q.bindValue(at++, Limit + 1);
        }
    q.bindValue(at, Limit + 1);
    m_db->exec(q);
    QList<EmployeeHit> hits;
    *more = readUpTo(q, Limit, [&hits](const QSqlQuery &row) { hits.append(employeeHit(row)); });
    q.finish();
    byName(hits);
    return hits;
}

QList<EmployeeHit> CaseSearch::employees(const QString &typed, const Marks &marks, bool *more) const
{
    QSqlQuery &q = m_db->cachedQuery(
        searchSql(marks.reach(), isAscii(typed), "Employee", "e", FindIndex::EmployeeIndex,
                  QLatin1String(EmployeeColumns) + QLatin1String(ComplaintCount), EmployeeFields));
    marks.bind(q, typed, marks.employees);
    m_db->exec(q);
    QList<EmployeeHit> hits;
    *more = readUpTo(q, Limit, [&hits](const QSqlQuery &row) { hits.append(employeeHit(row)); });
    q.finish();
    byName(hits);
    return hits;
}

QList<ComplaintHit> CaseSearch::complaints(const QString &typed, const Marks &marks,
                                           bool *more) const
{
    QSqlQuery &q = m_db->cachedQuery(searchSql(marks.reach(), isAscii(typed), "Complaints", "c",
                                               FindIndex::ComplaintIndex,
                                               QLatin1String(ComplaintColumns), ComplaintFields));
    marks.bind(q, typed, marks.complaints);
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
    QSqlQuery q = m_db->prepared(
        m_server ? QStringLiteral("SELECT c.%1, c.* FROM \"Complaints\" c WHERE NOT EXISTS (SELECT "
                                  "1 FROM \"Employee\" e WHERE lower(e.\"File Number\") = "
                                  "lower(c.\"File Number\")) ORDER BY c.%1 LIMIT ?")
                       .arg(m_db->keyExpression(QStringLiteral("Complaints")))
                 : Stranded);
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

std::optional<SqlCondition> CaseSearch::employeeKeys(const QString &typed) const
{
    if (typed.isEmpty() || m_server || reach().reach() != Reach::Index)
        return std::nullopt;
    SqlCondition keys;
    if (characters(typed) >= TrigramLength) {
        keys.sql = QStringLiteral("SELECT rowid FROM \"%1\" WHERE \"%1\" MATCH ?")
                       .arg(QLatin1String(FindIndex::EmployeeIndex));
        keys.params << phrase(typed);
        return keys;
    }
    QStringList ranges;
    for (const QString &form : spellings(typed))
        for (const char *field : {"Name", "File Number", "Department"}) {
            ranges << QStringLiteral("SELECT rowid FROM Employee WHERE \"%1\" >= ? AND \"%1\" < ?")
                          .arg(QLatin1String(field));
            keys.params << form << form + QString::fromUcs4(U"\U0010FFFF");
        }
    keys.sql = ranges.join(QStringLiteral(" UNION "));
    return keys;
}

std::optional<SqlCondition> CaseSearch::employeeBeginnings(const QString &typed,
                                                           const QString &alias,
                                                           const QStringList &fields) const
{
    if (typed.isEmpty() || m_server || characters(typed) >= TrigramLength ||
        reach().reach() != Reach::Index)
        return std::nullopt;
    const QStringList tested =
        fields.isEmpty() ? QStringList{QStringLiteral("Name"), QStringLiteral("File Number"),
                                       QStringLiteral("Department")}
                         : fields;
    SqlCondition c;
    QStringList ranges;
    for (const QString &form : spellings(typed))
        for (const QString &field : tested) {
            ranges << QStringLiteral("(%1.\"%2\" >= ? AND %1.\"%2\" < ?)").arg(alias, field);
            c.params << form << form + QString::fromUcs4(U"\U0010FFFF");
        }
    c.sql = QLatin1Char('(') + ranges.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    return c;
}

CaseSearch::Result CaseSearch::findOnServer(const QString &typed) const
{
    // The same rows as the file's index finds, through the server's own
    // indexes on the same folded expressions (or by scanning without them).
    Result r;
    r.complaintsSearched = characters(typed) >= TrigramLength;
    const QString escaped = likeEscaped(typed);
    const QString pattern = r.complaintsSearched ? QLatin1Char('%') + escaped + QLatin1Char('%')
                                                 : escaped + QLatin1Char('%');
    const QString typedFolded = PostgresFind::folded(QStringLiteral("CAST(? AS text)"));
    auto anyOf = [&typedFolded](const QStringList &fields) {
        QStringList clauses;
        for (const QString &f : fields)
            clauses << PostgresFind::folded(f) + QStringLiteral(" LIKE ") + typedFolded;
        return QLatin1Char('(') + clauses.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    };
    const QString employeeKey = m_db->keyExpression(QStringLiteral("Employee"));
    const QString complaintKey = m_db->keyExpression(QStringLiteral("Complaints"));
    const QString sameNumber =
        QStringLiteral("lower(x.\"File Number\") = lower(%1.\"File Number\")");

    QSqlQuery &e = m_db->cachedQuery(
        QStringLiteral("SELECT e.%1, e.\"Name\", e.\"File Number\", e.\"Department\", (SELECT "
                       "count(*) FROM \"Complaints\" x WHERE %2) FROM \"Employee\" e WHERE %3 "
                       "LIMIT ?")
            .arg(employeeKey, sameNumber.arg(QLatin1Char('e')),
                 anyOf({QStringLiteral("e.\"Name\""), QStringLiteral("e.\"File Number\""),
                        QStringLiteral("e.\"Department\"")})));
    for (int i = 0; i < 3; ++i)
        e.bindValue(i, pattern);
    e.bindValue(3, Limit + 1);
    m_db->exec(e);
    r.moreEmployees =
        readUpTo(e, Limit, [&r](const QSqlQuery &row) { r.employees.append(employeeHit(row)); });
    e.finish();
    byName(r.employees);
    if (!r.complaintsSearched)
        return r;

    QSqlQuery &c = m_db->cachedQuery(
        QStringLiteral("SELECT c.%1, c.\"File Number\", (SELECT x.%2 FROM \"Employee\" x WHERE %3 "
                       "LIMIT 1), (SELECT x.\"Name\" FROM \"Employee\" x WHERE %3 LIMIT 1), "
                       "c.\"Remedy Sought\", c.\"Contract Provinsions\", %4 FROM \"Complaints\" c "
                       "WHERE %5 ORDER BY c.%1 LIMIT ?")
            .arg(complaintKey, employeeKey, sameNumber.arg(QLatin1Char('c')),
                 PostgresFind::caseFacts(QStringLiteral("c")),
                 anyOf({QStringLiteral("c.\"Remedy Sought\""),
                        QStringLiteral("c.\"Contract Provinsions\""),
                        PostgresFind::caseFacts(QStringLiteral("c"))})));
    for (int i = 0; i < 3; ++i)
        c.bindValue(i, pattern);
    c.bindValue(3, Limit + 1);
    m_db->exec(c);
    r.moreComplaints = readUpTo(c, Limit, [&r](const QSqlQuery &row) {
        r.complaints.append({row.value(0).toLongLong(), text(row, 1),
                             row.value(2).isNull() ? -1 : row.value(2).toLongLong(), text(row, 3),
                             text(row, 4), text(row, 5), text(row, 6)});
    });
    c.finish();
    return r;
}

int CaseSearch::complaintsUnder(const QString &fileNumber) const
{
    return int(ComplaintLinks::complaintsUnder(*m_db, fileNumber).size());
}

QStringList CaseSearch::employeesWith(const QString &fileNumber, qint64 exceptKey) const
{
    return ComplaintLinks::employeesWith(*m_db, fileNumber, exceptKey);
}
