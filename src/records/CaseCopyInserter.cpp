#include "records/CaseCopyInserter.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"
#include "records/CaseCopy.h"
#include "records/CaseCopyTable.h"
#include "records/CaseCopyTexts.h"
#include "records/DatabaseBackend.h"

#include <QSqlError>

using namespace CaseCopyTexts;

CaseCopyInserter::CaseCopyInserter(const DatabaseBackend &target, const QSqlDatabase &db,
                                   const CaseCopyTable &table)
    : m_target(target), m_db(db), m_table(table), m_full(db)
{
    m_onServer = target.filePath().isEmpty();
    m_columns = table.storedColumns.size();
    if (!m_full.prepare(statement(CaseCopy::InsertRows)))
        throw m_target.errorFrom(m_full.lastError(), m_table.storedName);
}

void CaseCopyInserter::add(const QVariantList &row)
{
    if (m_onServer)
        checkLengths(row);
    for (int i = 0; i < row.size(); ++i) {
        const QVariant &v = row.at(i);
        if (m_table.numbered && i == 0)
            m_values << QVariant(v.toLongLong());
        else if (v.isNull())
            m_values << QVariant(QMetaType::fromType<QString>());
        else
            m_values << QVariant(v.toString());
    }
    if (m_values.size() == qsizetype(CaseCopy::InsertRows) * m_columns)
        flush();
}

void CaseCopyInserter::flush()
{
    if (m_values.isEmpty())
        return;
    const int rows = int(m_values.size() / m_columns);
    QSqlQuery partial(m_db);
    QSqlQuery &q = rows == CaseCopy::InsertRows ? m_full : partial;
    if (&q == &partial && !q.prepare(statement(rows)))
        throw m_target.errorFrom(q.lastError(), m_table.storedName);
    for (int i = 0; i < m_values.size(); ++i)
        q.bindValue(i, m_values.at(i));
    if (!q.exec())
        throw m_target.errorFrom(q.lastError(), m_table.storedName);
    q.finish();
    m_values.clear();
}

QString CaseCopyInserter::statement(int rows) const
{
    const QString one = QLatin1Char('(') +
                        QStringList(m_columns, QStringLiteral("?")).join(QStringLiteral(", ")) +
                        QLatin1Char(')');
    // The server numbers Grievance Numbers itself unless told to keep them.
    const bool keep = m_table.numbered && m_onServer;
    return QStringLiteral("INSERT INTO %1 (%2)%3 VALUES %4")
        .arg(JetSql::quoteIdentifier(m_table.storedName),
             CaseCopyTable::columnList(m_table.storedColumns),
             keep ? QStringLiteral(" OVERRIDING SYSTEM VALUE") : QString(),
             QStringList(rows, one).join(QStringLiteral(", ")));
}

// The server refuses a value longer than its field, where a file stored it;
// said here with the record's name rather than the server's words.
void CaseCopyInserter::checkLengths(const QVariantList &row) const
{
    for (int i = 0; i < row.size(); ++i) {
        const int limit = m_table.columns.at(i).length;
        const QString value = row.at(i).toString();
        if (limit <= 0 || value.size() <= limit)
            continue;
        // The server counts characters; a QString counts UTF-16 units.
        const qsizetype characters = value.toUcs4().size();
        if (characters <= limit)
            continue;
        throw DataError(DataErrors::General,
                        QString::fromUtf8(ValueTooLong)
                            .arg(record(row), QString::fromUtf8(m_table.columns.at(i).name))
                            .arg(characters)
                            .arg(limit));
    }
}

QString CaseCopyInserter::record(const QVariantList &row) const
{
    if (m_table.numbered)
        return QString::fromUtf8(ComplaintNumbered).arg(row.value(0).toString());
    const QStringList names = m_table.fieldNames();
    if (m_table.keyColumns > 0) {
        QStringList key;
        for (int i = 0; i < m_table.keyColumns; ++i)
            key << QStringLiteral("%1 %2").arg(names.at(i), row.value(i).toString());
        return QString::fromUtf8(RowOf).arg(QString::fromUtf8(m_table.name),
                                            key.join(QStringLiteral(", ")));
    }
    return QString::fromUtf8(EmployeeNamed)
        .arg(row.value(names.indexOf(QStringLiteral("Name"))).toString(),
             row.value(names.indexOf(QStringLiteral("File Number"))).toString());
}
