#include "records/ServerRows.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"

#include <QSqlDriver>
#include <atomic>
#include <cctype>
#include <libpq-fe.h>
#include <memory>
#include <vector>

namespace
{

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
// server.
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

bool isWholeNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// `sql` with each `?` outside quotes replaced by `replace(n)` (n from 0).
QByteArray eachPlaceholder(const QString &sql, const std::function<QByteArray(int)> &replace)
{
    QByteArray out;
    const QByteArray bytes = sql.toUtf8();
    out.reserve(bytes.size() + 16);
    int next = 0;
    char quote = 0;
    for (const char c : bytes) {
        if (quote) {
            if (c == quote)
                quote = 0; // a doubled quote closes and opens again
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            out += replace(next++);
            continue;
        }
        out += c;
    }
    return out;
}

// `select` with its values written in as literals, quoted by libpq for
// this connection: COPY takes no parameters. A literal's type is left for
// the statement to decide, as with a bound value; a whole number is
// written as one. Empty when a value cannot be quoted.
QByteArray withLiterals(PGconn *conn, const QString &select, const QVariantList &params)
{
    bool failed = false;
    QByteArray sql = eachPlaceholder(select, [&](int n) -> QByteArray {
        const QVariant &v = params.value(n);
        if (v.isNull())
            return QByteArrayLiteral("NULL");
        if (isWholeNumber(v))
            return QByteArray::number(v.toLongLong());
        const QByteArray text = asText(v);
        char *quoted = PQescapeLiteral(conn, text.constData(), size_t(text.size()));
        if (!quoted) {
            failed = true;
            return {};
        }
        const QByteArray literal(quoted);
        PQfreemem(quoted);
        return literal;
    });
    return failed ? QByteArray() : sql;
}

// One line of COPY's text format (without its line end) split into its
// fields and unescaped into `decoded`, which must hold the line's bytes.
// `\N` alone is NULL.
int splitLine(const char *line, int size, QByteArray &decoded,
              std::vector<ServerRows::Field> &fields)
{
    char *out = decoded.data();
    char *const begin = out;
    int count = 0;
    const char *p = line;
    const char *const end = line + size;
    for (;;) {
        const char *start = p;
        char *fieldStart = out;
        while (p < end && *p != '\t') {
            if (*p != '\\' || p + 1 == end) {
                *out++ = *p++;
                continue;
            }
            const char e = p[1];
            p += 2;
            switch (e) {
            case 'b':
                *out++ = '\b';
                break;
            case 'f':
                *out++ = '\f';
                break;
            case 'n':
                *out++ = '\n';
                break;
            case 'r':
                *out++ = '\r';
                break;
            case 't':
                *out++ = '\t';
                break;
            case 'v':
                *out++ = '\v';
                break;
            case 'x': {
                int v = 0, digits = 0;
                while (digits < 2 && p < end && std::isxdigit(static_cast<unsigned char>(*p))) {
                    v = v * 16 + (std::isdigit(static_cast<unsigned char>(*p))
                                      ? *p - '0'
                                      : (std::tolower(static_cast<unsigned char>(*p)) - 'a' + 10));
                    ++p;
                    ++digits;
                }
                *out++ = digits ? char(v) : 'x';
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    int v = e - '0', digits = 1;
                    while (digits < 3 && p < end && *p >= '0' && *p <= '7') {
                        v = v * 8 + (*p++ - '0');
                        ++digits;
                    }
                    *out++ = char(v);
                } else {
                    *out++ = e; // \\ and any other character stands for itself
                }
            }
        }
        ServerRows::Field f;
        if (!(p - start == 2 && start[0] == '\\' && start[1] == 'N'))
            f = {fieldStart, int(out - fieldStart)};
        if (std::size_t(count) < fields.size())
            fields[std::size_t(count)] = f;
        ++count;
        if (p >= end)
            break;
        ++p; // the tab
    }
    Q_ASSERT(out - begin <= decoded.size());
    return count;
}

QString readOn(PGconn *conn, const QString &select, const QVariantList &params,
               const std::function<void(const QStringList &)> &header,
               const std::function<bool(const ServerRows::Field *, int)> &row)
{
    // The columns' names, as the statement describes them.
    const QByteArray numberedSql = ServerRows::numbered(select).toUtf8();
    Result prepared(PQprepare(conn, "", numberedSql.constData(), int(params.size()), nullptr),
                    &PQclear);
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        return said(conn, prepared.get());
    Result described(PQdescribePrepared(conn, ""), &PQclear);
    if (PQresultStatus(described.get()) != PGRES_COMMAND_OK)
        return said(conn, described.get());
    const int columns = PQnfields(described.get());
    QStringList names;
    for (int c = 0; c < columns; ++c)
        names << QString::fromUtf8(PQfname(described.get(), c));

    // The rows as the server streams them: one statement, one snapshot.
    const QByteArray literal = withLiterals(conn, select, params);
    if (literal.isEmpty())
        return said(conn, nullptr);
    const QByteArray copy =
        QByteArrayLiteral("COPY (") + literal + QByteArrayLiteral(") TO STDOUT");
    Result started(PQexec(conn, copy.constData()), &PQclear);
    if (PQresultStatus(started.get()) != PGRES_COPY_OUT)
        return said(conn, started.get());
    header(names);

    std::vector<ServerRows::Field> fields(static_cast<std::size_t>(columns));
    QByteArray decoded;
    QString error;
    bool more = true;
    char *line = nullptr;
    int n = 0;
    while (more && (n = PQgetCopyData(conn, &line, 0)) > 0) {
        const int size = n > 0 && line[n - 1] == '\n' ? n - 1 : n;
        if (decoded.size() < size + 1)
            decoded.resize(std::max<qsizetype>(size + 1, decoded.size() * 2));
        const int count = splitLine(line, size, decoded, fields);
        if (count != columns)
            error = QStringLiteral("the server sent a row of %1 values for %2 columns")
                        .arg(count)
                        .arg(columns);
        else
            more = row(fields.data(), columns);
        PQfreemem(line);
        more = more && error.isEmpty();
    }
    if (more && n == -2)
        error = said(conn, nullptr);
    if (!more) {
        // Stopped early: the server is asked to stop sending, and what it
        // sent meanwhile is passed by.
        if (PGcancel *cancel = PQgetCancel(conn)) {
            char why[256];
            PQcancel(cancel, why, int(sizeof why));
            PQfreeCancel(cancel);
        }
        while ((n = PQgetCopyData(conn, &line, 0)) > 0)
            PQfreemem(line);
    }
    for (Result r(PQgetResult(conn), &PQclear); r; r.reset(PQgetResult(conn)))
        if (more && error.isEmpty() && PQresultStatus(r.get()) != PGRES_COMMAND_OK)
            error = said(conn, r.get());
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
