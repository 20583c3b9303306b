#include "deadlines/DeadlinesWindow.h"

#include "deadlines/DeadlineCalendar.h"
#include "deadlines/DeadlineFormat.h"
#include "deadlines/DeadlineListModel.h"
#include "deadlines/DeadlineTexts.h"
#include "deadlines/DeadlineWidgets.h"
#include "deadlines/DeadlinesLayout.h"
#include "deadlines/StepsWindow.h"
#include "jetsql/DataError.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/MousePointer.h"
#include "platform/Twips.h"
#include "print/DeadlineListJobs.h"
#include "print/DefaultPrinterProvider.h"
#include "records/CaseDatabase.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>

using namespace DeadlineTexts;

namespace
{

QPushButton *button(const char *text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

DeadlinesWindow::DeadlinesWindow(std::shared_ptr<CaseDatabase> db, Hooks hooks, QWidget *owner)
    : QWidget(owner, Qt::Window), m_db(std::move(db)), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("frmDeadlines"));
    setWindowTitle(QString::fromUtf8(ListTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(Twips::toPixels(DeadlinesLayout::ListWidth),
           Twips::toPixels(DeadlinesLayout::ListHeight));

    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(QString::fromUtf8(FilterLabel), this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("txtFilter"));
    m_filter->setClearButtonEnabled(true);
    label->setBuddy(m_filter);
    row->addWidget(label);
    row->addWidget(m_filter, 1);
    layout->addLayout(row);

    m_model = new DeadlineListModel(m_db, this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("lstDeadlines"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int c = 0; c < DeadlineListModel::ColumnCount; ++c)
        m_list->setColumnWidth(c, Twips::toPixels(DeadlinesLayout::ListColumnWidths[c]));
    layout->addWidget(m_list, 1);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);
    m_note->setMinimumHeight(2 * m_note->fontMetrics().lineSpacing() + 4);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_note);

    auto *buttons = new QHBoxLayout;
    QPushButton *open = button(OpenComplaint, "cmdOpen", this);
    QPushButton *steps = button(EditSteps, "cmdSteps", this);
    QPushButton *ics = button(ExportCalendar, "cmdExportCalendar", this);
    QPushButton *printButton = button(PrintList, "cmdPrint", this);
    QPushButton *pdf = button(SavePdf, "cmdSavePdf", this);
    QPushButton *close = button(Close, "cmdClose", this);
    for (QPushButton *b : {open, steps, ics, printButton, pdf})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_filter, &QLineEdit::textChanged, this, &DeadlinesWindow::read);
    connect(m_list, &QTreeView::activated, this, [this] { openChosen(); });
    connect(open, &QPushButton::clicked, this, &DeadlinesWindow::openChosen);
    connect(steps, &QPushButton::clicked, this, &DeadlinesWindow::editSteps);
    connect(ics, &QPushButton::clicked, this, &DeadlinesWindow::exportCalendar);
    connect(printButton, &QPushButton::clicked, this, &DeadlinesWindow::print);
    connect(pdf, &QPushButton::clicked, this, &DeadlinesWindow::saveAsPdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_model, &DeadlineListModel::readFailed, this,
            [this](const QString &why) { tell(QString::fromUtf8(ReadFailed).arg(why)); });
    m_filter->installEventFilter(this);

    count();
    read(QString());
    Forms::add(this);
}

DeadlinesWindow::~DeadlinesWindow()
{
    Forms::remove(this);
}

void DeadlinesWindow::read(const QString &filter)
{
    // The first row made current lays the list out: the page just read
    // fills it, and the next one is read only when the steward comes near
    // its end (or when the list shows more rows than a page).
    m_model->holdFetching(true);
    struct Release {
        DeadlineListModel *model;
        ~Release() { model->holdFetching(false); }
    } release{m_model};
    try {
        m_model->reload(filter, m_hooks.today());
    } catch (const DataError &e) {
        tell(QString::fromUtf8(ReadFailed).arg(e.description()));
        return;
    }
    if (m_model->rowCount() > 0)
        m_list->setCurrentIndex(m_model->index(0, 0));
    tell(filter.isEmpty()
             ? m_countsText
             : m_countsText + QLatin1Char(' ') + QString::fromUtf8(FilterNote).arg(filter));
}

// The counts read the whole range of the deadlines' index: once when the
// list is read anew, never for a key typed in the filter, which they do not
// depend on.
void DeadlinesWindow::count()
{
    const QDate today = m_hooks.today();
    try {
        const DeadlineList::Counts c = DeadlineList::counts(*m_db, today, today.addDays(6));
        m_countsText = QString::fromUtf8(Counts).arg(DeadlineFormat::count(c.overdue),
                                                     DeadlineFormat::count(c.soon));
    } catch (const DataError &e) {
        m_countsText = QString::fromUtf8(ReadFailed).arg(e.description());
    }
}

void DeadlinesWindow::tell(const QString &text)
{
    m_note->setText(text);
}

void DeadlinesWindow::refresh()
{
    const QModelIndex current = m_list->currentIndex();
    const qint64 chosen = current.isValid() ? m_model->at(current.row()).grievanceNumber : -1;
    count();
    read(m_filter->text());
    for (int r = 0; chosen >= 0 && r < m_model->rowCount(); ++r)
        if (m_model->at(r).grievanceNumber == chosen)
            m_list->setCurrentIndex(m_model->index(r, 0));
    m_justRead = true;
}

bool DeadlinesWindow::event(QEvent *event)
{
    // Back from the main window, where complaints may have changed; not when
    // the list was read since the window was last left.
    if (event->type() == QEvent::WindowActivate && !m_justRead)
        refresh();
    else if (event->type() == QEvent::WindowDeactivate)
        m_justRead = false;
    return QWidget::event(event);
}

void DeadlinesWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Enter in the filter box opens the chosen complaint; the arrow keys move in
// the list without leaving the box, as in Find.
bool DeadlinesWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            openChosen();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(m_list, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DeadlinesWindow::openChosen()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    const DeadlineRow &r = m_model->at(current.row());
    Q_EMIT complaintChosen(r.grievanceNumber, r.employeeKey, r.fileNumber);
}

void DeadlinesWindow::editSteps()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid() || (m_hooks.saveFirst && !m_hooks.saveFirst()))
        return;
    StepsWindow *steps = nullptr;
    try {
        const ComplaintFacts facts =
            DeadlineStore::readFacts(*m_db, m_model->at(current.row()).grievanceNumber);
        steps = new StepsWindow(m_db, facts, this, m_hooks.today());
    } catch (const DataError &e) {
        Dialogs::instance().message(e.description(), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Exclamation, QString::fromUtf8(StepsTitle));
        refresh();
        return;
    }
    connect(steps, &StepsWindow::saved, this, [this](qint64 number) {
        refresh();
        if (m_hooks.status)
            m_hooks.status(QString::fromUtf8(Saved).arg(number));
    });
    steps->open();
}

DeadlineListData DeadlinesWindow::printed() const
{
    const QDate today = m_model->today();
    DeadlineListData data;
    data.title = QString::fromUtf8(ListPrintTitle);
    const QString filter = m_filter->text();
    data.subtitle =
        filter.isEmpty()
            ? QString::fromUtf8(ListPrinted).arg(DeadlineFormat::day(today))
            : QString::fromUtf8(ListPrintedFiltered).arg(DeadlineFormat::day(today), filter);
    for (const DeadlineRow &r : m_model->everyRow()) {
        DeadlineListLine line;
        line.when = m_model->text(r, DeadlineListModel::When);
        line.due = m_model->text(r, DeadlineListModel::Due);
        line.daysLeft = m_model->text(r, DeadlineListModel::DaysLeft);
        line.employee = m_model->text(r, DeadlineListModel::Employee);
        line.fileNumber = r.fileNumber;
        line.grievance = QString::number(r.grievanceNumber);
        line.step = r.step + QStringLiteral(" (") + m_model->text(r, DeadlineListModel::Acts) +
                    QLatin1Char(')');
        line.overdue = r.due < today;
        data.lines << line;
    }
    return data;
}

void DeadlinesWindow::print()
{
    PrinterProvider *printers = m_hooks.printers;
    if (!printers) {
        if (!m_ownPrinters)
            m_ownPrinters = std::make_unique<DefaultPrinterProvider>();
        printers = m_ownPrinters.get();
    }
    try {
        const DeadlineListData data = printed();
        DeadlineListJobs::print(*printers, data, [this](const QString &t) {
            tell(t);
            if (m_hooks.status)
                m_hooks.status(t);
        });
    } catch (const DataError &e) {
        tell(QString::fromUtf8(ReadFailed).arg(e.description()));
    }
}

void DeadlinesWindow::saveAsPdf()
{
    const QPageLayout layout =
        m_hooks.pageLayout ? m_hooks.pageLayout() : DefaultPrinterProvider::filePageLayout();
    try {
        DeadlineListJobs::saveAsPdf(printed(), layout, [this](const QString &t) {
            tell(t);
            if (m_hooks.status)
                m_hooks.status(t);
        });
    } catch (const DataError &e) {
        tell(QString::fromUtf8(ReadFailed).arg(e.description()));
    }
}

void DeadlinesWindow::exportCalendar()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = Dialogs::instance().saveFileName(QString::fromUtf8(CalendarTitle),
                                                    folder + QLatin1Char('/') +
                                                        QString::fromUtf8(CalendarFile),
                                                    QString::fromUtf8(CalendarFilter));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive))
        path += QStringLiteral(".ics");
    QList<DeadlineCalendar::Event> events;
    try {
        MousePointer::set(MousePointer::Hourglass);
        const qint64 rules = DeadlineStore::readLimits(*m_db).version;
        for (const DeadlineRow &r : m_model->everyRow()) {
            const QString who = m_model->text(r, DeadlineListModel::Employee);
            const QString acts = m_model->text(r, DeadlineListModel::Acts);
            events.append({DeadlineCalendar::uidFor(r.grievanceNumber), r.due,
                           QString::fromUtf8(EventSummary).arg(r.step, who).arg(r.grievanceNumber),
                           QString::fromUtf8(EventDescription)
                               .arg(acts + QStringLiteral(": ") + r.step, who)
                               .arg(r.grievanceNumber)
                               .arg(r.fileNumber),
                           QString::fromUtf8(ReminderText).arg(r.grievanceNumber).arg(r.step),
                           // Both only grow: a later export never has a lower one.
                           r.version + rules});
        }
        MousePointer::set(MousePointer::Default);
    } catch (const DataError &e) {
        MousePointer::set(MousePointer::Default);
        tell(QString::fromUtf8(CalendarFailed).arg(e.description()));
        return;
    }
    QString error;
    if (!DeadlineCalendar::write(path, events, QDateTime::currentDateTimeUtc(), &error)) {
        Dialogs::instance().message(QString::fromUtf8(CalendarFailed).arg(error),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation,
                                    QString::fromUtf8(CalendarTitle));
        return;
    }
    const QString done = QString::fromUtf8(CalendarSaved).arg(events.size()).arg(path);
    tell(done);
    if (m_hooks.status)
        m_hooks.status(done);
}
