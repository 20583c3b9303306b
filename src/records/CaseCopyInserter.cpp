#include "records/CaseCopyInserter.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"
#include "records/CaseCopy.h"
#include "records/CaseCopyTable.h"
#include "records/CaseCopyTexts.h"
#include "records/DatabaseBackend.h"

#include <QSqlDriver>
#include <QSqlError>
#include <libpq-fe.h>
#include <memory>

using namespace CaseCopyTexts;

CaseCopyInserter::CaseCopyInserter(const DatabaseBackend &target, const QSqlDatabase &db,
                                   const CaseCopyTable &table)
    : m_target(target), m_db(db), m_table(table), m_full(db)
{
    m_onServer = target.filePath().isEmpty();
    m_columns = table.storedColumns.size();
    if (m_onServer)
        return;
    if (!m_full.prepare(statement(CaseCopy::InsertRows)))
        throw m_target.errorFrom(m_full.lastError(), m_table.storedName);
}

namespace
{

// A value in COPY's text form: \N for NULL, the four characters that end a
// field or a row written as escapes.
void appendField(QByteArray &stream, const QVariant &v, bool number)
{
    if (v.isNull()) {
        stream += "\\N";
        return;
    }
    const QByteArray text = number ? QByteArray::number(v.toLongLong()) : v.toString().toUtf8();
    for (const char c : text) {
        switch (c) {
        case '\\':
            stream += "\\\\";
            break;
        case '\t':
            stream += "\\t";
            break;
        case '\n':
            stream += "\\n";
            break;
        case '\r':
            stream += "\\r";
            break;
        default:
            stream += c;
        }
    }
}

} // namespace

void CaseCopyInserter::add(const QVariantList &row)
{
    if (m_onServer) {
        checkLengths(row);
        for (int i = 0; i < row.size(); ++i) {
            if (i > 0)
                m_stream += '\t';
            appendField(m_stream, row.at(i), m_table.numbered && i == 0);
        }
        m_stream += '\n';
        if (++m_streamRows == CopyRows)
            flush();
        return;
    }
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
    if (m_onServer) {
        copyToServer();
        return;
    }
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

void CaseCopyInserter::copyToServer()
{
    if (m_streamRows == 0)
        return;
    const QVariant handle = m_db.driver() ? m_db.driver()->handle() : QVariant();
    PGconn *conn = handle.isValid() && (qstrcmp(handle.typeName(), "PGconn*") == 0 ||
                                        qstrcmp(handle.typeName(), "pg_conn*") == 0)
                       ? *static_cast<PGconn *const *>(handle.constData())
                       : nullptr;
    if (!conn)
        throw DataError(DataErrors::General,
                        QStringLiteral("The connection to the server cannot take rows in a "
                                       "stream (%1).")
                            .arg(m_table.storedName));
    using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;
    // What the server said, as every other refusal of the server reads.
    auto refused = [&](const PGresult *r) {
        const char *code = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const QString text =
            QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(conn)).trimmed();
        return m_target.errorFrom(QSqlError(QString(), text, QSqlError::StatementError,
                                            QString::fromLatin1(code ? code : "")),
                                  m_table.storedName);
    };
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN")
                               .arg(JetSql::quoteIdentifier(m_table.storedName),
                                    CaseCopyTable::columnList(m_table.storedColumns))
                               .toUtf8();
    Result started(PQexec(conn, sql.constData()), &PQclear);
    if (PQresultStatus(started.get()) != PGRES_COPY_IN)
        throw refused(started.get());
    const bool sent = PQputCopyData(conn, m_stream.constData(), int(m_stream.size())) == 1;
    // Ended either way: a stream left open would hold the connection.
    const bool ended = PQputCopyEnd(conn, sent ? nullptr : "not sent") == 1;
    bool ok = sent && ended;
    DataError failure(DataErrors::General, QString());
    for (Result r(PQgetResult(conn), &PQclear); r; r.reset(PQgetResult(conn))) {
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK && ok) {
            ok = false;
            failure = refused(r.get());
        }
    }
    if (!ok)
        throw failure.description().isEmpty() ? refused(nullptr) : failure;
    m_stream.clear();
    m_streamRows = 0;
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
