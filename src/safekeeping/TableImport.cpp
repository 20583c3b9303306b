#include "safekeeping/TableImport.h"

#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <sqlite3.h>

namespace
{

using namespace SafekeepingTexts;

// Finds rows of the table that hold a value of one field: those there
// before the import began (a row it added is no row "already there").
class KnownValues
{
  public:
    KnownValues(sqlite3 *db, const QString &table, const QString &field)
        : m_db(db), m_table(table), m_field(field)
    {
    }

    bool start(QString *error)
    {
        if (m_field.isEmpty())
            return true;
        SafeSqlite::Statement last = SafeSqlite::prepare(
            m_db, QStringLiteral("SELECT max(rowid) FROM %1").arg(SafeSqlite::quoted(m_table)),
            error);
        if (!last || sqlite3_step(last.get()) != SQLITE_ROW) {
            if (error->isEmpty())
                *error = SafeSqlite::errorText(m_db);
            return false;
        }
        m_lastBefore = sqlite3_column_int64(last.get(), 0);
        m_find = SafeSqlite::prepare(
            m_db,
            QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?1 AND rowid <= ?2 LIMIT 1")
                .arg(SafeSqlite::quoted(m_table), SafeSqlite::quoted(m_field)),
            error);
        return bool(m_find);
    }

    // Whether the row's value of the field is held already; false with an
    // error when the look failed.
    bool known(const QStringList &names, const QVariantList &values, bool *isKnown, QString *why)
    {
        *isKnown = false;
        const qsizetype at = m_field.isEmpty() ? -1 : names.indexOf(m_field);
        if (at < 0 || values.at(at).isNull())
            return true;
        sqlite3_reset(m_find.get());
        SafeSqlite::bind(m_find.get(), 1, values.at(at));
        sqlite3_bind_int64(m_find.get(), 2, m_lastBefore);
        const int rc = sqlite3_step(m_find.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            *why = SafeSqlite::errorText(m_db);
            return false;
        }
        *isKnown = rc == SQLITE_ROW;
        return true;
    }

  private:
    sqlite3 *m_db;
    QString m_table;
    QString m_field;
    qint64 m_lastBefore = 0;
    SafeSqlite::Statement m_find;
};

} // namespace

CsvImportResult TableImport::run(const QString &databasePath, const QString &table,
                                 const QList<CsvColumn> &fields, QIODevice &file,
                                 const Options &options)
{
    CsvImportResult failed;
    QString error;
    const SafeSqlite::Connection db =
        SafeSqlite::open(databasePath, SafeSqlite::Access::ReadWrite, &error);
    KnownValues known(db.get(), table, options.field);
    // Counting only reads; the import itself holds the write lock from the
    // first look at the table to the commit.
    if (!db || !SafeSqlite::exec(db.get(), options.count ? "BEGIN" : "BEGIN IMMEDIATE", &error) ||
        !known.start(&error)) {
        failed.error = QString::fromUtf8(ImportDatabaseFailed).arg(databasePath, error);
        return failed;
    }

    // The fields filled are the same for every row: one statement, prepared
    // at the first row.
    SafeSqlite::Statement insert;
    qint64 skipped = 0;
    const auto sink = [&](const QStringList &names, const QVariantList &values, QString *why) {
        bool isKnown = false;
        if (!known.known(names, values, &isKnown, why))
            return false;
        if (isKnown)
            ++skipped;
        if (options.count || isKnown)
            return true;
        if (!insert) {
            QStringList quoted;
            for (const QString &n : names)
                quoted << SafeSqlite::quoted(n);
            insert = SafeSqlite::prepare(
                db.get(),
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(SafeSqlite::quoted(table), quoted.join(QStringLiteral(", ")),
                         QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
                why);
            if (!insert)
                return false;
        }
        sqlite3_reset(insert.get());
        for (int i = 0; i < values.size(); ++i)
            SafeSqlite::bind(insert.get(), i + 1, values.at(i));
        if (sqlite3_step(insert.get()) != SQLITE_DONE) {
            *why = SafeSqlite::errorText(db.get());
            return false;
        }
        return true;
    };

    CsvImportResult result = CsvImport(fields).run(file, sink, options.cancel, options.progress);
    result.skipped = skipped;
    insert.reset();
    if (result.ok && !options.count && !SafeSqlite::exec(db.get(), "COMMIT", &error)) {
        result.ok = false;
        result.error = QString::fromUtf8(ImportRefused).arg(result.rows).arg(error);
    }
    if (!result.ok || options.count) {
        QString ignored;
        SafeSqlite::exec(db.get(), "ROLLBACK", &ignored);
    }
    return result;
}
