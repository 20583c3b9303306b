#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QSet>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>

class DataError;
class QSqlQuery;
class RecordSet;

// The grid's rows over a record set that others (a record pane, other
// grids) may share. Keys are read in chunks as the view scrolls
// (canFetchMore/fetchMore); a row's values are read when the view first asks
// for them and kept in a small cache, so a grid over a million rows reads
// only what is on screen.
//
// Edits collect in one pending row, written only when the row is left (or
// the window asks) and only after the BeforeUpdate hook lets it pass. The
// last line, once every key is read, is the new-row line.
class GridTableModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    explicit GridTableModel(QObject *parent = nullptr);
    ~GridTableModel() override;

    void setRecordset(std::shared_ptr<RecordSet> recordset);
    const std::shared_ptr<RecordSet> &recordset() const { return m_rs; }
    // Another steward changed these rows of `table` (every row: `many`):
    // their selectors and cells are marked from the next repaint on, until
    // the grid reads its rows anew.
    void markChangedByOthers(const QString &table, const QList<qint64> &rows, bool many);
    bool changedByOthers(int row) const;

    // The grid's AllowAddNew, AllowUpdate and AllowDelete.
    void setAllowAddNew(bool allow);
    void setAllowUpdate(bool allow) { m_allowUpdate = allow; }
    void setAllowDelete(bool allow) { m_allowDelete = allow; }
    bool allowDelete() const { return m_allowDelete; }

    // Hooks of the window: the confirmations (set cancel to refuse) and the
    // report of a write the database refused.
    std::function<void(bool &cancel)> beforeUpdate;
    std::function<void(bool &cancel)> beforeDelete;
    std::function<void(const DataError &error)> writeFailed;
    // Hooks of the main window, so that a row written here goes through the
    // checks its record pane's saves go through: before a stored row is
    // updated, the work the update's transaction must also do (empty:
    // none); after a row was stored (added: a new one) or deleted.
    std::function<std::function<void(QSqlQuery &)>(
        const RecordSet &rs, qint64 key, const QVariantList &before, const QVariantList &after)>
        beforeRowUpdate;
    std::function<void(const RecordSet &rs, qint64 key, const QVariantList &before,
                       const QVariantList &stored, bool added)>
        rowSaved;
    std::function<void(const RecordSet &rs, qint64 key, const QVariantList &values)> rowDeleted;
    // A row could not be read; called once until reads resume.
    std::function<void(const DataError &error)> readFailed;
    // After a failed read nothing more is read until the steward moves;
    // true when reads were held.
    bool resumeReads();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Reads every key, for a jump to the last row.
    void fetchAll();
    // Rows holding stored records (the new-row line not counted).
    int storedRows() const { return m_rows; }
    bool isNewRowLine(int row) const { return m_newRowShown && row == m_rows; }
    // Characters a column takes (0: no limit), for the editor.
    int columnLength(int column) const;

    bool hasPending() const { return m_pending.has_value(); }
    int pendingRow() const;
    bool isPendingRow(int row) const;
    // Writes the pending row after asking; false when it is still pending
    // (the write failed and may be tried again).
    bool commitPending();
    void discardPending();
    // Deletes stored rows, asking for each; rows are given in any order.
    void deleteRows(QList<int> rows);

    void setCurrentRow(int row);

  private:
    struct Pending {
        qint64 key = -1; // -1: the new-row line
        QVariantList original;
        QVariantList values;
    };

    void connectRecordset();
    void onRowsInserted(int first, int last);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    void onRowsReset();
    void syncNewRowLine();
    void resetAll();
    const QVariantList &rowAt(int row) const;
    void readFailure(const DataError &error) const;
    QVariantList blankRow() const;

    std::shared_ptr<RecordSet> m_rs;
    QSet<qint64> m_changedByOthers;
    bool m_allChangedByOthers = false;
    QList<QMetaObject::Connection> m_connections;
    bool m_allowAddNew = true;
    bool m_allowUpdate = true;
    bool m_allowDelete = true;
    int m_rows = 0; // stored rows the view has been told about
    bool m_newRowShown = false;
    int m_autoKeyColumn = -1;
    QList<int> m_lengths;
    std::optional<Pending> m_pending;
    int m_currentRow = -1;
    mutable QCache<qint64, QVariantList> m_cache{512};
    mutable QVariantList m_scratch;
    mutable bool m_readsHeld = false;
};
