#include "records/RecordSet.h"

#include "jetsql/KeysetQuery.h"
#include "jetsql/SqlDialect.h"
#include "records/CaseDatabase.h"

#include <QSqlError>
#include <QSqlQuery>

namespace
{

TableResolver resolverFor(const CaseDatabase &db)
{
    return [&db](const QString &name) -> std::optional<TableInfo> {
        const QString canonical = db.tableName(name);
        if (canonical.isEmpty())
            return std::nullopt;
        const QStringList cols = db.columns(canonical);
        const QString numeric = db.autoKeyColumn(canonical);
        return TableInfo{canonical,
                         [cols](const QString &c) {
                             for (const QString &have : cols)
                                 if (have.compare(c, Qt::CaseInsensitive) == 0)
                                     return have;
                             return QString();
                         },
                         [numeric](const QString &c) { return c != numeric; }};
    };
}

constexpr int MaxChunk = 65536;

} // namespace

RecordSet::RecordSet(std::shared_ptr<CaseDatabase> db, const QString &source, int type)
    : m_db(std::move(db)), m_source(source), m_type(type)
{
    if (!m_db || !m_db->isOpen())
        throw DataError(DataErrors::CannotOpen, QStringLiteral("The database is not open."));
    m_query = JetSql::parseRecordSource(source, resolverFor(*m_db), m_db->dialect());
    init();
}

RecordSet::RecordSet(std::shared_ptr<CaseDatabase> db, const SelectQuery &query,
                     const QString &source, int type)
    : m_db(std::move(db)), m_query(query), m_source(source), m_type(type)
{
    init();
}

RecordSet::~RecordSet() = default;

void RecordSet::init()
{
    m_fields = m_db->columns(m_query.table);
    QStringList quoted;
    for (const QString &f : m_fields)
        quoted << JetSql::quoteIdentifier(f);
    m_selectColumns = quoted.join(QStringLiteral(", "));
    // The automatically numbered field is never written.
    m_autoKeyField = fieldIndex(m_db->autoKeyColumn(m_query.table));
    m_keyExpression = m_db->keyExpression(m_query.table);
    resolveOrder();
    requery();
}

void RecordSet::resolveOrder()
{
    m_order = m_query.orderBy;
    if (m_order.isEmpty() && !m_query.seekColumn.isEmpty())
        m_order.append({m_query.seekColumn, false});
}

int RecordSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// ---- keys --------------------------------------------------------------

int RecordSet::fetchMore(int atLeast)
{
    if (m_complete)
        return 0;
    const int want = std::max(atLeast, m_chunk);
    m_chunk = std::min(m_chunk * 4, MaxChunk);

    KeysetChunk chunk;
    chunk.table = m_query.table;
    chunk.key = m_keyExpression;
    chunk.order = m_order;
    const QString numeric = m_db->autoKeyColumn(m_query.table);
    chunk.isText = [numeric](const QString &c) { return c != numeric; };
    chunk.where = m_query.where;
    if (m_fetched > 0)
        chunk.after = KeysetPosition{m_lastSortValues, m_lastKey};
    chunk.limit = want;
    const SqlStatement statement = keysetQuery(chunk, m_db->dialect());

    QSqlQuery &q = m_db->cachedQuery(statement.sql);
    for (int i = 0; i < statement.params.size(); ++i)
        q.bindValue(i, statement.params.at(i));
    m_db->exec(q);

    // Nothing changes until the whole chunk is read: a read that fails half
    // way (a lock, an I/O error) must neither skip the rows it did not
    // deliver nor take the set for complete.
    QVector<qint64> fresh;
    fresh.reserve(want);
    int read = 0;
    qint64 lastKey = m_lastKey;
    QVariantList lastSortValues = m_lastSortValues;
    while (q.next()) {
        ++read;
        lastKey = q.value(0).toLongLong();
        lastSortValues.clear();
        for (int i = 0; i < m_order.size(); ++i)
            lastSortValues << q.value(i + 1);
        if (!m_added.contains(lastKey))
            fresh.append(lastKey);
    }
    const QSqlError failed = q.lastError();
    q.finish();
    if (failed.isValid())
        throw m_db->error(failed);
    m_lastKey = lastKey;
    m_lastSortValues = lastSortValues;
    if (read < want)
        m_complete = true;
    if (fresh.isEmpty())
        return 0;
    // Keys added by this record set stay at its end, after all fetched keys.
    const int at = m_fetched;
    const bool onAddedKey = m_pos > at || (m_pos == at && !m_onDeleted && at < m_keys.size());
    m_keys.insert(at, fresh.size(), 0);
    std::copy(fresh.begin(), fresh.end(), m_keys.begin() + at);
    m_fetched += int(fresh.size());
    // A position on an added key moves with it; a position just after the
    // last fetched key (after a delete there) now names the first fresh one.
    if (onAddedKey)
        m_pos += int(fresh.size());
    Q_EMIT rowsInserted(at, at + int(fresh.size()) - 1);
    return int(fresh.size());
}

void RecordSet::fetchAll()
{
    while (!m_complete)
        fetchMore(MaxChunk);
}

bool RecordSet::ensureLoaded(int row)
{
    while (row >= m_keys.size() && !m_complete)
        fetchMore(row + 1 - int(m_keys.size()));
    return row < m_keys.size();
}

// ---- navigation ----------------------------------------------------------

bool RecordSet::isBOF() const
{
    if (m_onDeleted)
        return false;
    return m_pos < 0 || (m_keys.isEmpty() && m_complete);
}

bool RecordSet::isEOF() const
{
    if (m_onDeleted)
        return false;
    return (m_pos >= m_keys.size() && m_complete) || (m_keys.isEmpty() && m_complete);
}

bool RecordSet::hasCurrent() const
{
    return !m_onDeleted && m_pos >= 0 && m_pos < m_keys.size();
}

// Moves to a position, reading its row first: a read that fails leaves the
// set on the record it stood on, with that record's values.
void RecordSet::moveTo(int pos)
{
    if (pos >= 0)
        ensureLoaded(pos);
    qint64 key = -1;
    QVariantList row;
    if (pos >= 0 && pos < m_keys.size()) {
        key = m_keys.at(pos);
        row = shownRow(key);
    }
    m_onDeleted = false;
    m_pos = pos;
    m_editMode = NoEdit;
    m_currentKey = key;
    m_current = row;
}

void RecordSet::moveFirst()
{
    ensureLoaded(0);
    moveTo(0);
}

void RecordSet::movePrevious()
{
    if (isBOF())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    // Before a key this set added come all the unread ones.
    if (!m_complete && (m_pos > m_fetched || (m_pos == m_fetched && !m_onDeleted)))
        fetchAll();
    moveTo(std::max(-1, m_pos - 1));
}

void RecordSet::moveNext()
{
    if (isEOF())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    // After a delete, the row after the deleted one has taken its place.
    int next = m_onDeleted ? m_pos : m_pos + 1;
    // Read the keys that follow before stepping onto them: unread keys come
    // before the ones this set added, which a chunk read moves along.
    while (!m_complete && next >= m_fetched) {
        const int at = m_fetched;
        const int fresh = fetchMore(1);
        if (next > at)
            next += fresh;
    }
    moveTo(std::min<int>(next, m_keys.size()));
}

void RecordSet::moveLast()
{
    fetchAll();
    moveTo(m_keys.isEmpty() ? 0 : int(m_keys.size()) - 1);
}

int RecordSet::absolutePosition() const
{
    if (m_editMode == Adding || !hasCurrent())
        return -1;
    return m_pos;
}

qint64 RecordSet::bookmark() const
{
    if (!hasCurrent())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    return m_keys.at(m_pos);
}

void RecordSet::setBookmark(qint64 key)
{
    int row = int(m_keys.indexOf(key));
    while (row < 0 && !m_complete) {
        const int from = m_fetched; // fresh keys go here, before any added ones
        fetchMore(MaxChunk);
        row = int(m_keys.indexOf(key, from));
    }
    if (row < 0)
        throw DataError(DataErrors::NoCurrentRecord,
                        QStringLiteral("The record is not in this record set."));
    if (row >= m_fetched && !m_complete) {
        // A row added here comes after every unread one: read them, so that
        // its position and the moves from it are true.
        fetchAll();
        row = int(m_keys.indexOf(key, m_fetched));
    }
    moveTo(row);
}

QVariant RecordSet::value(int field) const
{
    const QVariantList &v = m_editMode == NoEdit ? m_current : m_buffer;
    return v.value(field);
}

// ---- reading rows ----------------------------------------------------------

QVariantList RecordSet::readRow(qint64 key, bool lock) const
{
    QSqlQuery &q = m_db->cachedQuery(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
            .arg(m_selectColumns, JetSql::quoteIdentifier(m_query.table), m_keyExpression) +
        (lock ? m_db->dialect().lockForWrite() : QString()));
    q.bindValue(0, key);
    m_db->exec(q);
    QVariantList row;
    if (q.next()) {
        for (int i = 0; i < m_fields.size(); ++i)
            row << q.value(i);
    } else if (q.lastError().isValid()) {
        // A failed read is not a deleted row.
        const QSqlError failed = q.lastError();
        q.finish();
        throw m_db->error(failed);
    }
    q.finish();
    return row;
}

QVariantList RecordSet::shownRow(qint64 key) const
{
    return shown(readRow(key));
}

QVariantList RecordSet::shown(QVariantList row) const
{
    if (row.isEmpty()) {
        // Deleted by someone else: shown empty, one value per field as for
        // every record, and the next save of it says it was deleted.
        for (int i = 0; i < m_fields.size(); ++i)
            row << QVariant();
    }
    return row;
}

QVariantList RecordSet::valuesOf(qint64 key) const
{
    return readRow(key);
}

QVariantList RecordSet::rowValues(int row) const
{
    if (row < 0 || row >= m_keys.size())
        return {};
    return readRow(m_keys.at(row));
}

QString RecordSet::describeRow(const QVariantList &values) const
{
    // Name the record the way the steward knows it.
    for (const char *f : {"Grievance Number", "File Number", "Name"}) {
        const int i = fieldIndex(QString::fromLatin1(f));
        if (i >= 0 && !values.value(i).toString().isEmpty())
            return QStringLiteral("%1 record with %2 %3")
                .arg(m_query.table, QString::fromLatin1(f), values.value(i).toString());
    }
    return QStringLiteral("%1 record").arg(m_query.table);
}
