// Writing through a record set: add, edit, delete and the grid's row writes.
#include "jetsql/SqlDialect.h"
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"

#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <utility>

void RecordSet::requireWritable() const
{
    if (m_type == Snapshot)
        throw DataError(DataErrors::ReadOnly, QStringLiteral("This record set cannot be updated."));
}

void RecordSet::addNew()
{
    requireWritable();
    m_editMode = Adding;
    ++m_additions;
    m_buffer.clear();
    for (int i = 0; i < m_fields.size(); ++i)
        m_buffer << QVariant();
    m_original = m_buffer;
    m_dirty = QVector<bool>(m_fields.size(), false);
}

void RecordSet::edit(const QVariantList &asRead)
{
    requireWritable();
    if (!hasCurrent())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    m_editMode = Editing;
    m_buffer = m_current;
    // The row must still hold what the editor read, which may be older
    // than this set's own copy when another window changed it meanwhile.
    m_original = asRead.size() == m_fields.size() ? asRead : m_current;
    m_dirty = QVector<bool>(m_fields.size(), false);
}

void RecordSet::setValue(int field, const QVariant &value)
{
    if (m_editMode == NoEdit)
        edit();
    if (field < 0 || field >= m_fields.size() || field == m_autoKeyField)
        return;
    m_buffer[field] = value;
    m_dirty[field] = true;
}

void RecordSet::cancelUpdate()
{
    m_alsoWrite = {};
    m_editMode = NoEdit;
    m_buffer.clear();
}

void RecordSet::update()
{
    if (m_editMode == Adding)
        m_alsoWrite = {};
    if (m_editMode == NoEdit)
        throw DataError(DataErrors::General, QStringLiteral("Update without AddNew or Edit."));
    if (m_editMode == Adding) {
        const qint64 key = writeInsert(m_buffer, m_dirty, m_additions);
        m_added.insert(key);
        m_keys.append(key);
        m_lastModified = key;
        m_editMode = NoEdit;
        if (m_pos >= m_keys.size() - 1 && m_complete)
            m_pos = int(m_keys.size()); // was past the end: stays past the end
        Q_EMIT rowsInserted(int(m_keys.size()) - 1, int(m_keys.size()) - 1);
        if (m_onDeleted || !hasCurrent()) {
            m_current.clear();
            m_currentKey = -1;
        }
        return;
    }
    const qint64 key = m_currentKey;
    writeUpdate(key, m_original, m_buffer, m_dirty, std::exchange(m_alsoWrite, {}));
    m_lastModified = key;
    m_editMode = NoEdit;
    m_current = shown(m_lastWritten);
    Q_EMIT rowChanged(m_pos);
}

void RecordSet::deleteCurrent(const QVariantList &asRead)
{
    requireWritable();
    if (!hasCurrent())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    const int row = m_pos;
    deleteRow(row, asRead.size() == m_fields.size() ? asRead : m_current);
}

void RecordSet::removeKeyAt(int row)
{
    const qint64 key = m_keys.at(row);
    m_keys.remove(row);
    if (m_added.remove(key)) {
    } else {
        --m_fetched;
    }
    if (row < m_pos) {
        --m_pos;
    } else if (row == m_pos) {
        m_onDeleted = true;
        // An edit of the removed row cannot be written any more; a new
        // record being added is tied to no row and stays.
        if (m_editMode == Editing)
            m_editMode = NoEdit;
        m_current.clear();
        m_currentKey = -1;
    }
}

void RecordSet::deleteRow(int row, const QVariantList &asRead)
{
    requireWritable();
    if (row < 0 || row >= m_keys.size())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    const qint64 key = m_keys.at(row);
    const bool checked = asRead.size() == m_fields.size();
    auto gone = [&] {
        return DataError(
            DataErrors::RowDeleted,
            QStringLiteral("The %1 was deleted by another user already.").arg(describeRow(asRead)));
    };
    m_db->write([&](QSqlQuery &q) {
        // A delete replaces the record as surely as an update: only the
        // record the steward saw, locked from this read to the commit.
        if (checked) {
            const QVariantList now = readRow(key, true);
            if (now.isEmpty())
                throw gone();
            if (!sameValues(now, asRead))
                throw DataError(DataErrors::WriteConflict,
                                QStringLiteral("The %1 was changed by another user since you read "
                                               "it; it was not deleted. Reload the record to see "
                                               "the other change.")
                                    .arg(describeRow(asRead)));
        }
        if (!q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                           .arg(JetSql::quoteIdentifier(m_query.table), m_keyExpression)))
            throw m_db->error(q.lastError());
        q.addBindValue(key);
        if (!q.exec())
            throw m_db->error(q.lastError());
        if (checked && q.numRowsAffected() != 1)
            throw gone();
    });
    removeKeyAt(row);
    Q_EMIT rowRemoved(row);
}

qint64 RecordSet::writeInsert(const QVariantList &values, const QVector<bool> &dirty,
                              quint64 addition)
{
    requireWritable();
    if (const std::optional<Answer> answer = answerOfUnanswered(-1, addition, values, dirty)) {
        // The lost save stored the new record: what was typed since goes
        // onto that record, never into a second one.
        if (answer->now.isEmpty())
            throw DataError(DataErrors::RowDeleted,
                            QStringLiteral("The new %1 was saved, and deleted by another user "
                                           "since.")
                                .arg(describeRow(values)));
        if (answer->later.contains(true)) {
            QVariantList changed = answer->now;
            for (int i = 0; i < m_fields.size(); ++i)
                if (answer->later.at(i))
                    changed[i] = values.value(i);
            writeUpdate(answer->key, answer->now, changed, answer->later);
        } else {
            m_lastWritten = answer->now;
        }
        return answer->key;
    }
    QStringList cols;
    QVariantList params;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (i == m_autoKeyField || !dirty.value(i))
            continue;
        cols << JetSql::quoteIdentifier(m_fields.at(i));
        params << values.at(i);
    }
    const QString sql = m_db->dialect().insertStatement(JetSql::quoteIdentifier(m_query.table),
                                                        cols, m_keyExpression);
    qint64 key = -1;
    QVariantList written;
    writeRemembered(-1, addition, values, dirty, [&](QSqlQuery &q) {
        if (!q.prepare(sql))
            throw m_db->error(q.lastError());
        for (const QVariant &p : std::as_const(params))
            q.addBindValue(p);
        if (!q.exec())
            throw m_db->error(q.lastError());
        key = m_db->insertedKey(q);
        written = readRow(key);
        return std::make_pair(key, written);
    });
    m_lastWritten = written;
    return key;
}

void RecordSet::writeUpdate(qint64 key, const QVariantList &asRead, const QVariantList &changed,
                            const QVector<bool> &asTyped,
                            const std::function<void(QSqlQuery &)> &alsoWriteFirst)
{
    requireWritable();
    QVariantList original = asRead;
    QVector<bool> dirty = asTyped;
    std::function<void(QSqlQuery &)> alsoWrite = alsoWriteFirst;
    if (const std::optional<Answer> answer = answerOfUnanswered(key, 0, changed, dirty)) {
        // The lost save was stored. Tried again, only what was typed since
        // is written, onto the record as that save left it; what stood or
        // fell with it (complaints moved with a file number) stood then.
        if (answer->now.isEmpty())
            throw deletedMeanwhile(original);
        if (!answer->asSaved)
            throw DataError(DataErrors::WriteConflict,
                            QStringLiteral("Your earlier save of the %1 was stored, and another "
                                           "user changed the record since. Reload the record to "
                                           "see the other change.")
                                .arg(describeRow(original)));
        original = answer->now;
        dirty = answer->later;
        alsoWrite = {};
    }
    QStringList sets;
    QVariantList setParams;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (dirty.value(i) && i != m_autoKeyField) {
            sets << JetSql::quoteIdentifier(m_fields.at(i)) + QStringLiteral(" = ?");
            setParams << changed.at(i);
        }
    }
    if (sets.isEmpty() && !alsoWrite) {
        m_lastWritten = original; // nothing to write: the record stays as read
        return;
    }
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                            .arg(JetSql::quoteIdentifier(m_query.table),
                                 sets.join(QStringLiteral(", ")), m_keyExpression);
    QVariantList written;
    writeRemembered(key, 0, changed, dirty, [&](QSqlQuery &q) {
        // The row must still hold what was read, to the letter. It is read
        // again inside the write transaction and compared as read, not as
        // stored: text the database holds in a form that does not read back
        // the same (half a surrogate pair, stored by an older version) would
        // otherwise never match and the record could never be saved again.
        // The row stays locked from this read to the commit: on a server,
        // another steward's save in between would otherwise be overwritten.
        const QVariantList now = readRow(key, true);
        if (now.isEmpty())
            throw deletedMeanwhile(original);
        if (!sameValues(now, original))
            throw DataError(
                DataErrors::WriteConflict,
                QStringLiteral(
                    "The %1 was changed by another user since you read it; "
                    "your changes were not saved. Reload the record to see the other change.")
                    .arg(describeRow(original)));
        if (!sets.isEmpty()) {
            if (!q.prepare(sql))
                throw m_db->error(q.lastError());
            for (const QVariant &p : std::as_const(setParams))
                q.addBindValue(p);
            q.addBindValue(key);
            if (!q.exec())
                throw m_db->error(q.lastError());
            if (q.numRowsAffected() != 1)
                throw deletedMeanwhile(original);
        }
        if (alsoWrite)
            alsoWrite(q);
        // Read back before the commit: another steward's save just after it
        // is theirs to show, not what this one stored.
        written = readRow(key);
        return std::make_pair(key, written);
    });
    m_lastWritten = written;
}

void RecordSet::writeRemembered(
    qint64 key, quint64 addition, const QVariantList &values, const QVector<bool> &dirty,
    const std::function<std::pair<qint64, QVariantList>(QSqlQuery &)> &work)
{
    const bool remember = m_db->remembersSaves();
    const QString id = remember ? QUuid::createUuid().toString(QUuid::WithoutBraces) : QString();
    try {
        m_db->write([&](QSqlQuery &q) {
            const auto [row, written] = work(q);
            if (remember)
                m_db->rememberSave(q, id, m_query.table, row, written);
        });
    } catch (const DataError &e) {
        // Unreachable: the commit may have reached the server or not. The
        // same save tried again asks first.
        if (remember && e.number() == DataErrors::Unreachable) {
            if (m_unanswered.size() >= 16)
                m_unanswered.removeFirst();
            m_unanswered << Unanswered{id, key, addition, values, dirty};
        }
        throw;
    }
}

int RecordSet::unansweredRetried(qint64 key, quint64 addition, const QVariantList &values) const
{
    for (int i = int(m_unanswered.size()) - 1; i >= 0; --i) {
        const Unanswered &u = m_unanswered.at(i);
        if (u.key >= 0 || key >= 0) {
            if (u.key == key)
                return i;
        } else if (u.addition == addition && (addition != 0 || sameValues(values, u.values))) {
            return i;
        }
    }
    return -1;
}

std::optional<RecordSet::Answer> RecordSet::answerOfUnanswered(qint64 key, quint64 addition,
                                                               const QVariantList &values,
                                                               const QVector<bool> &dirty)
{
    const int at = unansweredRetried(key, addition, values);
    if (at < 0)
        return std::nullopt;
    const Unanswered lost = m_unanswered.at(at);
    const std::optional<CaseDatabase::RememberedSave> kept = m_db->rememberedSave(lost.id);
    m_unanswered.removeAt(at);
    if (!kept)
        return std::nullopt; // never stored: written now, once
    Answer a;
    a.key = kept->row;
    a.now = readRow(kept->row);
    a.asSaved = !a.now.isEmpty() && CaseDatabase::rowDigest(a.now) == kept->digest;
    a.later = QVector<bool>(m_fields.size(), false);
    for (int i = 0; i < m_fields.size(); ++i)
        a.later[i] = i != m_autoKeyField && (dirty.value(i) || lost.dirty.value(i)) &&
                     !sameValue(values.value(i), lost.values.value(i));
    return a;
}

DataError RecordSet::deletedMeanwhile(const QVariantList &original) const
{
    return DataError(
        DataErrors::RowDeleted,
        QStringLiteral("The %1 was deleted by another user; your changes were not saved.")
            .arg(describeRow(original)));
}

bool RecordSet::sameValue(const QVariant &a, const QVariant &b) const
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.typeId() == b.typeId() ? a == b : a.toString() == b.toString();
}

bool RecordSet::sameValues(const QVariantList &now, const QVariantList &read) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (!sameValue(now.value(i), read.value(i)))
            return false;
    return true;
}

void RecordSet::updateRow(int row, const QVariantList &original, const QVariantList &changed,
                          const std::function<void(QSqlQuery &)> &alsoWrite)
{
    if (row < 0 || row >= m_keys.size())
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    QVector<bool> dirty(m_fields.size(), false);
    for (int i = 0; i < m_fields.size(); ++i)
        dirty[i] = original.value(i) != changed.value(i) ||
                   original.value(i).isNull() != changed.value(i).isNull();
    const qint64 key = m_keys.at(row);
    writeUpdate(key, original, changed, dirty, alsoWrite);
    m_lastModified = key;
    if (key == m_currentKey && m_editMode == NoEdit)
        m_current = shown(m_lastWritten);
    Q_EMIT rowChanged(row);
}

int RecordSet::insertRow(const QVariantList &values)
{
    QVector<bool> dirty(m_fields.size(), false);
    for (int i = 0; i < m_fields.size(); ++i)
        dirty[i] = !values.value(i).isNull();
    const qint64 key = writeInsert(values, dirty, 0);
    m_added.insert(key);
    m_keys.append(key);
    m_lastModified = key;
    const int row = int(m_keys.size()) - 1;
    if (m_pos == row && m_complete)
        ++m_pos; // past-the-end stays past the end
    Q_EMIT rowsInserted(row, row);
    return row;
}

void RecordSet::requery()
{
    Q_EMIT aboutToRequery();
    // A requery that cannot read leaves the set as it was: its rows, its
    // position and its sharers' view of both.
    const QVector<qint64> keys = m_keys;
    const QSet<qint64> added = m_added;
    const int fetched = m_fetched, chunk = m_chunk, pos = m_pos;
    const bool complete = m_complete, onDeleted = m_onDeleted;
    const QVariantList lastSortValues = m_lastSortValues;
    const qint64 lastKey = m_lastKey;
    m_keys.clear();
    m_added.clear();
    m_fetched = 0;
    m_complete = false;
    m_chunk = FirstChunk;
    m_lastSortValues.clear();
    m_lastKey = 0;
    auto restore = qScopeGuard([&] {
        m_keys = keys;
        m_added = added;
        m_fetched = fetched;
        m_chunk = chunk;
        m_pos = pos;
        m_complete = complete;
        m_onDeleted = onDeleted;
        m_lastSortValues = lastSortValues;
        m_lastKey = lastKey;
    });
    fetchMore(m_chunk);
    moveTo(0);
    restore.dismiss();
    Q_EMIT rowsReset();
}

std::shared_ptr<RecordSet> RecordSet::openRecordset(int type) const
{
    SelectQuery q = m_query;
    auto columns = [this](const QString &name) {
        const int i = fieldIndex(name);
        return i < 0 ? QString() : m_fields.at(i);
    };
    if (!m_filter.trimmed().isEmpty()) {
        const QString numeric = m_db->autoKeyColumn(m_query.table);
        const SqlCondition f =
            JetSql::parseFilter(m_filter, columns, m_db->dialect(),
                                [numeric](const QString &c) { return c != numeric; });
        if (!f.sql.isEmpty()) {
            q.where.sql = q.where.sql.isEmpty()
                              ? f.sql
                              : QStringLiteral("(%1) AND (%2)").arg(q.where.sql, f.sql);
            q.where.params << f.params;
        }
    }
    if (!m_sort.trimmed().isEmpty())
        q.orderBy = JetSql::parseSort(m_sort, columns);
    return std::shared_ptr<RecordSet>(new RecordSet(m_db, q, m_source, type));
}
