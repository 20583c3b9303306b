#pragma once

#include "records/DeadlineList.h"
#include "records/DeadlineStore.h"

#include <QAbstractTableModel>
#include <QDate>
#include <memory>

class CaseDatabase;

// The deadlines list as a table: a page of rows read at a time, more as the
// view scrolls to them, so the list opens as quickly with a million open
// complaints as with ten.
class DeadlineListModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    enum Column { When, Due, DaysLeft, Employee, FileNumber, Grievance, Step, Acts, ColumnCount };

    explicit DeadlineListModel(std::shared_ptr<CaseDatabase> db, QObject *parent = nullptr);
    ~DeadlineListModel() override;

    // Reads the first page anew, under the filter, counting from today.
    // Throws DataError.
    void reload(const QString &filter, QDate today);
    const DeadlineRow &at(int row) const { return m_rows.at(row); }
    // Every row under the filter (not only those read so far). Throws
    // DataError.
    QList<DeadlineRow> everyRow() const;
    const WorkCalendar &calendar() const { return m_rules.calendar; }
    QDate today() const { return m_today; }
    // The text a cell shows.
    QString text(const DeadlineRow &row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    // While held, no more rows can be read: a tree view lays its rows out
    // as soon as it is asked where one is, and then reads the next page
    // whenever more can be read, even when the rows it has fill it. Once
    // released, a view reads more when its last row comes into sight.
    void holdFetching(bool held) { m_held = held; }

  Q_SIGNALS:
    // A page could not be read; the list stops where it is.
    void readFailed(const QString &why);

  private:
    std::shared_ptr<CaseDatabase> m_db;
    DeadlineList m_list;
    DeadlineStore::Rules m_rules;
    QList<DeadlineRow> m_rows;
    bool m_more = false;
    bool m_held = false;
    QDate m_today;
};
