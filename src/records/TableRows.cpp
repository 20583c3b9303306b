#include "records/TableRows.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"

#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace TableRows
{

QString read(const CaseDatabase &db, const QString &table,
             const std::function<void(const QStringList &columns)> &header,
             const std::function<bool(const QVariantList &values)> &row)
{
    const QString stored = db.tableName(table);
    const QStringList columns = db.columns(stored);
    if (stored.isEmpty() || columns.isEmpty())
        return QStringLiteral("no table %1").arg(table);
    QStringList quoted;
    for (const QString &c : columns)
        quoted << JetSql::quoteIdentifier(c);
    const QString select = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                               .arg(quoted.join(QLatin1Char(',')), JetSql::quoteIdentifier(stored),
                                    db.keyExpression(stored));

    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("qm-table-rows-%1").arg(++serial);
    QString error;
    {
        QSqlDatabase connection;
        try {
            connection = db.backend().openIndependentConnection(name);
        } catch (const DataError &e) {
            error = e.description();
        }
        if (error.isEmpty()) {
            QSqlQuery query(connection);
            query.setForwardOnly(true);
            if (!connection.transaction()) {
                error = connection.lastError().text();
            } else if (!query.exec(select)) {
                error = query.lastError().text();
            } else {
                header(columns);
                QVariantList values;
                bool more = true;
                while (more && query.next()) {
                    values.clear();
                    for (int c = 0; c < int(columns.size()); ++c)
                        values << query.value(c);
                    more = row(values);
                }
                if (more && query.lastError().isValid())
                    error = query.lastError().text();
            }
            query.finish();
            connection.rollback();
        }
        if (connection.isValid())
            connection.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

} // namespace TableRows
