// Export from a shared server: the same records give the same file, byte for
// byte, as they do from a database file, for every table the File menu
// exports, and for a grid's rows with its filter and its order.
#include "records/RecordSet.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/SafekeepingFixture.h"
#include "support/TempCaseDb.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <atomic>

namespace
{

using namespace Safe;

// Pieces of the values a steward's records hold: quotes, commas, line
// breaks of every kind, spaces at the ends, text beyond the BMP, digits
// that look like numbers.
const QStringList &pieces()
{
    static const QStringList p = {
        QStringLiteral("O'Brien"),
        QStringLiteral("\"q\""),
        QStringLiteral(","),
        QStringLiteral("\r\n"),
        QStringLiteral("\n"),
        QStringLiteral("\r"),
        QStringLiteral(" "),
        QStringLiteral("007"),
        QStringLiteral("=1+2"),
        QStringLiteral("1.50"),
        QString::fromUtf8("Gr\u00fc\u00dfe"),
        QString::fromUtf8("\U0001F600"),
        QString::fromUtf8("\u4e2d"),
        QStringLiteral("x"),
    };
    return p;
}

// A value for a box of `length`: NULL, empty text or a few pieces cut to fit.
QVariant valueFor(QRandomGenerator &random, int length)
{
    const int kind = int(random.bounded(8));
    if (kind == 0)
        return QVariant(QMetaType(QMetaType::QString));
    if (kind == 1)
        return QStringLiteral("");
    QString text;
    const int count = 1 + int(random.bounded(6));
    for (int i = 0; i < count; ++i)
        text += pieces().at(int(random.bounded(qsizetype(pieces().size()))));
    // Never half a surrogate pair.
    while (text.size() > length)
        text.chop(text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
    return text;
}

// The same rows into both databases, through the program's own connection.
void fill(CaseDatabase &db, const char *table, const QList<QVariantList> &rows)
{
    const QList<CsvColumn> fields = importColumns(table);
    QStringList names;
    for (const CsvColumn &c : fields)
        names << QLatin1Char('"') + c.name + QLatin1Char('"');
    db.write([&](QSqlQuery &q) {
        ASSERT_TRUE(q.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                  .arg(QString::fromLatin1(table), names.join(QLatin1Char(',')),
                                       QStringLiteral("?,").repeated(fields.size()).chopped(1))));
        for (const QVariantList &row : rows) {
            for (const QVariant &v : row)
                q.addBindValue(v);
            if (!q.exec())
                throw db.error(q.lastError());
        }
    });
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CsvServerExport, GivesTheFileTheDatabaseFileGivesForTheSameRecords)
{
    TempCaseDb file(CaseBackend::Sqlite);
    TempCaseDb server(CaseBackend::Postgres);
    const std::shared_ptr<CaseDatabase> fileDb = file.open();
    std::shared_ptr<CaseDatabase> serverDb;
    if (server.unavailable().isEmpty())
        serverDb = server.open();
    QTemporaryDir out;
    QRandomGenerator random(20261208);

    for (const char *table : {CaseSchema::EmployeeTable, CaseSchema::ComplaintsTable}) {
        SCOPED_TRACE(table);
        const QList<CsvColumn> fields = importColumns(table);
        QList<QVariantList> rows;
        for (int r = 0; r < 300; ++r) {
            QVariantList row;
            for (const CsvColumn &c : fields)
                row << valueFor(random, c.maxLength);
            rows << row;
        }
        fill(*fileDb, table, rows);
        const QString name = QString::fromLatin1(table);

        // The file, as the File menu has always written it.
        const QString expectedPath = out.filePath(name + QStringLiteral("-file.csv"));
        const CsvExportResult expected =
            CsvExport::toFile(fileDb->filePath(), CsvExport::tableQuery(name), {}, expectedPath);
        ASSERT_TRUE(expected.ok) << expected.error.toStdString();
        EXPECT_EQ(expected.rows, rows.size());
        const QByteArray oracle = contents(expectedPath);

        // Read through the data layer from the same file: the same bytes.
        const QString layerPath = out.filePath(name + QStringLiteral("-layer.csv"));
        const CsvExportResult layer = CsvExport::tableToFile(*fileDb, name, layerPath);
        ASSERT_TRUE(layer.ok) << layer.error.toStdString();
        EXPECT_EQ(layer.rows, expected.rows);
        EXPECT_EQ(contents(layerPath), oracle);

        if (!serverDb)
            continue;
        fill(*serverDb, table, rows);
        const QString serverPath = out.filePath(name + QStringLiteral("-server.csv"));
        const CsvExportResult fromServer = CsvExport::tableToFile(*serverDb, name, serverPath);
        ASSERT_TRUE(fromServer.ok) << fromServer.error.toStdString();
        EXPECT_EQ(fromServer.rows, expected.rows);
        const QByteArray got = contents(serverPath);
        EXPECT_EQ(got.size(), oracle.size());
        EXPECT_TRUE(got == oracle)
            << "first difference at byte "
            << std::mismatch(got.begin(), got.end(), oracle.begin(), oracle.end()).first -
                   got.begin();

        // What a grid shows, filtered and sorted: the same bytes from both.
        const QString shown =
            QStringLiteral(
                "SELECT * FROM %1 WHERE [File Number] Like '*o*' OR [File Number] IS NULL ORDER BY "
                "[File Number] DESC")
                .arg(name);
        QVariantList fileParams, serverParams;
        const QString fileSelect = RecordSet(fileDb, shown).exportQuery(&fileParams);
        const QString serverSelect = RecordSet(serverDb, shown).exportQuery(&serverParams);
        const QString gridFile = out.filePath(name + QStringLiteral("-grid-file.csv"));
        const QString gridServer = out.filePath(name + QStringLiteral("-grid-server.csv"));
        const CsvExportResult a =
            CsvExport::toFile(fileDb->filePath(), fileSelect, fileParams, gridFile);
        const CsvExportResult b =
            CsvExport::serverSelectToFile(*serverDb, serverSelect, serverParams, gridServer);
        ASSERT_TRUE(a.ok && b.ok) << a.error.toStdString() << b.error.toStdString();
        EXPECT_GT(a.rows, 0);
        EXPECT_EQ(b.rows, a.rows);
        EXPECT_EQ(contents(gridServer), contents(gridFile));
    }
    if (!serverDb)
        GTEST_SKIP() << "compared on the database file only: "
                     << server.unavailable().toStdString();

    // Cancelled on the server: no file, and the next export reads every row.
    QList<QVariantList> many(5000, QVariantList(importColumns(CaseSchema::EmployeeTable).size(),
                                                QStringLiteral("many")));
    fill(*serverDb, CaseSchema::EmployeeTable, many);
    QVariantList params;
    const QString select = RecordSet(serverDb, QStringLiteral("Employee")).exportQuery(&params);
    const QString target = out.filePath(QStringLiteral("cancelled.csv"));
    std::atomic<bool> cancel{false};
    CsvExportOptions options;
    options.cancel = &cancel;
    options.progress = [&cancel](qint64) { cancel = true; };
    const CsvExportResult stopped =
        CsvExport::serverSelectToFile(*serverDb, select, params, target, options);
    EXPECT_TRUE(stopped.cancelled) << stopped.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
    const CsvExportResult whole = CsvExport::serverSelectToFile(*serverDb, select, params, target);
    ASSERT_TRUE(whole.ok) << whole.error.toStdString();
    EXPECT_EQ(whole.rows, 5300);
}

} // namespace
