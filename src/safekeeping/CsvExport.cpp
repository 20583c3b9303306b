#include "safekeeping/CsvExport.h"

#include "records/CaseDatabase.h"
#include "records/ServerRows.h"
#include "records/TableRows.h"
#include "safekeeping/CsvWriter.h"
#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <QFileInfo>
#include <cstring>
#include <functional>
#include <sqlite3.h>

namespace
{

using namespace SafekeepingTexts;

constexpr qint64 RowsPerReport = 4096;

bool cancelled(const CsvExportOptions &options)
{
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// A value read through the data layer, written as writeRows() writes a
// SQLite statement's: text as stored, whole numbers in decimal, NULL as
// nothing at all.
void writeValue(CsvWriter &writer, const QVariant &value)
{
    if (value.isNull()) {
        writer.null();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const QByteArray digits = QByteArray::number(value.toLongLong());
        writer.field(digits.constData(), digits.size());
        return;
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        writer.field(bytes.constData(), bytes.size());
        return;
    }
    default:
        writer.field(value.toString());
    }
}

// The written file put in place of `target`: the export's result.
CsvExportResult committed(PrivateOutput &out, const CsvWriter &writer, const QString &target,
                          PrivateOutput::Replace replace)
{
    CsvExportResult result;
    QString error;
    if (!out.commit(replace, &error)) {
        result.error =
            QString::fromUtf8(ExportWriteFailed).arg(QFileInfo(target).fileName(), error);
        return result;
    }
    result.ok = true;
    result.path = target;
    result.rows = writer.rows() - 1;
    return result;
}

// A header row and then the rows a reader streams, written into `target`:
// `read` writes the fields of each row and calls `rowDone`, which ends the
// row and, every RowsPerReport rows, reports progress and looks at the
// writer's errors and the cancel; it stops the reading when it says false.
// `read` returns its own error, empty when none.
using StreamRead = std::function<QString(CsvWriter &writer, const std::function<bool()> &rowDone)>;

CsvExportResult streamedToFile(const QString &target, const CsvExportOptions &options,
                               const StreamRead &read)
{
    CsvExportResult result;
    const QString shown = QFileInfo(target).fileName();
    QString error;
    PrivateOutput out(target);
    if (!out.open(&error)) {
        result.error = QString::fromUtf8(ExportWriteFailed).arg(shown, error);
        return result;
    }
    CsvWriter writer(&out.file());
    qint64 rows = 0;
    bool stopped = false;
    const QString readError = read(writer, [&] {
        writer.endRow();
        if (++rows % RowsPerReport != 0)
            return true;
        if (!writer.ok())
            return false;
        if (options.progress)
            options.progress(rows);
        stopped = cancelled(options);
        return !stopped;
    });
    if (stopped) {
        result.cancelled = true;
        result.error = QString::fromUtf8(ExportCancelled);
        return result;
    }
    if (!readError.isEmpty()) {
        result.error = QString::fromUtf8(ExportReadFailed).arg(readError);
        return result;
    }
    if (!writer.flush()) {
        result.error = QString::fromUtf8(ExportWriteFailed).arg(shown, writer.error());
        return result;
    }
    if (options.progress)
        options.progress(rows);
    return committed(out, writer, target, options.replace);
}

void writeHeader(CsvWriter &writer, const QStringList &columns)
{
    for (const QString &c : columns)
        writer.field(c);
    writer.endRow();
}

// The header (the result's column names) and the rows of a prepared
// statement, as SQLite stores them: text as stored, numbers as SQLite
// writes them. SQLite's error, empty when none (also when `rowDone` ended
// the reading).
QString readStatement(sqlite3_stmt *statement, CsvWriter &writer,
                      const std::function<bool()> &rowDone)
{
    const int columns = sqlite3_column_count(statement);
    for (int c = 0; c < columns; ++c) {
        const char *name = sqlite3_column_name(statement, c);
        writer.field(name, qsizetype(std::strlen(name)));
    }
    writer.endRow();
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_NULL:
                writer.null();
                break;
            case SQLITE_BLOB: {
                const void *bytes = sqlite3_column_blob(statement, c);
                writer.field(static_cast<const char *>(bytes), sqlite3_column_bytes(statement, c));
                break;
            }
            default: {
                const auto *text =
                    reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
                writer.field(text, sqlite3_column_bytes(statement, c));
            }
            }
        }
        if (!rowDone())
            return {};
    }
    return rc == SQLITE_DONE ? QString() : SafeSqlite::errorText(sqlite3_db_handle(statement));
}

} // namespace

QString CsvExport::tableQuery(const QString &table)
{
    return QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(SafeSqlite::quoted(table));
}

CsvExportResult CsvExport::toFile(const QString &databasePath, const QString &select,
                                  const QVariantList &values, const QString &target,
                                  const CsvExportOptions &options)
{
    CsvExportResult result;
    const QString shown = QFileInfo(target).fileName();
    if (PrivateOutput::namesDatabase(target, databasePath)) {
        result.error = QString::fromUtf8(TargetIsDatabase).arg(shown);
        return result;
    }
    QString error;
    const SafeSqlite::Connection db =
        SafeSqlite::open(databasePath, SafeSqlite::Access::ReadOnly, &error);
    SafeSqlite::Statement statement;
    if (db)
        statement = SafeSqlite::prepare(db.get(), select, &error);
    for (int i = 0; statement && i < values.size(); ++i) {
        if (!SafeSqlite::bind(statement.get(), i + 1, values.at(i))) {
            error = SafeSqlite::errorText(db.get());
            statement.reset();
        }
    }
    if (!statement || !SafeSqlite::exec(db.get(), "BEGIN", &error)) {
        result.error = QString::fromUtf8(ExportReadFailed).arg(error);
        return result;
    }
    result = streamedToFile(target, options, [&](CsvWriter &writer, const auto &rowDone) {
        return readStatement(statement.get(), writer, rowDone);
    });
    statement.reset();
    sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
    return result;
}

CsvExportResult CsvExport::tableToFile(const CaseDatabase &db, const QString &table,
                                       const QString &target, const CsvExportOptions &options)
{
    if (!db.filePath().isEmpty() && PrivateOutput::namesDatabase(target, db.filePath())) {
        CsvExportResult result;
        result.error = QString::fromUtf8(TargetIsDatabase).arg(QFileInfo(target).fileName());
        return result;
    }
    return streamedToFile(target, options, [&](CsvWriter &writer, const auto &rowDone) {
        return TableRows::read(
            db, table, [&writer](const QStringList &columns) { writeHeader(writer, columns); },
            [&](const QVariantList &values) {
                for (const QVariant &v : values)
                    writeValue(writer, v);
                return rowDone();
            });
    });
}

CsvExportResult CsvExport::serverSelectToFile(const CaseDatabase &db, const QString &select,
                                              const QVariantList &values, const QString &target,
                                              const CsvExportOptions &options)
{
    return streamedToFile(target, options, [&](CsvWriter &writer, const auto &rowDone) {
        return ServerRows::read(
            db, select, values,
            [&writer](const QStringList &columns) { writeHeader(writer, columns); },
            [&](const ServerRows::Field *fields, int count) {
                for (int c = 0; c < count; ++c) {
                    if (fields[c].data)
                        writer.field(fields[c].data, fields[c].size);
                    else
                        writer.null();
                }
                return rowDone();
            });
    });
}
