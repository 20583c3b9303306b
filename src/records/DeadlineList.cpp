#include "records/DeadlineList.h"

#include "jetsql/DataError.h"
#include "jetsql/SqlDialect.h"
#include "records/CaseDatabase.h"
#include "records/CaseSearch.h"
#include "records/DeadlineSchema.h"
#include "records/DeadlineSql.h"

#include <QSqlQuery>

using namespace DeadlineSql;

namespace
{

// The text as a Jet pattern that finds it as Find does: anywhere, or below
// the trigram length at the beginning. Its own wildcards and brackets stand
// for themselves.
QString findPattern(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'[' || c == u'*' || c == u'?' || c == u'#')
            escaped += u'[' + QString(c) + u']';
        else
            escaped += c;
    }
    const bool shortText = text.toUcs4().size() < CaseSearch::TrigramLength;
    return JetSql::quoteString((shortText ? QString() : QStringLiteral("*")) + escaped + u'*');
}

} // namespace

DeadlineList::DeadlineList(std::shared_ptr<CaseDatabase> db) : m_db(std::move(db))
{
    if (!m_db->filePath().isEmpty())
        m_search = std::make_unique<CaseSearch>(m_db);
    // A database from before the status's copy of the file number (a
    // server not yet opened by its owner, a file that may not be written)
    // is filtered through each deadline's complaint.
    try {
        run(*m_db,
            QStringLiteral("SELECT %1 FROM %2 WHERE 1 = 0")
                .arg(JetSql::quoteIdentifier(QLatin1String(DeadlineSchema::FileNumberColumn)),
                     table(DeadlineSchema::StatusTable)));
        m_fileNumber = QStringLiteral("s.\"File Number\"");
        m_copied = true;
    } catch (const DataError &) {
        m_fileNumber = QStringLiteral("c.\"File Number\"");
    }
}

DeadlineList::~DeadlineList() = default;

void DeadlineList::setFilter(const QString &text)
{
    m_filter = text;
    m_condition = {};
    m_plan = Plan::Everything;
    if (text.isEmpty())
        return;
    const std::optional<SqlCondition> known =
        m_search ? m_search->employeeKeys(text) : std::nullopt;
    if (known) {
        // A file number the employees found have; how many decides whether
        // the list is built from them or the deadlines are walked. Many
        // employees begin with one or two characters (every file number
        // with "0"): those are counted along the indexes up to the limit,
        // never gathered whole first, and the walk tests each deadline's
        // employee rather than gathering them all.
        const std::optional<SqlCondition> begins =
            m_search->employeeBeginnings(text, QStringLiteral("x"));
        const qint64 found =
            begins ? count(*m_db,
                           QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM \"Employee\" x "
                                          "WHERE %1 LIMIT %2) n")
                               .arg(begins->sql)
                               .arg(m_few + 1),
                           begins->params)
                   : count(*m_db,
                           QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM (%1) k LIMIT %2) n")
                               .arg(known->sql)
                               .arg(m_few + 1),
                           known->params);
        m_plan = found > m_few ? Plan::WalkKnown : Plan::FromKnown;
        if (begins && m_plan == Plan::WalkKnown) {
            walkBeginnings(text);
            return;
        }
        if (m_plan == Plan::WalkKnown && m_copied) {
            // Each deadline's file number (read from the status's index)
            // looked up in the employees' file-number index, and the key
            // found tested against the keys found, gathered once: the many
            // employees' rows are never read. The "+" keeps SQLite from
            // seeking each of those keys in the index instead.
            m_condition.sql = QStringLiteral("EXISTS (SELECT 1 FROM Employee x WHERE "
                                             "x.\"File Number\" = %1 AND +x.rowid IN (%2))")
                                  .arg(m_fileNumber, known->sql);
        } else {
            m_condition.sql = QStringLiteral("%1 IN (SELECT x.\"File Number\" FROM Employee x "
                                             "WHERE x.rowid IN (%2))")
                                  .arg(m_fileNumber, known->sql);
        }
        m_condition.params = known->params;
        return;
    }
    m_plan = Plan::Compare;
    const QStringList columns = m_db->columns(QStringLiteral("Employee"));
    const QString pattern = findPattern(text);
    const SqlCondition like = JetSql::parseFilter(
        QStringLiteral("[Name] LIKE %1 OR [File Number] LIKE %1 OR [Department] LIKE %1")
            .arg(pattern),
        [&columns](const QString &name) {
            for (const QString &c : columns)
                if (c.compare(name, Qt::CaseInsensitive) == 0)
                    return c;
            return QString();
        },
        m_db->dialect());
    const SqlDialect &d = m_db->dialect();
    m_condition.sql = QStringLiteral("EXISTS (SELECT 1 FROM \"Employee\" x WHERE %1 = %2 AND (%3))")
                          .arg(d.orderValue(QStringLiteral("x.\"File Number\""), true),
                               d.orderValue(m_fileNumber, true), like.sql);
    m_condition.params = like.params;
}

// A short text many employees begin with, tested on each deadline walked.
// An employee with the deadline's file number (the same under the columns'
// collation) begins with the text there when the deadline's own file number
// does, which the index walked holds: only whether such an employee exists
// is looked up. The names and departments that begin with it are counted
// along their indexes: none, no test; a few, their file numbers gathered
// once; many, each deadline's employee read, and then the page fills soon.
void DeadlineList::walkBeginnings(const QString &text)
{
    const std::optional<SqlCondition> number =
        m_search->employeeBeginnings(text, m_copied ? QStringLiteral("s") : QStringLiteral("c"),
                                     {QStringLiteral("File Number")});
    const std::optional<SqlCondition> other = m_search->employeeBeginnings(
        text, QStringLiteral("x"), {QStringLiteral("Name"), QStringLiteral("Department")});
    QStringList parts{
        QStringLiteral(
            "(%1 AND EXISTS (SELECT 1 FROM \"Employee\" x WHERE x.\"File Number\" = %2))")
            .arg(number->sql, m_fileNumber)};
    m_condition.params = number->params;
    const qint64 others = count(
        *m_db,
        QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM \"Employee\" x WHERE %1 LIMIT %2) n")
            .arg(other->sql)
            .arg(m_few + 1),
        other->params);
    if (others > 0) {
        parts << (others > m_few ? QStringLiteral("EXISTS (SELECT 1 FROM \"Employee\" x WHERE "
                                                  "x.\"File Number\" = %1 AND %2)")
                                 : QStringLiteral("%1 IN (SELECT x.\"File Number\" FROM "
                                                  "\"Employee\" x WHERE %2)"))
                     .arg(m_fileNumber, other->sql);
        m_condition.params << other->params;
    }
    m_condition.sql = QLatin1Char('(') + parts.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString DeadlineList::statement(Read read, int rows) const
{
    const SqlDialect &d = m_db->dialect();
    const QString key = QStringLiteral("x.") + m_db->keyExpression(QStringLiteral("Employee"));
    const QString employee =
        QStringLiteral("(SELECT %1 FROM \"Employee\" x WHERE %2 = %3 ORDER BY %4 LIMIT 1)")
            .arg(QStringLiteral("%1"), d.orderValue(QStringLiteral("x.\"File Number\""), true),
                 d.orderValue(m_fileNumber, true), key);
    const QString columns =
        QStringLiteral("s.\"Grievance Number\", s.\"Next Due\", t.\"Step\", t.\"Acts\", "
                       "t.\"Working Days\", %1, %2, %3, s.\"Version\"")
            .arg(m_fileNumber, employee.arg(key), employee.arg(QStringLiteral("x.\"Name\"")));
    const QString status = table(DeadlineSchema::StatusTable);
    const QString limits = table(DeadlineSchema::LimitsTable);
    QString from;
    if (m_copied) {
        // The status holds the file number: no complaint is read. The two
        // plans of a file's find index (SQLite only) name the status's index
        // they need, so that SQLite never trades one for the other, which
        // its counts would not always tell it: the few employees' deadlines
        // through their file numbers, or the deadlines in order, each file
        // number tested from the index without reading the row.
        QString index;
        if (read == Read::Kept)
            ; // the rows kept, by their keys
        else if (m_plan == Plan::FromKnown)
            index = QLatin1String(DeadlineSchema::FileNumberIndex);
        else if (m_plan == Plan::WalkKnown)
            index = QLatin1String(DeadlineSchema::DueFileNumberIndex);
        from = QStringLiteral("%1 s%2 LEFT JOIN %3 t ON t.\"Limit\" = s.\"Next Limit\" WHERE "
                              "s.\"Next Due\" IS NOT NULL")
                   .arg(status,
                        index.isEmpty()
                            ? QString()
                            : QStringLiteral(" INDEXED BY ") + JetSql::quoteIdentifier(index),
                        limits);
    } else {
        // From the few employees found: their complaints first (SQLite
        // keeps the order of a CROSS JOIN), then the deadlines, sorted.
        // Otherwise the deadlines' index is walked in order until the page
        // is full, also when SQLite would rather start from the many
        // employees found and sort all their deadlines.
        from =
            m_plan == Plan::FromKnown && read != Read::Kept
                ? QStringLiteral("\"Complaints\" c CROSS JOIN %1 s LEFT JOIN %2 t ON t.\"Limit\" "
                                 "= s.\"Next Limit\" WHERE s.\"Grievance Number\" = c.\"Grievance "
                                 "Number\" AND s.\"Next Due\" IS NOT NULL")
                      .arg(status, limits)
                : QStringLiteral("%1 s CROSS JOIN \"Complaints\" c LEFT JOIN %2 t ON t.\"Limit\" "
                                 "= s.\"Next Limit\" WHERE c.\"Grievance Number\" = s.\"Grievance "
                                 "Number\" AND s.\"Next Due\" IS NOT NULL")
                      .arg(status, limits);
    }
    QString where;
    if (read == Read::After)
        where += QStringLiteral(" AND (s.\"Next Due\", s.\"Grievance Number\") > (?, ?)");
    if (read == Read::Kept) {
        QStringList marks(rows, QStringLiteral("?"));
        where += QStringLiteral(" AND s.\"Grievance Number\" IN (%1)")
                     .arg(marks.join(QStringLiteral(", ")));
    }
    if (!m_condition.sql.isEmpty())
        where += QStringLiteral(" AND ") + m_condition.sql;
    return QStringLiteral("SELECT %1 FROM %2%3 ORDER BY s.\"Next Due\", s.\"Grievance Number\" "
                          "LIMIT %4")
        .arg(columns, from, where)
        .arg(rows);
}

QList<DeadlineRow> DeadlineList::page(const DeadlineRow *after, int rows) const
{
    if (after)
        return read(Read::After, {dateValue(after->due), after->grievanceNumber}, rows);
    if (!m_search || (!m_filter.isEmpty() && m_plan == Plan::Compare))
        return read(Read::First, {}, rows);
    // A first page on a file with its find index. The rows of the text
    // typed are among those of any text it narrows (an employee holding
    // "kowa" holds "kow"), and in the same order: up to the last row of the
    // first page kept from such a text, they are the rows kept that pass
    // the filter, and the page goes on after that row. So the next key typed
    // tests a page of rows instead of walking the deadlines again from the
    // start. Kept only while no connection has changed the file since.
    const Version version = dataVersion();
    QList<DeadlineRow> out;
    if (m_kept.version == version && m_kept.rows == rows && narrows(m_kept.text, m_filter)) {
        if (!m_kept.keys.isEmpty()) {
            QVariantList keys;
            for (const qint64 key : std::as_const(m_kept.keys))
                keys << key;
            out = read(Read::Kept, keys, int(keys.size()));
        }
        if (!m_kept.complete && out.size() < rows)
            out << read(Read::After, {dateValue(m_kept.lastDue), m_kept.keys.last()},
                        rows - int(out.size()));
    } else {
        out = read(Read::First, {}, rows);
    }
    m_kept = {m_filter, rows, version, out.size() < rows, {}, {}};
    for (const DeadlineRow &r : std::as_const(out))
        m_kept.keys << r.grievanceNumber;
    if (!out.isEmpty())
        m_kept.lastDue = out.last().due;
    return out;
}

bool DeadlineList::narrows(const QString &before, const QString &text)
{
    if (before.isEmpty())
        return true;
    // Beginnings below the trigram length, anywhere from it on.
    const bool shortBefore = before.toUcs4().size() < CaseSearch::TrigramLength;
    const bool shortText = text.toUcs4().size() < CaseSearch::TrigramLength;
    if (shortBefore != shortText)
        return false;
    return shortText ? text.startsWith(before) : text.contains(before);
}

DeadlineList::Version DeadlineList::dataVersion() const
{
    // This connection's changes, and the commits of every other one.
    QSqlQuery q = run(*m_db, QStringLiteral("SELECT total_changes(), (SELECT data_version FROM "
                                            "pragma_data_version())"));
    if (!q.next())
        return {};
    return {q.value(0).toLongLong(), q.value(1).toLongLong()};
}

QList<DeadlineRow> DeadlineList::read(Read how, const QVariantList &keys, int rows) const
{
    QVariantList params = keys;
    params << m_condition.params;
    QSqlQuery q = run(*m_db, statement(how, rows), params);
    QList<DeadlineRow> out;
    while (q.next()) {
        DeadlineRow r;
        r.grievanceNumber = q.value(0).toLongLong();
        r.due = dateOf(q.value(1));
        r.step = q.value(2).toString();
        r.acts = q.value(3).toInt() == 1 ? StepActor::ManagementAnswers : StepActor::UnionFiles;
        r.workingDays = q.value(4).toInt() != 0;
        r.fileNumber = q.value(5).toString();
        r.employeeKey = q.value(6).isNull() ? -1 : q.value(6).toLongLong();
        r.employee = q.value(7).toString();
        r.version = q.value(8).toLongLong();
        out << r;
    }
    return out;
}

QList<DeadlineRow> DeadlineList::all() const
{
    QList<DeadlineRow> rows;
    for (;;) {
        const QList<DeadlineRow> more =
            page(rows.isEmpty() ? nullptr : &rows.last(), PageRows * 20);
        rows << more;
        if (more.size() < PageRows * 20)
            return rows;
    }
}

DeadlineList::Counts DeadlineList::counts(const CaseDatabase &db, QDate today, QDate until)
{
    const QString range =
        QStringLiteral("(SELECT count(*) FROM (SELECT 1 FROM %1 WHERE \"Next Due\" IS NOT NULL AND "
                       "%2 LIMIT %3) AS %4)")
            .arg(table(DeadlineSchema::StatusTable));
    const qint64 limit = CountLimit + 1;
    QSqlQuery q = run(
        db,
        QStringLiteral("SELECT %1, %2")
            .arg(range.arg(QStringLiteral("\"Next Due\" < ?")).arg(limit).arg(QStringLiteral("o")),
                 range.arg(QStringLiteral("\"Next Due\" >= ? AND \"Next Due\" <= ?"))
                     .arg(limit)
                     .arg(QStringLiteral("s"))),
        {dateValue(today), dateValue(today), dateValue(until)});
    Counts c;
    if (q.next()) {
        c.overdue = q.value(0).toLongLong();
        c.soon = q.value(1).toLongLong();
    }
    return c;
}
