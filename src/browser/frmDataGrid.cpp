#include "browser/frmDataGrid.h"

#include "browser/DataGrid.h"
#include "browser/GridDataSource.h"
#include "browser/GridExport.h"
#include "browser/GridLayout.h"
#include "browser/GridTableModel.h"
#include "jetsql/DataError.h"
#include "platform/AppIcon.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/MousePointer.h"
#include "platform/Twips.h"
#include "records/RecordSet.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

namespace
{

QRect placed(const GridLayout::Control &c)
{
    return Twips::rect(c.left, c.top, c.width, c.height);
}

QPushButton *stripButton(const GridLayout::Control &c, QWidget *strip)
{
    auto *b = new QPushButton(QString::fromLatin1(c.caption), strip);
    b->setObjectName(QString::fromLatin1(c.name));
    b->setGeometry(placed(c));
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmDataGrid::frmDataGrid(QWidget *owner, Origin origin)
    : QWidget(owner, Qt::Window), m_owner(owner), m_origin(std::move(origin))
{
    setObjectName(QStringLiteral("frmDataGrid"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(AppIcon::icon());
    resize(Twips::toPixels(GridLayout::ClientWidth), Twips::toPixels(GridLayout::ClientHeight));

    m_data1 = new GridDataSource(this);
    m_data1->setObjectName(QStringLiteral("Data1"));

    auto *strip = new QFrame(this);
    strip->setObjectName(QString::fromLatin1(GridLayout::picButtons.name));
    strip->setGeometry(placed(GridLayout::picButtons));
    strip->setFocusPolicy(Qt::NoFocus);
    picButtons = strip;
    cmdRefresh = stripButton(GridLayout::cmdRefresh, strip);
    cmdSort = stripButton(GridLayout::cmdSort, strip);
    cmdFilter = stripButton(GridLayout::cmdFilter, strip);
    cmdClose = stripButton(GridLayout::cmdClose, strip);
    cmdExport = stripButton(GridLayout::cmdExport, strip);

    grdDataGrid = new DataGrid(this);
    grdDataGrid->setObjectName(QString::fromLatin1(GridLayout::grdDataGrid.name));
    grdDataGrid->setAccessibleName(QStringLiteral("Records"));
    grdDataGrid->setGeometry(placed(GridLayout::grdDataGrid));
    grdDataGrid->setAllowAddNew(true);
    grdDataGrid->setAllowDelete(true);
    grdDataGrid->setAllowUpdate(true);
    grdDataGrid->setAllowArrows(true);
    grdDataGrid->setColumnHeaders(true);

    setTabOrder(cmdRefresh, cmdSort);
    setTabOrder(cmdSort, cmdFilter);
    setTabOrder(cmdFilter, cmdClose);
    setTabOrder(cmdClose, cmdExport);
    setTabOrder(cmdExport, grdDataGrid);
    // The window opens with the keyboard in the grid: the arrow keys move
    // through the rows at once.
    grdDataGrid->setFocus(Qt::OtherFocusReason);

    connect(cmdRefresh, &QPushButton::clicked, this, &frmDataGrid::cmdRefresh_Click);
    connect(cmdSort, &QPushButton::clicked, this, &frmDataGrid::cmdSort_Click);
    connect(cmdFilter, &QPushButton::clicked, this, &frmDataGrid::cmdFilter_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmDataGrid::cmdClose_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmDataGrid::cmdExport_Click);
    connect(grdDataGrid, &DataGrid::headClick, this,
            [this](int column) { grdDataGrid_HeadClick(qint16(column)); });
    connect(grdDataGrid, &DataGrid::mouseUp, this, &frmDataGrid::grdDataGrid_MouseUp);
    GridTableModel *model = grdDataGrid->gridModel();
    model->beforeUpdate = [this](bool &cancel) {
        qint16 Cancel = 0;
        grdDataGrid_BeforeUpdate(Cancel);
        cancel = Cancel != 0;
    };
    model->beforeDelete = [this](bool &cancel) {
        qint16 Cancel = 0;
        grdDataGrid_BeforeDelete(Cancel);
        cancel = Cancel != 0;
    };
    model->writeFailed = [this](const DataError &e) { showError(e.numbered()); };
    // A read fails inside the grid's painting or scrolling: the message waits
    // until that has finished, and the grid goes on with what it has.
    model->readFailed = [this](const DataError &e) {
        QTimer::singleShot(0, this, [this, text = e.numbered()] { showError(text); });
    };
    connect(m_data1, &GridDataSource::recordsetChanged, this,
            [this] { grdDataGrid->setRecordset(m_data1->recordset()); });
}

frmDataGrid::~frmDataGrid()
{
    Forms::remove(this);
}

bool frmDataGrid::ensureLoaded()
{
    if (!m_loaded) {
        m_loaded = true;
        Forms::add(this);
        return Form_Load();
    }
    return !m_unloading;
}

std::shared_ptr<RecordSet> frmDataGrid::recordset() const
{
    return m_data1->recordset();
}

void frmDataGrid::setRecordset(std::shared_ptr<RecordSet> recordset)
{
    if (!ensureLoaded())
        return;
    m_data1->setRecordset(std::move(recordset));
}

bool frmDataGrid::Form_Load()
{
    m_data1->setDatabaseName(m_origin.databaseName);
    m_data1->setRecordSource(m_origin.recordSource);
    m_data1->setRecordsetType(RecordSet::Dynaset);
    m_data1->setOptions(0);
    try {
        m_data1->refresh();
    } catch (const DataError &e) {
        showError(e.numbered());
        close();
        return false;
    }
    const QString source = m_data1->recordSource();
    setWindowTitle(source.size() > GridLayout::CaptionLimit
                       ? QString::fromUtf8(GridTexts::SqlStatement)
                       : source);
    return true;
}

void frmDataGrid::Form_Resize()
{
    if (isMinimized())
        return;
    const double outer = Twips::fromPixels(frameGeometry().height());
    const double strip = Twips::fromPixels(picButtons->height());
    const int height = Twips::toPixels(outer - (strip + GridLayout::ResizeAllowance));
    if (height < 0)
        return; // too small a window: the grid keeps its height
    grdDataGrid->resize(grdDataGrid->width(), height);
}

void frmDataGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    picButtons->resize(width(), picButtons->height()); // the strip spans the window
    Form_Resize();
}

void frmDataGrid::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize(); // restored from minimised: follow the window again
}

void frmDataGrid::closeEvent(QCloseEvent *event)
{
    if (!m_unloading) {
        m_unloading = true;
        grdDataGrid->commitPending(); // an edited row is offered before the window goes
        Q_EMIT unloaded();
        Forms::remove(this);
    }
    event->accept();
}

void frmDataGrid::cmdExport_Click()
{
    // A row being edited in the grid is saved first: the file holds what
    // the grid shows.
    if (!ensureLoaded() || !grdDataGrid->commitPending())
        return;
    if (const std::shared_ptr<RecordSet> records = recordset())
        GridExport::recordset(this, *records);
}

void frmDataGrid::cmdClose_Click()
{
    close();
}

void frmDataGrid::showError(const QString &numbered)
{
    Dialogs::instance().message(QString::fromUtf8(GridTexts::ErrorPrefix) + numbered);
}

void frmDataGrid::cmdRefresh_Click()
{
    if (!grdDataGrid->commitPending())
        return;
    const std::shared_ptr<RecordSet> R = recordset();
    if (!R)
        return;
    try {
        R->requery();
    } catch (const DataError &e) {
        showError(e.numbered());
    }
}

void frmDataGrid::cmdFilter_Click()
{
    if (m_data1->recordsetType() == RecordSet::Table) {
        Dialogs::instance().beep();
        Dialogs::instance().message(QString::fromUtf8(GridTexts::NoTableFilter),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    if (!grdDataGrid->commitPending())
        return;
    const QString answer = Dialogs::instance().input(QString::fromUtf8(GridTexts::FilterPrompt));
    if (answer.isEmpty())
        return;
    openFromCurrent(Command::Filter, answer);
}

void frmDataGrid::cmdSort_Click()
{
    if (m_data1->recordsetType() == RecordSet::Table) {
        Dialogs::instance().beep();
        Dialogs::instance().message(QString::fromUtf8(GridTexts::NoTableSort), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Exclamation);
        return;
    }
    if (!grdDataGrid->commitPending())
        return;
    QString expression = SortColumn;
    if (expression.isEmpty()) {
        expression = Dialogs::instance().input(QString::fromUtf8(GridTexts::SortPrompt));
        if (expression.isEmpty())
            return;
    }
    openFromCurrent(Command::Sort, expression);
}

// Filters and sorts build on each other: each opens a new record set from
// the one the grid shows now, which keeps the expression it was given.
void frmDataGrid::openFromCurrent(Command command, const QString &expression)
{
    const std::shared_ptr<RecordSet> R = recordset();
    MousePointer::set(MousePointer::Hourglass);
    QString before;
    try {
        if (!R)
            throw DataError(DataErrors::NoCurrentRecord,
                            QStringLiteral("The grid has no records."));
        before = command == Command::Filter ? R->filter() : R->sort();
        if (command == Command::Filter)
            R->setFilter(expression);
        else
            R->setSort(expression);
        std::shared_ptr<RecordSet> fresh = R->openRecordset(R->type());
        m_data1->setRecordset(std::move(fresh));
    } catch (const std::exception &e) {
        // An expression that cannot be read must not stay on the record set,
        // or every later filter or sort opened from it would fail the same way.
        if (R) {
            if (command == Command::Filter)
                R->setFilter(before);
            else
                R->setSort(before);
        }
        MousePointer::set(MousePointer::Default);
        const auto *data = dynamic_cast<const DataError *>(&e);
        showError(
            data ? data->numbered()
                 : DataError(DataErrors::General, QString::fromLocal8Bit(e.what())).numbered());
        return;
    }
    MousePointer::set(MousePointer::Default);
}

void frmDataGrid::grdDataGrid_BeforeDelete(qint16 &Cancel)
{
    const auto answer = Dialogs::instance().message(
        QString::fromUtf8(GridTexts::DeleteRow), Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
    if (answer != Dialogs::Answer::Yes)
        Cancel = -1;
}

void frmDataGrid::grdDataGrid_BeforeUpdate(qint16 &Cancel)
{
    const auto answer =
        Dialogs::instance().message(QString::fromUtf8(GridTexts::CommitChanges),
                                    Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
    if (answer != Dialogs::Answer::Yes)
        Cancel = -1;
}

void frmDataGrid::grdDataGrid_HeadClick(qint16 ColIndex)
{
    if (m_data1->recordsetType() == RecordSet::Table)
        return;
    const std::shared_ptr<RecordSet> R = recordset();
    if (!R || ColIndex < 0 || ColIndex >= R->fieldCount())
        return;
    const QString Name = R->fieldName(ColIndex);
    if (LastMouseShift != 0) {
        SortColumn = QLatin1Char('[') + Name + QStringLiteral("] desc");
        LastMouseShift = 0;
    } else {
        SortColumn = QLatin1Char('[') + Name + QLatin1Char(']');
    }
    cmdSort_Click();
    SortColumn.clear();
}

void frmDataGrid::grdDataGrid_MouseUp(int, int Shift, double, double)
{
    LastMouseShift = qint16(Shift);
}

void frmDataGrid::centreOnOwner()
{
    if (!m_owner)
        return;
    const QRect owner = m_owner->frameGeometry();
    const QRect mine = frameGeometry();
    move(owner.center() - QPoint(mine.width() / 2, mine.height() / 2));
}
