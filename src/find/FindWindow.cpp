#include "find/FindWindow.h"

#include "find/FindTexts.h"
#include "jetsql/DataError.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "records/CaseDatabase.h"
#include "records/ComplaintLinks.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

constexpr int KeyRole = Qt::UserRole;
constexpr int FileNumberRole = Qt::UserRole + 1;
constexpr int StrandedRole = Qt::UserRole + 2;
constexpr int EmployeeRole = Qt::UserRole + 3;

// The first words of a long text, on one line.
QString firstWords(const QString &text)
{
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString out = words.mid(0, FindTexts::FactsWords).join(QLatin1Char(' '));
    if (words.size() > FindTexts::FactsWords)
        out += QStringLiteral(" …");
    return out;
}

template <std::size_t N> QTreeWidget *makeList(const char *const (&columns)[N], QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    QStringList headers;
    for (const char *c : columns)
        headers << QString::fromUtf8(c);
    list->setHeaderLabels(headers);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

FindWindow::FindWindow(std::shared_ptr<CaseDatabase> db, QWidget *owner)
    : QWidget(owner, Qt::Window), m_db(std::move(db))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QString::fromUtf8(FindTexts::WindowTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 420);

    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(QString::fromUtf8(FindTexts::SearchLabel), this);
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("txtFind"));
    m_box->setClearButtonEnabled(true);
    label->setBuddy(m_box);
    row->addWidget(label);
    row->addWidget(m_box, 1);
    layout->addLayout(row);

    m_pages = new QTabWidget(this);
    m_lists[EmployeesPage] = makeList(FindTexts::EmployeeColumns, m_pages);
    m_lists[ComplaintsPage] = makeList(FindTexts::ComplaintColumns, m_pages);
    m_pages->addTab(m_lists[EmployeesPage], QString::fromUtf8(FindTexts::EmployeesTab));
    m_pages->addTab(m_lists[ComplaintsPage], QString::fromUtf8(FindTexts::ComplaintsTab));
    auto *stranded = new QWidget(m_pages);
    auto *strandedLayout = new QVBoxLayout(stranded);
    m_lists[StrandedPage] = makeList(FindTexts::StrandedColumns, stranded);
    m_change = new QPushButton(QString::fromUtf8(FindTexts::ChangeButton), stranded);
    m_change->setObjectName(QStringLiteral("cmdChangeFileNumber"));
    strandedLayout->addWidget(m_lists[StrandedPage]);
    strandedLayout->addWidget(m_change, 0, Qt::AlignLeft);
    m_pages->addTab(stranded, QString::fromUtf8(FindTexts::StrandedTab));
    layout->addWidget(m_pages, 1);

    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    // Room for two lines: a wrapped label otherwise gets the height of one
    // and its second line is cut off.
    m_note->setMinimumHeight(2 * m_note->fontMetrics().lineSpacing() + 4);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Esc and Close close the window, as in every other window.
    auto *close = new QPushButton(QString::fromUtf8(FindTexts::CloseButton), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_note, 1);
    bottom->addWidget(close, 0, Qt::AlignBottom);
    layout->addLayout(bottom);

    for (QTreeWidget *list : m_lists)
        connect(list, &QTreeWidget::itemActivated, this,
                [this](QTreeWidgetItem *item) { activate(item); });
    connect(m_box, &QLineEdit::textChanged, this, &FindWindow::search);
    connect(m_change, &QPushButton::clicked, this, &FindWindow::changeFileNumber);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == StrandedPage)
            loadStranded();
        showNote();
    });
    m_box->installEventFilter(this);

    if (m_db && m_db->isOpen())
        m_search = std::make_unique<CaseSearch>(m_db);
    m_searchNote = QString::fromUtf8(FindTexts::TypeToFind);
    showNote();
    Forms::add(this);
}

FindWindow::~FindWindow()
{
    Forms::remove(this);
}

void FindWindow::closeEvent(QCloseEvent *event)
{
    Forms::remove(this);
    QWidget::closeEvent(event);
}

void FindWindow::showNote()
{
    if (m_pages->currentIndex() == StrandedPage) {
        m_note->setText(m_strandedNote);
        return;
    }
    const QString slow =
        m_search && m_search->scansServer() ? QString::fromUtf8(FindTexts::ServerScans) : QString();
    m_note->setText(slow.isEmpty() || m_searchNote.isEmpty()
                        ? m_searchNote + slow
                        : m_searchNote + QLatin1Char(' ') + slow);
}

bool FindWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        refresh();
    return QWidget::event(event);
}

void FindWindow::refresh()
{
    // The rows chosen stay chosen when they are still listed.
    QVariant chosen[3];
    for (int p = 0; p < 3; ++p)
        if (const QTreeWidgetItem *item = m_lists[p]->currentItem())
            chosen[p] = item->data(0, KeyRole);
    search(m_box->text());
    if (m_pages->currentIndex() == StrandedPage)
        loadStranded();
    for (int p = 0; p < 3; ++p) {
        QTreeWidget *list = m_lists[p];
        for (int i = 0; chosen[p].isValid() && i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->data(0, KeyRole) == chosen[p])
                list->setCurrentItem(list->topLevelItem(i));
    }
}

void FindWindow::search(const QString &text)
{
    if (!m_search)
        return;
    m_lists[EmployeesPage]->clear();
    m_lists[ComplaintsPage]->clear();
    CaseSearch::Result found;
    try {
        found = m_search->find(text);
    } catch (const DataError &e) {
        m_searchNote = QString::fromUtf8(FindTexts::SearchFailed).arg(e.description());
        showNote();
        return;
    }
    QList<QTreeWidgetItem *> rows;
    for (const EmployeeHit &e : std::as_const(found.employees)) {
        auto *item = new QTreeWidgetItem(
            {e.name, e.fileNumber, e.department, QString::number(e.complaints)});
        item->setData(0, KeyRole, e.key);
        item->setData(0, FileNumberRole, e.fileNumber);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        rows << item;
    }
    m_lists[EmployeesPage]->addTopLevelItems(rows);
    rows.clear();
    for (const ComplaintHit &c : std::as_const(found.complaints)) {
        auto *item = new QTreeWidgetItem(
            {c.fileNumber,
             c.employee.isEmpty() ? QString::fromUtf8(FindTexts::NoEmployee) : c.employee, c.remedy,
             c.contract, firstWords(c.facts)});
        item->setData(0, KeyRole, c.key);
        item->setData(0, FileNumberRole, c.fileNumber);
        item->setData(0, EmployeeRole, c.employeeKey);
        item->setToolTip(4, c.facts);
        rows << item;
    }
    m_lists[ComplaintsPage]->addTopLevelItems(rows);
    for (Page p : {EmployeesPage, ComplaintsPage})
        if (QTreeWidgetItem *first = m_lists[p]->topLevelItem(0))
            m_lists[p]->setCurrentItem(first);
    auto counted = [](const char *caption, qsizetype n, bool more) {
        return n == 0 && !more ? QString::fromUtf8(caption)
                               : QStringLiteral("%1 (%2%3)")
                                     .arg(QString::fromUtf8(caption))
                                     .arg(n)
                                     .arg(more ? QStringLiteral("+") : QString());
    };
    m_pages->setTabText(EmployeesPage, counted(FindTexts::EmployeesTab, found.employees.size(),
                                               found.moreEmployees));
    m_pages->setTabText(ComplaintsPage, counted(FindTexts::ComplaintsTab, found.complaints.size(),
                                                found.moreComplaints));
    if (text.isEmpty())
        m_searchNote = QString::fromUtf8(FindTexts::TypeToFind);
    else if (!found.complaintsSearched)
        m_searchNote = QString::fromUtf8(FindTexts::ShortText);
    else if (found.moreEmployees || found.moreComplaints)
        m_searchNote = QString::fromUtf8(FindTexts::MoreThanListed).arg(CaseSearch::Limit);
    else
        m_searchNote.clear();
    // A search that finds no employee but finds complaints shows them.
    if (found.employees.isEmpty() && !found.complaints.isEmpty() &&
        m_pages->currentIndex() == EmployeesPage)
        m_pages->setCurrentIndex(ComplaintsPage);
    else if (!found.employees.isEmpty() && found.complaints.isEmpty() &&
             m_pages->currentIndex() == ComplaintsPage)
        m_pages->setCurrentIndex(EmployeesPage);
    showNote();
}

void FindWindow::loadStranded()
{
    QTreeWidget *list = m_lists[StrandedPage];
    list->clear();
    m_stranded.clear();
    if (!m_search)
        return;
    bool more = false;
    try {
        m_stranded = m_search->stranded(CaseSearch::Limit * 10, &more);
    } catch (const DataError &e) {
        m_strandedNote = QString::fromUtf8(FindTexts::SearchFailed).arg(e.description());
        showNote();
        return;
    }
    QList<QTreeWidgetItem *> rows;
    for (qsizetype i = 0; i < m_stranded.size(); ++i) {
        const StrandedComplaint &c = m_stranded.at(i);
        auto *item = new QTreeWidgetItem(
            {c.fileNumber.isEmpty() ? QString::fromUtf8(FindTexts::NoFileNumber) : c.fileNumber,
             firstWords(c.facts)});
        item->setData(0, KeyRole, c.key);
        item->setData(0, StrandedRole, int(i));
        item->setToolTip(1, c.facts);
        rows << item;
    }
    list->addTopLevelItems(rows);
    if (!rows.isEmpty())
        list->setCurrentItem(rows.first());
    m_change->setEnabled(!rows.isEmpty());
    m_strandedNote = rows.isEmpty() ? QString::fromUtf8(FindTexts::NoneStranded)
                     : more ? QString::fromUtf8(FindTexts::StrandedNote) + QLatin1Char(' ') +
                                  QString::fromUtf8(FindTexts::StrandedMore).arg(rows.size())
                            : QString::fromUtf8(FindTexts::StrandedNote);
    showNote();
}

void FindWindow::changeFileNumber()
{
    QTreeWidgetItem *item = m_lists[StrandedPage]->currentItem();
    if (!item)
        return;
    const StrandedComplaint c = m_stranded.value(item->data(0, StrandedRole).toInt());
    const QString to =
        Dialogs::instance().input(QString::fromUtf8(FindTexts::ChangePrompt),
                                  QString::fromUtf8(FindTexts::ChangeTitle), c.fileNumber);
    if (to.isEmpty() || to == c.fileNumber)
        return;
    QString outcome;
    try {
        ComplaintLinks::changeFileNumber(m_db, c, to);
        const QStringList names = m_search->employeesWith(to, -1);
        outcome =
            QString::fromUtf8(FindTexts::Changed)
                .arg(to, names.isEmpty() ? QString() : QStringLiteral(", with ") + names.first());
    } catch (const DataError &e) {
        Dialogs::instance().message(e.description(), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Exclamation);
    }
    loadStranded();
    if (!outcome.isEmpty()) {
        m_strandedNote = outcome + QLatin1Char(' ') + m_strandedNote;
        showNote();
    }
}

void FindWindow::activate(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const qint64 key = item->data(0, KeyRole).toLongLong();
    const QString fileNumber = item->data(0, FileNumberRole).toString();
    if (item->treeWidget() == m_lists[EmployeesPage])
        Q_EMIT employeeChosen(key, fileNumber);
    else if (item->treeWidget() == m_lists[ComplaintsPage] &&
             item->data(0, EmployeeRole).toLongLong() < 0)
        fileStranded(key); // no employee to show it with
    else if (item->treeWidget() == m_lists[ComplaintsPage])
        Q_EMIT complaintChosen(key, item->data(0, EmployeeRole).toLongLong(), fileNumber);
    else
        changeFileNumber();
}

void FindWindow::fileStranded(qint64 key)
{
    if (m_pages->currentIndex() != StrandedPage)
        m_pages->setCurrentIndex(StrandedPage); // reads the list
    else
        loadStranded();
    QTreeWidget *list = m_lists[StrandedPage];
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->data(0, KeyRole).toLongLong() == key) {
            list->setCurrentItem(list->topLevelItem(i));
            changeFileNumber();
            return;
        }
    }
    m_strandedNote =
        QString::fromUtf8(FindTexts::NoLongerStranded) + QLatin1Char(' ') + m_strandedNote;
    showNote();
}

// Enter in the search box chooses the row that is current in the list
// shown; the arrow keys move in that list without leaving the box.
bool FindWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *list = qobject_cast<QTreeWidget *>(m_pages->currentWidget());
        if (!list)
            list = m_lists[StrandedPage];
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            activate(list->currentItem());
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(list, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
