#include "safekeeping/TableImport.h"

#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <sqlite3.h>

CsvImportResult TableImport::run(const QString &databasePath, const QString &table,
                                 const QList<CsvColumn> &fields, QIODevice &file,
                                 const std::atomic<bool> *cancel,
                                 const std::function<void(qint64)> &progress)
{
    using namespace SafekeepingTexts;
    CsvImportResult failed;
    QString error;
    const SafeSqlite::Connection db =
        SafeSqlite::open(databasePath, SafeSqlite::Access::ReadWrite, &error);
    if (!db || !SafeSqlite::exec(db.get(), "BEGIN IMMEDIATE", &error)) {
        failed.error = QString::fromUtf8(ImportDatabaseFailed).arg(databasePath, error);
        return failed;
    }

    // The fields filled are the same for every row: one statement, prepared
    // at the first row.
    SafeSqlite::Statement insert;
    const auto sink = [&](const QStringList &names, const QVariantList &values, QString *why) {
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

    CsvImportResult result = CsvImport(fields).run(file, sink, cancel, progress);
    insert.reset();
    if (result.ok && !SafeSqlite::exec(db.get(), "COMMIT", &error)) {
        result.ok = false;
        result.error = QString::fromUtf8(ImportRefused).arg(result.rows).arg(error);
    }
    if (!result.ok) {
        QString ignored;
        SafeSqlite::exec(db.get(), "ROLLBACK", &ignored);
    }
    return result;
}
