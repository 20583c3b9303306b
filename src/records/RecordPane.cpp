#include "records/RecordPane.h"

#include "platform/TextBox.h"
#include "records/CaseDatabase.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

RecordPane::RecordPane(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const char *glyphs[4] = {"|◀", "◀", "▶", "▶|"};
    const char *names[4] = {"First record", "Previous record", "Next record", "Last record"};
    const int actions[4] = {MoveFirstAction, MovePreviousAction, MoveNextAction, MoveLastAction};
    m_caption = new QLabel(this);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::Panel);
    m_caption->setFrameShadow(QFrame::Sunken);
    m_caption->installEventFilter(this);
    for (int i = 0; i < 4; ++i) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf8(glyphs[i]));
        b->setToolTip(QString::fromLatin1(names[i]));
        b->setAccessibleName(QString::fromLatin1(names[i]));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->installEventFilter(this);
        const int action = actions[i];
        connect(b, &QToolButton::clicked, this, [this, action] { navigate(action); });
        m_buttons[i] = b;
    }
    layout->addWidget(m_buttons[0]);
    layout->addWidget(m_buttons[1]);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_buttons[2]);
    layout->addWidget(m_buttons[3]);
}

RecordPane::~RecordPane() = default;

bool RecordPane::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && onMouseDown)
        onMouseDown(m_index);
    return QWidget::eventFilter(watched, event);
}

QString RecordPane::caption() const
{
    return m_caption->text();
}

void RecordPane::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

void RecordPane::bind(TextBox *box, const QString &field)
{
    m_bindings.append({box, field, -1, box->text()});
    connect(box, &TextBox::changed, this, &RecordPane::boxChanged);
}

void RecordPane::presetField(TextBox *box, const QString &text)
{
    const bool wasLoading = m_loading;
    m_loading = true;
    box->setText(text);
    m_loading = wasLoading;
}

void RecordPane::boxChanged()
{
    if (!m_loading)
        m_edited = true;
}

void RecordPane::raiseError(const DataError &e)
{
    int response = 1;
    if (onError)
        onError(m_index, e.number(), e.description(), response);
}

void RecordPane::validate(int action)
{
    bool save = true;
    if (onValidate)
        onValidate(m_index, action, save);
}

void RecordPane::reposition()
{
    if (onReposition)
        onReposition(m_index);
}

void RecordPane::watch(const std::shared_ptr<RecordSet> &rs)
{
    for (const auto &c : std::as_const(m_rsConnections))
        disconnect(c);
    m_rsConnections.clear();
    if (!rs)
        return;
    // A grid sharing this record set changed or removed the row shown here.
    RecordSet *raw = rs.get();
    m_rsConnections << connect(raw, &RecordSet::rowChanged, this, [this, raw](int row) {
        if (raw == m_rs.get() && !m_edited && row == raw->absolutePosition())
            loadBoxes();
    });
    m_rsConnections << connect(raw, &RecordSet::rowRemoved, this, [this, raw](int) {
        if (raw == m_rs.get() && !raw->hasCurrent() && raw->editMode() == RecordSet::NoEdit) {
            loadBoxes();
            reposition();
        }
    });
    // A grid requeries the shared set: the record typed here is saved to its
    // own row first, never onto whatever row is current afterwards.
    m_rsConnections << connect(raw, &RecordSet::aboutToRequery, this, [this, raw] {
        if (raw != m_rs.get() || !m_edited)
            return;
        try {
            save();
        } catch (const DataError &e) {
            raiseError(e);
            m_edited = false; // reported; the boxes reload from the requeried set
        }
    });
    m_rsConnections << connect(raw, &RecordSet::rowsReset, this, [this, raw] {
        if (raw == m_rs.get() && !m_edited) {
            if (!raw->hasCurrent() && raw->isEOF())
                raw->addNew();
            loadBoxes();
            reposition();
        }
    });
}

void RecordPane::loadBoxes()
{
    m_loading = true;
    m_loadedValues = m_rs && m_rs->hasCurrent() ? m_rs->values() : QVariantList();
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

void RecordPane::open(const DataError *failure)
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

void RecordPane::save()
{
    if (!m_rs || !m_edited)
        return;
    if (m_rs->editMode() == RecordSet::NoEdit) {
        if (m_rs->hasCurrent())
            m_rs->edit(m_loadedValues);
        else
            m_rs->addNew();
    }
    for (const Binding &b : std::as_const(m_bindings)) {
        if (!b.box || b.column < 0)
            continue;
        const QString text = b.box->text();
        if (text != b.loaded)
            m_rs->setValue(b.column, text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text));
    }
    const bool adding = m_rs->editMode() == RecordSet::Adding;
    try {
        m_rs->update();
    } catch (const DataError &e) {
        // Someone else changed or deleted the record: saving again can only
        // fail again, so Refresh must be able to reload it.
        if (e.number() == DataErrors::WriteConflict || e.number() == DataErrors::RowDeleted)
            m_stale = true;
        if (!adding)
            m_rs->cancelUpdate();
        throw;
    } catch (...) {
        // Keep the record set ready to try again with what is on screen.
        if (!adding)
            m_rs->cancelUpdate();
        throw;
    }
    for (Binding &b : m_bindings)
        if (b.box)
            b.loaded = b.box->text();
    m_edited = false;
}

void RecordPane::navigate(int action)
{
    if (!m_rs)
        return;
    validate(action);
    try {
        save();
        if (m_rs->editMode() == RecordSet::Adding)
            m_rs->cancelUpdate(); // an untouched new record is dropped
        switch (action) {
        case MoveFirstAction: m_rs->moveFirst(); break;
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
        case MoveLastAction: m_rs->moveLast(); break;
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

void RecordPane::refresh()
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

void RecordPane::updateRecord()
{
    requireRecordset();
    validate(UpdateAction);
    const bool adding = m_rs->editMode() == RecordSet::Adding || (m_edited && !m_rs->hasCurrent());
    // Update writes even an untouched record: a new one is stored as it is,
    // and a stored one becomes the last modified record.
    if (adding || m_rs->hasCurrent())
        m_edited = true;
    save();
    // The record set went back to the record it stood on before AddNew; the
    // boxes show the new one, so stay there, or the next edit would be
    // written into the other record.
    if (adding)
        m_rs->setBookmark(m_rs->lastModified());
    // The boxes now show the record as stored.
    m_loadedValues = m_rs->hasCurrent() ? m_rs->values() : QVariantList();
}

void RecordPane::requireRecordset() const
{
    if (!m_rs)
        throw DataError(DataErrors::CannotOpen, QStringLiteral("The database is not open."));
}

void RecordPane::changeRecord(int action, const std::function<void()> &move)
{
    requireRecordset();
    validate(action);
    save();
    if (m_rs->editMode() == RecordSet::Adding)
        m_rs->cancelUpdate(); // an untouched new record is dropped
    move();
    loadBoxes();
    reposition();
}

void RecordPane::addNew()
{
    changeRecord(AddNewAction, [this] { m_rs->addNew(); });
}

void RecordPane::deleteCurrent()
{
    requireRecordset();
    validate(DeleteAction);
    if (m_rs->editMode() == RecordSet::Adding) {
        // Deleting a record that was never stored only drops it.
        m_rs->cancelUpdate();
        m_edited = false;
        throw DataError(DataErrors::NoCurrentRecord, QStringLiteral("No current record."));
    }
    m_rs->cancelUpdate();
    m_edited = false;
    m_rs->deleteCurrent();
}

void RecordPane::moveNext()
{
    changeRecord(MoveNextAction, [this] { m_rs->moveNext(); });
}

void RecordPane::setBookmark(qint64 key)
{
    changeRecord(BookmarkAction, [this, key] { m_rs->setBookmark(key); });
}

bool RecordPane::close()
{
    if (!m_rs)
        return true;
    validate(CloseAction);
    try {
        save();
    } catch (const DataError &e) {
        raiseError(e);
        return false;
    }
    return true;
}
