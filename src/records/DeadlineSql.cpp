#include "records/DeadlineSql.h"

#include "jetsql/JetSql.h"
#include "records/CaseDatabase.h"

#include <QSqlError>

namespace DeadlineSql
{

namespace
{
const QString IsoDate = QStringLiteral("yyyy-MM-dd");
}

QString table(const char *name)
{
    return JetSql::quoteIdentifier(QString::fromLatin1(name));
}

QVariant dateValue(QDate date)
{
    return date.isValid() ? QVariant(date.toString(IsoDate))
                          : QVariant(QMetaType::fromType<QString>());
}

QDate dateOf(const QVariant &stored)
{
    return stored.isNull() ? QDate() : QDate::fromString(stored.toString(), IsoDate);
}

QVariant textValue(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QVariant nullInteger()
{
    return QVariant(QMetaType::fromType<qlonglong>());
}

QSqlQuery run(const CaseDatabase &db, const QString &sql, const QVariantList &params)
{
    QSqlQuery q = db.prepared(sql);
    q.setForwardOnly(true);
    for (const QVariant &p : params)
        q.addBindValue(p);
    db.exec(q);
    return q;
}

qint64 count(const CaseDatabase &db, const QString &sql, const QVariantList &params)
{
    QSqlQuery q = run(db, sql, params);
    const qint64 n = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    return n;
}

} // namespace DeadlineSql
