#include "caseform/RecordBinder.h"

#include "caseform/BoundBox.h"
#include "platform/MousePointer.h"
#include "records/CaseDatabase.h"

#include <QScopeGuard>
#include <utility>

RecordBinder::RecordBinder(int index, QObject *parent) : QObject(parent), m_index(index) {}

RecordBinder::~RecordBinder() = default;

// The Validate handler shows the hourglass and the Reposition handler takes
// it away, but an operation may end without a Reposition: an Update that
// stays on its record, a refused save, a close that was called off. The
// outermost operation puts the normal pointer back whenever it raised
// Validate.
class RecordBinder::Settling
{
  public:
    explicit Settling(RecordBinder &pane) : m_pane(pane) { ++m_pane.m_depth; }
    ~Settling()
    {
        if (--m_pane.m_depth == 0 && m_pane.m_validated) {
            m_pane.m_validated = false;
            MousePointer::set(MousePointer::Default);
        }
    }
    Settling(const Settling &) = delete;
    Settling &operator=(const Settling &) = delete;

  private:
    RecordBinder &m_pane;
};

void RecordBinder::raiseMouseDown()
{
    if (onMouseDown)
        onMouseDown(m_index);
}

void RecordBinder::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    Q_EMIT captionChanged(m_caption);
}

void RecordBinder::bind(BoundBox *box, const QString &field)
{
    m_bindings.append({box, field, -1, box->text()});
    connect(box, &BoundBox::changed, this, &RecordBinder::boxChanged);
}

void RecordBinder::presetField(BoundBox *box, const QString &text)
{
    const bool wasLoading = m_loading;
    m_loading = true;
    box->setText(text);
    m_loading = wasLoading;
}

void RecordBinder::boxChanged()
{
    if (!m_loading)
        m_edited = true;
}

void RecordBinder::raiseError(const DataError &e)
{
    int response = 1;
    if (onError)
        onError(m_index, e.number(), e.description(), response);
}

void RecordBinder::validate(int action)
{
    m_validated = true;
    bool save = true;
    if (onValidate)
        onValidate(m_index, action, save);
}

void RecordBinder::reposition()
{
    if (onReposition)
        onReposition(m_index);
    Q_EMIT shown();
}

bool RecordBinder::showStoredAgain()
{
    if (!m_rs || m_edited || m_loadedKey < 0 || m_depth > 0 ||
        m_rs->editMode() != RecordSet::NoEdit)
        return false;
    try {
        m_rs->setBookmark(m_loadedKey);
    } catch (const DataError &e) {
        // No longer in the pane's set: the caller says the pane shows the
        // record as it was.
        if (e.number() != DataErrors::NoCurrentRecord)
            raiseError(e);
        return false;
    }
    loadBoxes();
    reposition();
    return true;
}

void RecordBinder::watch(const std::shared_ptr<RecordSet> &rs)
{
    for (const auto &c : std::as_const(m_rsConnections))
        disconnect(c);
    m_rsConnections.clear();
    if (!rs)
        return;
    // A grid sharing this record set changed or removed the row shown here.
    // What the steward typed stays on screen whatever happens to the row:
    // a new record is not tied to it at all, and an edited one is reported
    // when its save finds the row gone.
    RecordSet *raw = rs.get();
    m_rsConnections << connect(raw, &RecordSet::rowChanged, this, [this, raw](int row) {
        if (raw == m_rs.get() && !m_edited && row == raw->absolutePosition())
            loadBoxes();
    });
    m_rsConnections << connect(raw, &RecordSet::rowRemoved, this, [this, raw](int) {
        if (raw == m_rs.get() && !m_edited && !raw->hasCurrent() &&
            raw->editMode() == RecordSet::NoEdit) {
            loadBoxes();
            reposition();
        }
    });
    // A grid requeries the shared set: the record typed here is saved to its
    // own row first, never onto whatever row is current afterwards. A save
    // that is refused keeps the typed values on screen, edited, and the next
    // save still finds their row.
    m_rsConnections << connect(raw, &RecordSet::aboutToRequery, this, [this, raw] {
        if (raw != m_rs.get() || !m_edited)
            return;
        try {
            save();
        } catch (const DataError &e) {
            raiseError(e);
        }
    });
    m_rsConnections << connect(raw, &RecordSet::rowsReset, this, [this, raw] {
        if (raw != m_rs.get() || m_edited)
            return;
        try {
            if (!raw->hasCurrent() && raw->isEOF())
                raw->addNew();
        } catch (const DataError &e) {
            raiseError(e); // runs inside another window's command: never throw into it
        }
        loadBoxes();
        reposition();
    });
}

void RecordBinder::loadBoxes()
{
    m_loading = true;
    m_loadedValues = m_rs && m_rs->hasCurrent() ? m_rs->values() : QVariantList();
    m_loadedKey =
        m_rs && m_rs->hasCurrent() && m_rs->editMode() != RecordSet::Adding ? m_rs->bookmark() : -1;
    m_loadedNew = m_rs && m_rs->editMode() == RecordSet::Adding;
    for (Binding &b : m_bindings) {
        if (!b.box)
            continue;
        QString text;
        if (m_rs) {
            if (b.column < 0)
                b.column = m_rs->fieldIndex(b.field);
            const QVariant v = m_rs->value(b.column);
            text = v.isNull() ? QString() : v.toString();
        }
        b.loaded = text;
        b.box->setText(text); // raises the box's change notification now
    }
    m_loading = false;
    m_edited = false;
    m_stale = false;
}

void RecordBinder::open(const DataError *failure)
{
    m_rs.reset();
    try {
        if (failure)
            throw *failure;
        if (!m_db || !m_db->isOpen())
            throw DataError(DataErrors::CannotOpen, QStringLiteral("The database is not open."));
        m_rs = std::make_shared<RecordSet>(m_db, m_recordSource, m_recordsetType);
        for (Binding &b : m_bindings)
            b.column = m_rs->fieldIndex(b.field);
        if (!m_rs->hasCurrent())
            m_rs->addNew();
    } catch (const DataError &e) {
        m_rs.reset();
        raiseError(e);
    }
    watch(m_rs);
    loadBoxes();
    reposition();
}

// The boxes belong to the record they were loaded from, wherever the record
// set stands now: a grid's requery or a failed move may have taken it
// elsewhere. A row that is no longer there was deleted or changed away.
void RecordBinder::returnToLoadedRecord()
{
    if (m_rs->hasCurrent() && m_rs->bookmark() == m_loadedKey)
        return;
    try {
        m_rs->setBookmark(m_loadedKey);
        return;
    } catch (const DataError &e) {
        if (e.number() != DataErrors::NoCurrentRecord)
            throw;
    }
    m_stale = true;
    if (m_rs->valuesOf(m_loadedKey).isEmpty())
        throw DataError(DataErrors::RowDeleted,
                        QStringLiteral("The %1 was deleted; your changes were not saved.")
                            .arg(m_rs->describeRow(m_loadedValues)));
    throw DataError(DataErrors::WriteConflict,
                    QStringLiteral("The %1 was changed since you read it; your changes were not "
                                   "saved. Reload the record to see the other change.")
                        .arg(m_rs->describeRow(m_loadedValues)));
}

void RecordBinder::save()
{
    if (!m_rs || !m_edited)
        return;
    if (m_rs->editMode() == RecordSet::NoEdit) {
        if (m_loadedKey >= 0) {
            returnToLoadedRecord();
            m_rs->edit(m_loadedValues);
        } else {
            m_rs->addNew();
        }
    }
    for (const Binding &b : std::as_const(m_bindings)) {
        if (!b.box || b.column < 0)
            continue;
        const QString text = b.box->text();
        if (text != b.loaded)
            m_rs->setValue(b.column, text.isEmpty() ? QVariant(QMetaType(QMetaType::QString))
                                                    : QVariant(text));
    }
    const bool adding = m_rs->editMode() == RecordSet::Adding;
    const QVariantList before = m_loadedValues;
    if (!adding && onBeforeSave)
        onBeforeSave(m_index, before, m_rs->values());
    // A save that fails keeps the record set ready to try again with what
    // is on screen.
    auto cancelOnFailure = qScopeGuard([this, adding] {
        if (!adding)
            m_rs->cancelUpdate();
    });
    try {
        m_rs->update();
    } catch (const DataError &e) {
        // Someone else changed or deleted the record: saving again can only
        // fail again, so Refresh must be able to reload it.
        if (e.number() == DataErrors::WriteConflict || e.number() == DataErrors::RowDeleted)
            m_stale = true;
        throw;
    }
    cancelOnFailure.dismiss();
    for (Binding &b : m_bindings)
        if (b.box)
            b.loaded = b.box->text();
    m_edited = false;
    // From now on the boxes hold the record as stored: the next save checks
    // the row against this, whether or not the pane moves first.
    m_loadedKey = m_rs->lastModified();
    m_loadedNew = false;
    // As this save stored it, which the boxes show: not a change another
    // steward made right after, which the next save must find.
    m_loadedValues = m_rs->lastWritten();
    m_savedRecord = m_rs->describeRow(m_loadedValues);
    if (onSaved)
        onSaved(m_index, m_loadedKey, before, m_loadedValues, adding);
    Q_EMIT stored();
}

void RecordBinder::navigate(int action)
{
    if (!m_rs)
        return;
    const Settling settling(*this);
    validate(action);
    try {
        save();
        if (m_rs->editMode() == RecordSet::Adding)
            m_rs->cancelUpdate(); // an untouched new record is dropped
        switch (action) {
        case MoveFirstAction:
            m_rs->moveFirst();
            break;
        case MovePreviousAction:
            if (!m_rs->isBOF())
                m_rs->movePrevious();
            if (m_rs->isBOF())
                m_rs->moveFirst(); // before the first: stay on the first
            break;
        case MoveNextAction:
            if (!m_rs->isEOF())
                m_rs->moveNext();
            break;
        case MoveLastAction:
            m_rs->moveLast();
            break;
        }
        if (m_rs->isEOF() || !m_rs->hasCurrent())
            m_rs->addNew(); // past the last: a new, blank record
    } catch (const DataError &e) {
        raiseError(e);
        return; // the boxes keep what the steward typed
    }
    loadBoxes();
    reposition();
}

QString RecordBinder::takeSavedRecord()
{
    return std::exchange(m_savedRecord, QString());
}

void RecordBinder::refresh()
{
    // The steward was told that the edit of a record changed elsewhere was
    // not saved and to reload it; Refresh is that reload.
    if (m_rs && !m_stale)
        save();
    if (!m_db || !m_db->isOpen())
        throw DataError(DataErrors::CannotOpen, QStringLiteral("The database is not open."));
    auto fresh = std::make_shared<RecordSet>(m_db, m_recordSource, m_recordsetType);
    m_rs = std::move(fresh);
    for (Binding &b : m_bindings)
        b.column = m_rs->fieldIndex(b.field);
    if (!m_rs->hasCurrent())
        m_rs->addNew();
    watch(m_rs);
    loadBoxes();
    reposition();
}

void RecordBinder::updateRecord()
{
    requireRecordset();
    const Settling settling(*this);
    validate(UpdateAction);
    const bool adding =
        m_rs->editMode() == RecordSet::Adding || (m_loadedKey < 0 && (m_loadedNew || m_edited));
    // Update writes even an untouched record: a new one is stored as it is,
    // and a stored one becomes the last modified record.
    if (adding || m_loadedKey >= 0)
        m_edited = true;
    save();
    // The record set went back to the record it stood on before AddNew; the
    // boxes show the new one, so stay there, or the next edit would be
    // written into the other record.
    if (adding)
        m_rs->setBookmark(m_rs->lastModified());
}

void RecordBinder::requireRecordset() const
{
    if (!m_rs)
        throw DataError(DataErrors::CannotOpen, QStringLiteral("The database is not open."));
}

void RecordBinder::changeRecord(int action, const std::function<void()> &move)
{
    requireRecordset();
    const Settling settling(*this);
    validate(action);
    save();
    if (m_rs->editMode() == RecordSet::Adding)
        m_rs->cancelUpdate(); // an untouched new record is dropped
    move();
    loadBoxes();
    reposition();
}

void RecordBinder::addNew()
{
    changeRecord(AddNewAction, [this] { m_rs->addNew(); });
}

void RecordBinder::deleteCurrent()
{
    requireRecordset();
    const Settling settling(*this);
    validate(DeleteAction);
    if (m_rs->editMode() == RecordSet::Adding || m_loadedKey < 0) {
        // Deleting a record that was never stored only drops it.
        m_rs->cancelUpdate();
        m_edited = false;
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    }
    // Delete the record on screen, not whatever row a grid left current.
    returnToLoadedRecord();
    m_rs->cancelUpdate();
    m_edited = false;
    m_rs->deleteCurrent(m_loadedValues);
}

void RecordBinder::moveNext()
{
    changeRecord(MoveNextAction, [this] { m_rs->moveNext(); });
}

void RecordBinder::setBookmark(qint64 key)
{
    changeRecord(BookmarkAction, [this, key] { m_rs->setBookmark(key); });
}

bool RecordBinder::close()
{
    if (!m_rs)
        return true;
    const Settling settling(*this);
    validate(CloseAction);
    try {
        save();
    } catch (const DataError &e) {
        raiseError(e);
        return false;
    }
    return true;
}
