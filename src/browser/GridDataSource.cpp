#include "browser/GridDataSource.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"

GridDataSource::GridDataSource(QObject *parent) : QObject(parent) {}

GridDataSource::~GridDataSource() = default;

void GridDataSource::refresh()
{
    if (m_recordSource.trimmed().isEmpty()) {
        setRecordset(nullptr);
        return;
    }
    auto database = std::make_shared<CaseDatabase>(m_databaseName);
    // A mistyped location must not leave a new, empty case database behind.
    database->openExisting();
    // The record set keeps its database open for as long as it lives.
    setRecordset(std::make_shared<RecordSet>(database, m_recordSource, m_recordsetType));
}

void GridDataSource::setRecordset(std::shared_ptr<RecordSet> recordset)
{
    m_recordset = std::move(recordset);
    Q_EMIT recordsetChanged();
}
