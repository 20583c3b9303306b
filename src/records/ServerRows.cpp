#include "records/ServerRows.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"

#include <QSqlDriver>
#include <atomic>
#include <libpq-fe.h>
#include <memory>
#include <vector>

namespace
{

// Rows the server sends for each FETCH: about a megabyte of employees.
constexpr int RowsPerFetch = 8192;

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

PGconn *handleOf(const QSqlDatabase &connection)
{
    const QVariant handle = connection.driver() ? connection.driver()->handle() : QVariant();
    // Qt names the handle's type as libpq spells its struct.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

// The first line of what the server or libpq said.
QString said(PGconn *conn, const PGresult *result)
{
    const char *text = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
    QString message = QString::fromUtf8(text && *text ? text : PQerrorMessage(conn)).trimmed();
    return message.section(QLatin1Char('\n'), 0, 0);
}

// A bound value as text, the way the program's driver hands values to the
// server: its type left for the statement to decide.
QByteArray asText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return value.toByteArray();
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

QString readOn(PGconn *conn, const QString &select, const QVariantList &params,
               const std::function<void(const QStringList &)> &header,
               const std::function<bool(const ServerRows::Field *, int)> &row)
{
    Result begun(PQexec(conn, "BEGIN READ ONLY"), &PQclear);
    if (PQresultStatus(begun.get()) != PGRES_COMMAND_OK)
        return said(conn, begun.get());

    std::vector<QByteArray> texts;
    std::vector<const char *> values;
    texts.reserve(std::size_t(params.size()));
    for (const QVariant &p : params) {
        texts.push_back(p.isNull() ? QByteArray() : asText(p));
        values.push_back(p.isNull() ? nullptr : texts.back().constData());
    }
    const QByteArray declare = QByteArrayLiteral("DECLARE quillmark_rows NO SCROLL CURSOR FOR ") +
                               ServerRows::numbered(select).toUtf8();
    QString error;
    Result declared(PQexecParams(conn, declare.constData(), int(values.size()), nullptr,
                                 values.data(), nullptr, nullptr, 0),
                    &PQclear);
    if (PQresultStatus(declared.get()) != PGRES_COMMAND_OK)
        error = said(conn, declared.get());

    const QByteArray fetch = QByteArrayLiteral("FETCH FORWARD ") +
                             QByteArray::number(RowsPerFetch) +
                             QByteArrayLiteral(" FROM quillmark_rows");
    std::vector<ServerRows::Field> fields;
    bool first = true;
    bool more = error.isEmpty();
    while (more) {
        Result batch(PQexec(conn, fetch.constData()), &PQclear);
        if (PQresultStatus(batch.get()) != PGRES_TUPLES_OK) {
            error = said(conn, batch.get());
            break;
        }
        const int columns = PQnfields(batch.get());
        if (first) {
            QStringList names;
            for (int c = 0; c < columns; ++c)
                names << QString::fromUtf8(PQfname(batch.get(), c));
            header(names);
            fields.resize(std::size_t(columns));
            first = false;
        }
        const int rows = PQntuples(batch.get());
        for (int r = 0; more && r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                fields[std::size_t(c)] = PQgetisnull(batch.get(), r, c)
                                             ? ServerRows::Field{}
                                             : ServerRows::Field{PQgetvalue(batch.get(), r, c),
                                                                 PQgetlength(batch.get(), r, c)};
            more = row(fields.data(), columns);
        }
        if (rows < RowsPerFetch)
            more = false;
    }
    // Nothing was written: the end of the transaction closes the cursor.
    Result ended(PQexec(conn, "ROLLBACK"), &PQclear);
    if (error.isEmpty() && PQresultStatus(ended.get()) != PGRES_COMMAND_OK)
        error = said(conn, ended.get());
    return error;
}

} // namespace

namespace ServerRows
{

QString numbered(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    int next = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar(); // a doubled quote closes and opens again
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++next);
            continue;
        }
        out += c;
    }
    return out;
}

QString read(const CaseDatabase &db, const QString &select, const QVariantList &params,
             const std::function<void(const QStringList &columns)> &header,
             const std::function<bool(const Field *fields, int count)> &row)
{
    if (!db.filePath().isEmpty())
        return QStringLiteral("a database file's rows are read from the file itself");
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("qm-server-rows-%1").arg(++serial);
    QString error;
    {
        QSqlDatabase connection;
        try {
            connection = db.backend().openIndependentConnection(name);
        } catch (const DataError &e) {
            error = e.description();
        }
        if (error.isEmpty()) {
            if (PGconn *conn = handleOf(connection))
                error = readOn(conn, select, params, header, row);
            else
                error = QStringLiteral("the connection to the server has no libpq handle");
        }
        if (connection.isValid())
            connection.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

} // namespace ServerRows
