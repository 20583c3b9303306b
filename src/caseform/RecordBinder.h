#pragma once

#include "jetsql/DataError.h"
#include "records/RecordSet.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class BoundBox;
class CaseDatabase;

// The data control without its face: a record set over the case database
// and the binding of boxes to the fields of the current record. A navigator
// bar (NavigatorBar) drives its moves and shows its caption.
//
// Binding: every change of the current record loads the boxes (each box
// raising its change notification inside the assignment); any later change
// of a box's text marks the record edited; an edited record is written back
// before every move, on UpdateRecord, before a Refresh and when the pane
// closes. A new record nobody touched is dropped.
//
// Work the binder does on its own (opening, bar moves, closing) reports
// failures through the Error event; operations a handler calls throw
// DataError to that handler.
class RecordBinder : public QObject
{
    Q_OBJECT
  public:
    // Validate action codes.
    enum Action {
        MoveFirstAction = 1,
        MovePreviousAction,
        MoveNextAction,
        MoveLastAction,
        AddNewAction,
        UpdateAction,
        DeleteAction,
        FindAction,
        BookmarkAction,
        CloseAction
    };

    explicit RecordBinder(int index, QObject *parent = nullptr);
    ~RecordBinder() override;

    int index() const { return m_index; }

    // Events, as the main window handles them.
    std::function<void(int index, int dataErr, const QString &text, int &response)> onError;
    std::function<void(int index)> onReposition;
    std::function<void(int index, int action, bool &save)> onValidate;
    std::function<void(int index)> onMouseDown;
    // Before the changes of a stored record are written: the record as the
    // boxes were loaded from it and as it is about to be written. The
    // handler may give the record set work for the same transaction
    // (RecordSet::setAlsoWrite).
    std::function<void(int index, const QVariantList &before, const QVariantList &after)>
        onBeforeSave;
    // After a save stored the record (new when added is true): its key, the
    // record as loaded before and as stored now.
    std::function<void(int index, qint64 key, const QVariantList &before,
                       const QVariantList &stored, bool added)>
        onSaved;

    void setDatabase(std::shared_ptr<CaseDatabase> db) { m_db = std::move(db); }
    std::shared_ptr<CaseDatabase> database() const { return m_db; }

    void bind(BoundBox *box, const QString &field);

    QString recordSource() const { return m_recordSource; }
    void setRecordSource(const QString &source) { m_recordSource = source; }
    int recordsetType() const { return m_recordsetType; }
    void setRecordsetType(int type) { m_recordsetType = type; }

    // Opens the record source at start-up; failures go to the Error event.
    // With failure set (the database itself did not open), only reports it
    // and stays empty.
    void open(const DataError *failure = nullptr);
    // Rebuilds the record set from the record source and shows its first
    // record (a new blank one when empty). Saves an edited record first.
    void refresh();
    // Writes the boxes into the current record now.
    void updateRecord();

    // The pane's record set; null when the database did not open.
    std::shared_ptr<RecordSet> recordset() const { return m_rs; }
    RecordSet *rs() const { return m_rs.get(); }

    // Record-set operations that change the current record, keeping the
    // boxes bound. They throw DataError to the calling handler.
    void addNew();
    void deleteCurrent();
    void moveNext();
    void setBookmark(qint64 key);

    // Fills a box of a new record for the steward (the linked file number)
    // without counting it as the steward's edit: the value is stored with
    // the record, but a record holding nothing else is still dropped when
    // the pane moves away untouched.
    void presetField(BoundBox *box, const QString &text);

    // The record the last successful save stored, as the steward knows it
    // ("Employee record with Name ..."), and forgets it; empty when no save
    // has stored anything since the last call.
    QString takeSavedRecord();

    bool isEdited() const { return m_edited; }
    // The key of the stored record the boxes were loaded from; -1 for a
    // new record.
    qint64 shownKey() const { return m_loadedKey; }
    // Another program changed the record shown: without typing, the boxes
    // show it as it is stored now (true); with typing they keep what was
    // typed, and its next save meets the change as a write conflict.
    // Failures go to the Error event.
    bool showStoredAgain();
    bool isOnNewRecord() const { return m_rs && m_rs->editMode() == RecordSet::Adding; }

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // A move of the navigator bar: MoveFirstAction to MoveLastAction. Before
    // the first record it stays on the first; past the last it starts a new
    // one. Failures go to the Error event.
    void navigate(int action);
    // The steward pressed the mouse on the navigator bar.
    void raiseMouseDown();

    // The pane is closing with its window: saves an edited record. Returns
    // false when the save failed (the boxes keep what was typed).
    bool close();

  Q_SIGNALS:
    void captionChanged(const QString &caption);
    // The boxes show a record: another one, or the same anew.
    void shown();
    // A save stored the record shown.
    void stored();

  private:
    class Settling;
    void returnToLoadedRecord();
    void requireRecordset() const;
    // Leaves the current record (saving or dropping it) and moves.
    void changeRecord(int action, const std::function<void()> &move);
    void save();
    void loadBoxes();
    void raiseError(const DataError &e);
    void validate(int action);
    void reposition();
    void boxChanged();
    void watch(const std::shared_ptr<RecordSet> &rs);

    int m_index;
    std::shared_ptr<CaseDatabase> m_db;
    std::shared_ptr<RecordSet> m_rs;
    QString m_recordSource;
    int m_recordsetType = RecordSet::Dynaset;

    struct Binding {
        QPointer<BoundBox> box;
        QString field;
        int column = -1;
        QString loaded;
    };
    QList<Binding> m_bindings;
    QVariantList m_loadedValues; // the record as the boxes were loaded from it
    qint64 m_loadedKey = -1;     // its key; -1 for a record not stored yet
    bool m_loadedNew = false;    // the boxes were loaded from a record being added
    QString m_savedRecord;
    int m_depth = 0;          // operations under way (they nest)
    bool m_validated = false; // one of them raised Validate
    bool m_loading = false;
    bool m_edited = false;
    bool m_stale = false; // the last save found the record changed or deleted by someone else

    QString m_caption;
    QList<QMetaObject::Connection> m_rsConnections;
};
