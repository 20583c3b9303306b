#pragma once

#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"

#include <QObject>
#include <QSet>
#include <QVariantList>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class CaseDatabase;
class QSqlQuery;

// A dynaset: the keys of the rows a record source selects, read in
// growing chunks as the steward moves through them, plus the current row's
// values. Opening one over a million rows reads one small chunk of keys.
//
// Every write is one immediate transaction with bound values. An update
// writes only when the row still holds the values it was read with: a row
// changed or deleted by someone else is reported, never overwritten.
//
// Several observers (a record pane, grid windows) may share one record set;
// the signals tell them when rows change under them.
class RecordSet : public QObject
{
    Q_OBJECT
  public:
    enum Type { Table = 0, Dynaset = 1, Snapshot = 2 };
    enum EditMode { NoEdit, Editing, Adding };

    // Opens the record source (a table name or a SELECT statement in the Jet
    // dialect). Throws DataError.
    RecordSet(std::shared_ptr<CaseDatabase> db, const QString &source, int type = Dynaset);
    ~RecordSet() override;

    const QString &source() const { return m_source; }
    int type() const { return m_type; }
    const QString &tableName() const { return m_query.table; }
    CaseDatabase &database() const { return *m_db; }

    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int index) const { return m_fields.value(index); }
    const QStringList &fieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const;

    // Navigation, with the classic BOF/EOF rules: an empty set is at both.
    bool isBOF() const;
    bool isEOF() const;
    bool hasCurrent() const;
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    int absolutePosition() const; // -1 when there is no current stored record
    qint64 bookmark() const;      // the current row's key; throws NoCurrentRecord
    void setBookmark(qint64 key); // moves to that row; throws when it is not in the set
    qint64 lastModified() const { return m_lastModified; } // -1 when none
    // That record as the last add or update of this set left it, read back
    // inside its own write: what the steward saved, without a change another
    // steward made just after.
    const QVariantList &lastWritten() const { return m_lastWritten; }

    QVariant value(int field) const;
    QVariantList values() const { return m_editMode == NoEdit ? m_current : m_buffer; }

    // Editing.
    EditMode editMode() const { return m_editMode; }
    void addNew();
    // Starts editing the current record; asRead, when given, holds the values
    // the editor showed, which the row must still hold when it is written.
    void edit(const QVariantList &asRead = {});
    void setValue(int field, const QVariant &value);
    void update();
    void cancelUpdate();
    // Deletes the current record only while it still holds asRead (what the
    // steward saw; the set's own copy when not given): a record changed or
    // deleted by someone else meanwhile is reported and stays.
    void deleteCurrent(const QVariantList &asRead = {});
    // Work that the next update of an edited record runs inside its own
    // transaction, after writing the record: a change that must stand or
    // fall with it. Every update, written or refused, and cancelUpdate
    // forget it.
    void setAlsoWrite(std::function<void(QSqlQuery &)> work) { m_alsoWrite = std::move(work); }

    void requery();

    // Filter and Sort stay with this record set; openRecordset applies both
    // to a new one, as they stand now.
    const QString &filter() const { return m_filter; }
    void setFilter(const QString &f) { m_filter = f; }
    const QString &sort() const { return m_sort; }
    void setSort(const QString &s) { m_sort = s; }
    std::shared_ptr<RecordSet> openRecordset(int type) const;

    // The SQL (the database's dialect, parameters bound from `params`) that
    // reads every field of the rows this set selects, in its order: what a
    // grid over it shows, for a copy made on a connection of another thread.
    QString exportQuery(QVariantList *params) const;

    // Row access for grids, by position in the set.
    int loadedCount() const { return int(m_keys.size()); }
    bool isComplete() const { return m_complete; }
    int fetchMore(int atLeast); // returns how many keys were added
    void fetchAll();
    qint64 keyAt(int row) const { return m_keys.at(row); }
    int rowOfKey(qint64 key) const { return int(m_keys.indexOf(key)); }
    QVariantList rowValues(int row) const;   // empty list when the row is gone
    QVariantList valuesOf(qint64 key) const; // the row with that key as stored now; empty when gone
    // Names a record the way the steward knows it, for messages.
    QString describeRow(const QVariantList &values) const;
    // alsoWrite, when given, runs in the same transaction (as setAlsoWrite).
    void updateRow(int row, const QVariantList &original, const QVariantList &changed,
                   const std::function<void(QSqlQuery &)> &alsoWrite = {});
    // With asRead, only while the row still holds it (as deleteCurrent).
    void deleteRow(int row, const QVariantList &asRead = {});
    int insertRow(const QVariantList &values); // returns its row

  Q_SIGNALS:
    // Before requery() forgets the current row: a sharer holding unsaved
    // values for it saves them now, while they can still reach their row.
    void aboutToRequery();
    void rowsReset();
    void rowsInserted(int first, int last);
    void rowRemoved(int row);
    void rowChanged(int row);

  private:
    RecordSet(std::shared_ptr<CaseDatabase> db, const SelectQuery &query, const QString &source,
              int type);
    void init();
    void resolveOrder();
    bool ensureLoaded(int row);
    void moveTo(int pos);
    // Empty when the row is gone. `lock`: inside a write, the row stays as
    // read until the write ends.
    QVariantList readRow(qint64 key, bool lock = false) const;
    // The current record's values: the row as stored, or empty values when
    // it was deleted (the next write of it is refused as deleted).
    QVariantList shownRow(qint64 key) const;
    QVariantList shown(QVariantList row) const;
    void requireWritable() const;
    void removeKeyAt(int row);
    void writeUpdate(qint64 key, const QVariantList &original, const QVariantList &changed,
                     const QVector<bool> &dirty,
                     const std::function<void(QSqlQuery &)> &alsoWrite = {});
    // `addition`: the pane's new record (m_additions), 0 for a grid row.
    qint64 writeInsert(const QVariantList &values, const QVector<bool> &dirty, quint64 addition);
    bool sameValues(const QVariantList &now, const QVariantList &read) const;
    bool sameValue(const QVariant &a, const QVariant &b) const;
    // Keeps the identity of the save written by `work` (on a server that
    // keeps them), and when its answer is lost with the connection, what it
    // wrote: `key` the record updated, -1 a new one.
    // `work` returns the key of the row it wrote and the row as it reads.
    void writeRemembered(qint64 key, quint64 addition, const QVariantList &values,
                         const QVector<bool> &dirty,
                         const std::function<std::pair<qint64, QVariantList>(QSqlQuery &)> &work);
    // Which unanswered save the one about to write `values` tries again:
    // the same record (`key`), the pane's same new record (`addition`), or
    // a grid's new row typed the same; -1 when none.
    int unansweredRetried(qint64 key, quint64 addition, const QVariantList &values) const;
    // What became of it: the row it stored (its key, and the row as the
    // server holds it now, and whether that is still as the save left it),
    // or nothing when it stored nothing. Throws while the server cannot be
    // asked; the save stays unanswered then.
    struct Answer {
        qint64 key = -1;
        QVariantList now;
        bool asSaved = false;
        QVector<bool> later; // fields the retry writes differently from the lost save
    };
    std::optional<Answer> answerOfUnanswered(qint64 key, quint64 addition,
                                             const QVariantList &values,
                                             const QVector<bool> &dirty);
    DataError deletedMeanwhile(const QVariantList &original) const;

    std::shared_ptr<CaseDatabase> m_db;
    SelectQuery m_query;
    QString m_source;
    int m_type = Dynaset;
    QStringList m_fields;
    QString m_selectColumns;
    QList<SortTerm> m_order;
    int m_autoKeyField = -1; // the automatically numbered field, never written
    QString m_keyExpression; // what names a row for good (the back end's key)

    QVector<qint64> m_keys;
    QSet<qint64> m_added; // added here, so a later chunk must not bring them again
    int m_fetched = 0;    // keys in m_keys that came from the query (the rest were added)
    bool m_complete = false;
    // The first chunk is what a record pane shows at once (one record, and the
    // next few for moving on); later chunks grow fourfold up to MaxChunk.
    static constexpr int FirstChunk = 16;
    int m_chunk = FirstChunk;
    QVariantList m_lastSortValues;
    qint64 m_lastKey = 0;

    int m_pos = -1;
    bool m_onDeleted = false; // the current row was deleted; a move leaves it
    QVariantList m_current;
    qint64 m_currentKey = -1;
    qint64 m_lastModified = -1;
    QVariantList m_lastWritten;

    EditMode m_editMode = NoEdit;
    QVariantList m_buffer;
    QVariantList m_original;
    QVector<bool> m_dirty;
    std::function<void(QSqlQuery &)> m_alsoWrite;
    quint64 m_additions = 0; // addNew() calls: which new record is being added

    // A save whose answer the server never gave: the connection broke around
    // its commit, which may or may not have happened.
    struct Unanswered {
        QString id;
        qint64 key = -1;      // the record it updated; -1 a new one
        quint64 addition = 0; // the pane's new record; 0 a grid row
        QVariantList values;  // what it wrote
        QVector<bool> dirty;
    };
    QList<Unanswered> m_unanswered; // the latest few

    QString m_filter;
    QString m_sort;
};
