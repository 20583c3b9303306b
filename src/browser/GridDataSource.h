#pragma once

#include <QObject>
#include <QString>
#include <memory>

class RecordSet;

// The grid window's data source (its hidden Data1): where its records come
// from and the record set the grid shows. The record set may be one that a
// record pane of the main window also holds; nothing here copies it.
class GridDataSource : public QObject
{
    Q_OBJECT
  public:
    explicit GridDataSource(QObject *parent = nullptr);
    ~GridDataSource() override;

    const QString &databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &path) { m_databaseName = path; }
    const QString &connect() const { return m_connect; }
    void setConnect(const QString &connect) { m_connect = connect; }
    const QString &recordSource() const { return m_recordSource; }
    void setRecordSource(const QString &source) { m_recordSource = source; }
    // 0 table, 1 dynaset, 2 snapshot: the kind the data source opens, and
    // the kind that decides whether filter and sort are allowed.
    int recordsetType() const { return m_recordsetType; }
    void setRecordsetType(int type) { m_recordsetType = type; }
    qint16 options() const { return m_options; }
    void setOptions(qint16 options) { m_options = options; }

    // Opens the record source on the database. An empty record source opens
    // nothing and is no error: the window is about to be handed a record set.
    // A database file that does not exist is reported, never created.
    // Throws DataError.
    void refresh();

    std::shared_ptr<RecordSet> recordset() const { return m_recordset; }
    void setRecordset(std::shared_ptr<RecordSet> recordset);

  Q_SIGNALS:
    void recordsetChanged();

  private:
    QString m_databaseName;
    QString m_connect;
    QString m_recordSource;
    int m_recordsetType = 1;
    qint16 m_options = 0;
    std::shared_ptr<RecordSet> m_recordset;
};
