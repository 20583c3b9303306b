#include "deadlines/DeadlineListModel.h"

#include "deadlines/DeadlineFormat.h"
#include "deadlines/DeadlineTexts.h"
#include "jetsql/DataError.h"

#include <QBrush>
#include <QFont>

DeadlineListModel::DeadlineListModel(std::shared_ptr<CaseDatabase> db, QObject *parent)
    : QAbstractTableModel(parent), m_db(db), m_list(db)
{
}

DeadlineListModel::~DeadlineListModel() = default;

void DeadlineListModel::reload(const QString &filter, QDate today)
{
    beginResetModel();
    m_rows.clear();
    m_more = false;
    m_today = today;
    struct End {
        DeadlineListModel *m;
        ~End() { m->endResetModel(); }
    } end{this};
    m_rules = DeadlineStore::readRules(*m_db);
    m_list.setFilter(filter);
    m_rows = m_list.page(nullptr);
    m_more = m_rows.size() == DeadlineList::PageRows;
}

QList<DeadlineRow> DeadlineListModel::everyRow() const
{
    return m_list.all();
}

int DeadlineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DeadlineListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool DeadlineListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more && !m_held;
}

void DeadlineListModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_more || m_held)
        return;
    QList<DeadlineRow> page;
    try {
        page = m_list.page(&m_rows.last());
    } catch (const DataError &e) {
        m_more = false;
        Q_EMIT readFailed(e.description());
        return;
    }
    m_more = page.size() == DeadlineList::PageRows;
    if (page.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size() - 1));
    m_rows << page;
    endInsertRows();
}

QString DeadlineListModel::text(const DeadlineRow &r, int column) const
{
    using namespace DeadlineTexts;
    switch (column) {
    case When:
        return DeadlineFormat::whenText(DeadlineFormat::when(m_today, r.due));
    case Due:
        return DeadlineFormat::day(r.due);
    case DaysLeft:
        return DeadlineFormat::daysLeft(m_rules.calendar, m_today, r.due, r.workingDays);
    case Employee:
        return r.employee.isEmpty() ? QString::fromUtf8(NoEmployee) : r.employee;
    case FileNumber:
        return r.fileNumber;
    case Grievance:
        return QString::number(r.grievanceNumber);
    case Step:
        return r.step;
    case Acts:
        return QString::fromUtf8(Actors[int(r.acts)]);
    default:
        return {};
    }
}

QVariant DeadlineListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const DeadlineRow &r = m_rows.at(index.row());
    const bool overdue = r.due < m_today;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text(r, index.column());
    case Qt::FontRole:
        if (overdue) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        return overdue ? QVariant(QBrush(QColor(0xB0, 0x00, 0x00))) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Grievance ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                           : QVariant();
    default:
        return {};
    }
}

QVariant DeadlineListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QString::fromUtf8(DeadlineTexts::ListColumns[section]);
}
