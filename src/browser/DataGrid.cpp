#include "browser/DataGrid.h"

#include "browser/GridLayout.h"
#include "browser/GridTableModel.h"
#include "platform/LengthLimit.h"
#include "platform/Twips.h"
#include "records/RecordSet.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

// Cell editors hold no more characters than the column takes, never half of
// one; a value already longer (stored by other means) is offered whole,
// never cut.
class GridCellDelegate : public QStyledItemDelegate
{
  public:
    explicit GridCellDelegate(DataGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        m_grid->m_editor = editor;
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            const int limit = m_grid->gridModel()->columnLength(index.column());
            const int have = index.data(Qt::EditRole).toString().size();
            line->setValidator(
                new LengthLimitValidator(limit > 0 ? std::max(limit, have) : 0, line));
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

  private:
    DataGrid *m_grid;
};

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), m_model(new GridTableModel(this))
{
    setModel(m_model);
    setItemDelegate(new GridCellDelegate(this));
    // TabAction 0: Tab leaves the grid for the next control.
    setTabKeyNavigation(false);
    // WrapCellPointer off: arrows stop at the row's ends.
    setWordWrap(false);
    // RowDividerStyle 2: a dark line between rows; MarqueeUnique: one cell marked.
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    // HeadLines 1.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setResizeContentsPrecision(0); // visible rows only
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(
        std::max(fontMetrics().height() + 4, Twips::toPixels(GridLayout::RowHeight)));
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setFixedWidth(Twips::toPixels(240));
    verticalHeader()->setHighlightSections(false);

    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::headClick);
    // A record set starts on the row it stands on, as a data control does: a
    // pane's record for a shared set, the first row of a new or requeried one.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->rowCount() > 0 && !currentIndex().isValid())
            setCurrentIndex(m_model->index(recordsetRow(), 0));
    });
    // After a read failed, the steward's next move in the grid tries again.
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { resumeReads(); });
}

int DataGrid::recordsetRow() const
{
    const std::shared_ptr<RecordSet> &rs = m_model->recordset();
    const int row = rs ? rs->absolutePosition() : -1;
    return row >= 0 && row < m_model->storedRows() ? row : 0;
}

void DataGrid::resumeReads()
{
    if (m_model->resumeReads())
        viewport()->update(); // the rows left blank are asked for again
}

void DataGrid::wheelEvent(QWheelEvent *event)
{
    resumeReads();
    QTableView::wheelEvent(event);
}

DataGrid::~DataGrid() = default;

void DataGrid::setRecordset(std::shared_ptr<RecordSet> recordset)
{
    m_model->setRecordset(std::move(recordset));
    sizeColumns();
}

void DataGrid::sizeColumns()
{
    // DefColWidth 0: widths follow the header and the rows on screen.
    resizeColumnsToContents();
    const int least = Twips::toPixels(GridLayout::MinColumnWidth);
    const int most = Twips::toPixels(GridLayout::MaxColumnWidth);
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, std::clamp(columnWidth(c), least, most));
}

void DataGrid::setAllowAddNew(bool allow)
{
    m_model->setAllowAddNew(allow);
}

void DataGrid::setAllowUpdate(bool allow)
{
    m_model->setAllowUpdate(allow);
}

void DataGrid::setAllowDelete(bool allow)
{
    m_model->setAllowDelete(allow);
}

void DataGrid::setColumnHeaders(bool shown)
{
    horizontalHeader()->setVisible(shown);
}

int DataGrid::shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    // Filters run before the header's own release handling, which is
    // where it reports the click: so MouseUp always precedes HeadClick.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        const int button = me->button() == Qt::LeftButton     ? 1
                           : me->button() == Qt::RightButton  ? 2
                           : me->button() == Qt::MiddleButton ? 4
                                                              : 0;
        const QPoint at = mapFromGlobal(me->globalPosition().toPoint());
        Q_EMIT mouseUp(button, shiftMask(me->modifiers()), Twips::fromPixels(at.x()),
                       Twips::fromPixels(at.y()));
    }
    return QTableView::eventFilter(watched, event);
}

bool DataGrid::commitPending()
{
    if (m_editor && state() == QAbstractItemView::EditingState) {
        QWidget *editor = m_editor;
        m_editor = nullptr;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    return m_model->commitPending();
}

void DataGrid::deleteSelectedRows()
{
    QList<int> rows;
    for (const QModelIndex &i : selectionModel()->selectedRows())
        rows << i.row();
    if (rows.isEmpty() && currentIndex().isValid())
        rows << currentIndex().row();
    m_model->deleteRows(rows);
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    resumeReads();
    const bool editing = state() == QAbstractItemView::EditingState;
    if (!editing && event->key() == Qt::Key_Delete && m_model->allowDelete() &&
        !selectionModel()->selectedRows().isEmpty()) {
        deleteSelectedRows();
        return;
    }
    if (!editing && event->key() == Qt::Key_Escape && m_model->hasPending()) {
        m_model->discardPending();
        return;
    }
    const bool arrow = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                       event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (arrow && !m_allowArrows) {
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_End && (event->modifiers() & Qt::ControlModifier))
        m_model->fetchAll(); // the last row is the table's last, not the last read
    QTableView::keyPressEvent(event);
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base class hands an open editor's text to the model first.
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() && m_model->hasPending() &&
        m_model->pendingRow() != current.row())
        m_model->commitPending();
    m_model->setCurrentRow(current.isValid() ? current.row() : -1);
}
