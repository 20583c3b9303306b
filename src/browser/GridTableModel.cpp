#include "browser/GridTableModel.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/RecordSet.h"

#include <QColor>
#include <utility>

namespace
{

// Keys read per fetch the view asks for; the record set grows its own
// chunks beyond this as scrolling goes on.
constexpr int FetchStep = 256;

// A pale amber behind the rows another steward changed.
const QRgb ChangedByOthersColour = qRgb(0xFF, 0xF0, 0xC0);

QVariant cellText(const QVariant &v)
{
    return v.isNull() ? QVariant(QString()) : QVariant(v.toString());
}

} // namespace

GridTableModel::GridTableModel(QObject *parent) : QAbstractTableModel(parent) {}

GridTableModel::~GridTableModel() = default;

void GridTableModel::setAllowAddNew(bool allow)
{
    m_allowAddNew = allow;
    syncNewRowLine();
}

void GridTableModel::setRecordset(std::shared_ptr<RecordSet> recordset)
{
    beginResetModel();
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_pending.reset();
    m_cache.clear();
    m_changedByOthers.clear();
    m_allChangedByOthers = false;
    m_rs = std::move(recordset);
    m_autoKeyColumn = -1;
    m_lengths.clear();
    if (m_rs) {
        m_autoKeyColumn = m_rs->fieldIndex(m_rs->database().autoKeyColumn(m_rs->tableName()));
        const QList<CaseSchema::Column> &schema =
            m_rs->tableName().compare(QLatin1String(CaseSchema::ComplaintsTable),
                                      Qt::CaseInsensitive) == 0
                ? CaseSchema::complaintsColumns()
                : CaseSchema::employeeColumns();
        for (const QString &field : m_rs->fieldNames()) {
            int length = 0;
            for (const CaseSchema::Column &c : schema)
                if (field.compare(QString::fromUtf8(c.name), Qt::CaseInsensitive) == 0)
                    length = c.length;
            m_lengths << length;
        }
        connectRecordset();
    }
    m_rows = m_rs ? m_rs->loadedCount() : 0;
    m_newRowShown = m_rs && m_allowAddNew && m_rs->isComplete();
    m_readsHeld = false;
    endResetModel();
}

void GridTableModel::connectRecordset()
{
    RecordSet *rs = m_rs.get();
    m_connections << connect(rs, &RecordSet::rowsInserted, this, &GridTableModel::onRowsInserted);
    m_connections << connect(rs, &RecordSet::rowRemoved, this, &GridTableModel::onRowRemoved);
    m_connections << connect(rs, &RecordSet::rowChanged, this, &GridTableModel::onRowChanged);
    m_connections << connect(rs, &RecordSet::rowsReset, this, &GridTableModel::onRowsReset);
}

// The record set tells after the fact; the view is told in its own terms,
// and anything that does not add up is a reset rather than a wrong row.
void GridTableModel::onRowsInserted(int first, int last)
{
    const int count = last - first + 1;
    if (first < 0 || first > m_rows || m_rows + count != m_rs->loadedCount()) {
        resetAll();
        return;
    }
    beginInsertRows({}, first, last);
    m_rows += count;
    endInsertRows();
    syncNewRowLine();
}

void GridTableModel::onRowRemoved(int row)
{
    if (row < 0 || row >= m_rows || m_rows - 1 != m_rs->loadedCount()) {
        resetAll();
        return;
    }
    // The key is gone from the record set; a pending edit of it goes too.
    if (m_pending && m_pending->key >= 0 && m_rs->rowOfKey(m_pending->key) < 0)
        m_pending.reset();
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
}

void GridTableModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    m_cache.remove(m_rs->keyAt(row));
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void GridTableModel::onRowsReset()
{
    resetAll();
}

void GridTableModel::resetAll()
{
    beginResetModel();
    m_pending.reset();
    m_cache.clear();
    m_rows = m_rs ? m_rs->loadedCount() : 0;
    m_newRowShown = m_rs && m_allowAddNew && m_rs->isComplete();
    m_readsHeld = false;
    endResetModel();
}

// Rows are read inside the view's paint, scroll and key handlers, where an
// exception would end the program. A read that fails is reported once; the
// rows already read stay, the others show blank, and nothing more is read
// until the steward moves in the grid again (each read could wait out the
// busy timeout).
void GridTableModel::readFailure(const DataError &error) const
{
    if (m_readsHeld)
        return;
    m_readsHeld = true;
    if (readFailed)
        readFailed(error);
}

bool GridTableModel::resumeReads()
{
    return std::exchange(m_readsHeld, false);
}

void GridTableModel::syncNewRowLine()
{
    const bool want = m_rs && m_allowAddNew && m_rs->isComplete();
    if (want == m_newRowShown)
        return;
    if (want) {
        beginInsertRows({}, m_rows, m_rows);
        m_newRowShown = true;
        endInsertRows();
    } else {
        if (m_pending && m_pending->key < 0)
            m_pending.reset();
        beginRemoveRows({}, m_rows, m_rows);
        m_newRowShown = false;
        endRemoveRows();
    }
}

int GridTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_rows + (m_newRowShown ? 1 : 0);
}

int GridTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rs)
        return 0;
    return m_rs->fieldCount();
}

int GridTableModel::columnLength(int column) const
{
    return m_lengths.value(column);
}

QVariantList GridTableModel::blankRow() const
{
    QVariantList row;
    for (int i = 0; i < columnCount(); ++i)
        row << QVariant();
    return row;
}

const QVariantList &GridTableModel::rowAt(int row) const
{
    const qint64 key = m_rs->keyAt(row);
    if (const QVariantList *cached = m_cache.object(key))
        return *cached;
    QVariantList values = m_rs->rowValues(row);
    if (values.isEmpty()) {
        // Deleted by someone else since the keys were read: shown blank,
        // and not cached, so a requery or a new read tells the truth.
        m_scratch = blankRow();
        return m_scratch;
    }
    auto *entry = new QVariantList(std::move(values));
    m_cache.insert(key, entry);
    return *entry;
}

void GridTableModel::markChangedByOthers(const QString &table, const QList<qint64> &rows, bool many)
{
    if (!m_rs || m_rs->tableName().compare(table, Qt::CaseInsensitive) != 0)
        return;
    m_allChangedByOthers = m_allChangedByOthers || many;
    for (qint64 key : rows) {
        m_changedByOthers.insert(key);
        m_cache.remove(key); // read as it is stored now when next drawn
    }
    if (many)
        m_cache.clear();
    if (rowCount() > 0)
        Q_EMIT headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

bool GridTableModel::changedByOthers(int row) const
{
    if (!m_rs || isNewRowLine(row) || row >= m_rows || row >= m_rs->loadedCount())
        return false;
    return m_allChangedByOthers || m_changedByOthers.contains(m_rs->keyAt(row));
}

QVariant GridTableModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::BackgroundRole && index.isValid() && changedByOthers(index.row()))
        return QColor(ChangedByOthersColour);
    if (!m_rs || !index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int row = index.row();
    const int column = index.column();
    if (isNewRowLine(row)) {
        if (m_pending && m_pending->key < 0)
            return cellText(m_pending->values.value(column));
        return QString();
    }
    if (row >= m_rows || row >= m_rs->loadedCount())
        return {};
    const qint64 key = m_rs->keyAt(row);
    if (m_pending && m_pending->key == key)
        return cellText(m_pending->values.value(column));
    if (m_readsHeld && !m_cache.contains(key))
        return QString();
    try {
        return cellText(rowAt(row).value(column));
    } catch (const DataError &e) {
        readFailure(e);
        return QString();
    }
}

bool GridTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_rs || !index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int row = index.row();
    const qint64 key = isNewRowLine(row) ? -1 : m_rs->keyAt(row);
    if (m_pending && m_pending->key != key && !commitPending())
        return false;
    const QString text = value.toString();
    // An emptied cell is stored as no value, as the main window's boxes store it.
    const QVariant stored =
        text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
    if (!m_pending) {
        Pending p;
        p.key = key;
        try {
            p.original = key < 0 ? blankRow() : rowAt(row);
        } catch (const DataError &e) {
            readFailure(e); // nothing to check the edit against: it is not taken
            return false;
        }
        p.values = p.original;
        if (text == cellText(p.original.value(index.column())).toString())
            return true; // nothing changed: no pending row
        m_pending = std::move(p);
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
    }
    m_pending->values[index.column()] = stored;
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const bool writable =
        m_rs && m_rs->type() != RecordSet::Snapshot && index.column() != m_autoKeyColumn;
    if (writable && (isNewRowLine(index.row()) ? m_allowAddNew : m_allowUpdate))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && changedByOthers(section)) {
        if (role == Qt::BackgroundRole)
            return QColor(ChangedByOthersColour);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("Changed by another steward");
    }
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_rs ? QVariant(m_rs->fieldName(section)) : QVariant();
    // The record selectors: the new-row line, the row being edited, the current row.
    if (isNewRowLine(section))
        return QStringLiteral("*");
    if (isPendingRow(section))
        return QStringLiteral("✎");
    if (section == m_currentRow)
        return QStringLiteral("▶");
    return QString();
}

void GridTableModel::setCurrentRow(int row)
{
    if (row == m_currentRow)
        return;
    const int was = m_currentRow;
    m_currentRow = row;
    if (was >= 0 && was < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, was, was);
    if (row >= 0 && row < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

bool GridTableModel::canFetchMore(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rs)
        return false;
    if (m_readsHeld)
        return false;
    // Also when the record set finished reading without a row to add (it
    // then sends nothing): the new-row line still has to appear.
    return !m_rs->isComplete() || (m_allowAddNew && !m_newRowShown);
}

void GridTableModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_rs || m_readsHeld)
        return;
    try {
        if (!m_rs->isComplete())
            m_rs->fetchMore(FetchStep);
    } catch (const DataError &e) {
        readFailure(e);
        return;
    }
    syncNewRowLine();
}

void GridTableModel::fetchAll()
{
    if (!m_rs || m_readsHeld)
        return;
    try {
        m_rs->fetchAll();
    } catch (const DataError &e) {
        readFailure(e);
        return;
    }
    syncNewRowLine();
}

bool GridTableModel::isPendingRow(int row) const
{
    if (!m_pending || !m_rs)
        return false;
    if (m_pending->key < 0)
        return isNewRowLine(row);
    return row >= 0 && row < m_rows && m_rs->keyAt(row) == m_pending->key;
}

int GridTableModel::pendingRow() const
{
    if (!m_pending || !m_rs)
        return -1;
    if (m_pending->key < 0)
        return m_newRowShown ? m_rows : -1;
    const int row = m_rs->rowOfKey(m_pending->key);
    return row < m_rows ? row : -1;
}

void GridTableModel::discardPending()
{
    if (!m_pending)
        return;
    const int row = pendingRow();
    m_pending.reset();
    if (row >= 0) {
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
    }
}

bool GridTableModel::commitPending()
{
    if (!m_pending || !m_rs)
        return true;
    bool cancel = false;
    if (beforeUpdate)
        beforeUpdate(cancel);
    if (!m_pending)
        return true; // the hook's own work settled it
    if (cancel) {
        discardPending();
        return true;
    }
    const int row = pendingRow();
    Pending p = std::move(*m_pending);
    m_pending.reset();
    // The record set may be replaced while a hook's question is open.
    const std::shared_ptr<RecordSet> rs = m_rs;
    qint64 stored = p.key;
    try {
        if (p.key < 0) {
            const int at = rs->insertRow(p.values); // the record set announces the new row
            stored = rs->keyAt(at);
        } else {
            std::function<void(QSqlQuery &)> alsoWrite;
            if (beforeRowUpdate)
                alsoWrite = beforeRowUpdate(*rs, p.key, p.original, p.values);
            const int at = rs->rowOfKey(p.key);
            if (at < 0)
                throw DataError(
                    DataErrors::RowDeleted,
                    QStringLiteral("The record was deleted; your changes were not saved."));
            m_cache.remove(p.key);
            rs->updateRow(at, p.original, p.values, alsoWrite);
        }
    } catch (const DataError &e) {
        // A row changed or deleted by someone else cannot be written from
        // what was read: show what the table holds now. Anything else (a
        // lock, a full disk) keeps the typed values for another try.
        const bool stale =
            e.number() == DataErrors::WriteConflict || e.number() == DataErrors::RowDeleted;
        if (!stale)
            m_pending = std::move(p);
        else
            m_cache.remove(p.key);
        if (row >= 0 && row < rowCount()) {
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            Q_EMIT headerDataChanged(Qt::Vertical, row, row);
        }
        if (writeFailed)
            writeFailed(e);
        return stale;
    }
    if (row >= 0 && row < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
    if (rowSaved)
        rowSaved(*rs, stored, p.original, p.values, p.key < 0);
    return true;
}

void GridTableModel::deleteRows(QList<int> rows)
{
    if (!m_rs || !m_allowDelete)
        return;
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : std::as_const(rows)) {
        if (isNewRowLine(row)) {
            if (m_pending && m_pending->key < 0)
                discardPending();
            continue;
        }
        if (row < 0 || row >= m_rows)
            continue;
        bool cancel = false;
        if (beforeDelete)
            beforeDelete(cancel);
        if (cancel)
            continue;
        const qint64 key = m_rs->keyAt(row);
        if (m_pending && m_pending->key == key)
            m_pending.reset();
        try {
            const QVariantList values = rowDeleted ? m_rs->rowValues(row) : QVariantList();
            // Only the row as the grid shows it.
            m_rs->deleteRow(row, QVariantList(rowAt(row)));
            if (rowDeleted)
                rowDeleted(*m_rs, key, values);
        } catch (const DataError &e) {
            // Refused as changed or deleted meanwhile: shown as it is now.
            m_cache.remove(key);
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            if (writeFailed)
                writeFailed(e);
        }
    }
}
