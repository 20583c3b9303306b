#include "browser/GridDataSource.h"

#include "records/CaseDatabase.h"
#include "jetsql/DataError.h"
#include "records/RecordSet.h"

#include <QFileInfo>

GridDataSource::GridDataSource(QObject *parent) : QObject(parent) {}

GridDataSource::~GridDataSource() = default;

void GridDataSource::refresh()
{
    if (m_recordSource.trimmed().isEmpty()) {
        setRecordset(nullptr);
        return;
    }
    // A mistyped path must not leave a new, empty case database behind.
    if (!QFileInfo(m_databaseName).isFile())
        throw DataError(
            DataErrors::CannotOpen,
            QStringLiteral("The database file \"%1\" cannot be found.").arg(m_databaseName));
    auto database = std::make_shared<CaseDatabase>(m_databaseName);
    database->open();
    // The record set keeps its database open for as long as it lives.
    setRecordset(std::make_shared<RecordSet>(database, m_recordSource, m_recordsetType));
}

void GridDataSource::setRecordset(std::shared_ptr<RecordSet> recordset)
{
    m_recordset = std::move(recordset);
    Q_EMIT recordsetChanged();
}
