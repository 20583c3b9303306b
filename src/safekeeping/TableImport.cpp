#include "safekeeping/TableImport.h"

#include "jetsql/DataError.h"
#include "records/CaseImportWriter.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "safekeeping/SafekeepingTexts.h"

namespace
{

using namespace SafekeepingTexts;

bool isComplaints(const QString &table)
{
    return table.compare(QString::fromLatin1(CaseSchema::ComplaintsTable), Qt::CaseInsensitive) ==
           0;
}

// One import's rows, as CsvImport hands them on, put to the writer.
class Rows
{
  public:
    Rows(CaseImportWriter &writer, const QString &table, const TableImportOptions &options)
        : m_writer(writer), m_table(table), m_options(options),
          m_all(CaseImportWriter::fields(table)), m_numbered(isComplaints(table))
    {
    }

    // Called inside the writer's transaction, before the first row.
    void start()
    {
        if (m_numbered && !m_options.count)
            m_next = m_writer.highestNumber() + 1;
    }

    bool take(const QStringList &names, const QVariantList &values, QString *why)
    {
        if (m_places.isEmpty()) {
            for (const QString &n : names) {
                m_places << m_all.indexOf(n);
                if (m_places.last() < 0) {
                    *why = QStringLiteral("%1 has no field \"%2\"").arg(m_table, n);
                    m_places.clear();
                    return false;
                }
            }
            m_known = m_options.field.isEmpty() ? -1 : names.indexOf(m_options.field);
        }
        try {
            const QVariant &key = m_known < 0 ? QVariant() : values.at(m_known);
            if (!key.isNull() && m_writer.held(m_table, m_options.field, key.toString())) {
                ++m_knownRows;
                if (!m_options.addKnown) {
                    ++skipped;
                    return true;
                }
                if (!m_options.count && m_knownRows > m_options.knownCounted) {
                    *why = QString::fromUtf8(ImportKnownSince).arg(m_options.field);
                    return false;
                }
            }
            if (m_options.count)
                return true;
            QVariantList full(m_all.size());
            for (int i = 0; i < values.size(); ++i)
                full[m_places.at(i)] = values.at(i);
            if (m_numbered)
                full[0] = m_next++;
            m_writer.add(m_table, full);
        } catch (const DataError &e) {
            *why = e.description();
            return false;
        }
        return true;
    }

    // After the last row: the numbering continues after the rows added.
    void finish()
    {
        if (!m_options.count)
            m_writer.finish(m_numbered ? m_next - 1 : 0);
    }

    qint64 skipped = 0;

  private:
    CaseImportWriter &m_writer;
    const QString m_table;
    const TableImportOptions &m_options;
    const QStringList m_all;
    const bool m_numbered;
    QList<qsizetype> m_places; // per field handed on: its place in m_all
    qsizetype m_known = -1;    // the place of options.field among the fields handed on
    qint64 m_knownRows = 0;
    qint64 m_next = 0;
};

} // namespace

CsvImportResult TableImport::run(const DatabaseBackend &database, const QString &table,
                                 const QList<CsvColumn> &fields, QIODevice &file,
                                 const Options &options)
{
    CsvImportResult result;
    bool read = false;
    try {
        CaseImportWriter writer(database);
        Rows rows(writer, table, options);
        const auto sink = [&rows](const QStringList &names, const QVariantList &values,
                                  QString *why) { return rows.take(names, values, why); };
        // Counting only reads one snapshot; the import itself holds the
        // tables from the first look at them to the commit.
        writer.run(options.count ? CaseImportWriter::Mode::Survey : CaseImportWriter::Mode::Write,
                   [&] {
                       rows.start();
                       result = CsvImport(fields).run(file, sink, options.cancel, options.progress);
                       read = true;
                       result.skipped = rows.skipped;
                       if (!result.ok) // rolled back
                           throw DataError(DataErrors::General, result.error);
                       rows.finish();
                   });
    } catch (const DataError &e) {
        if (!read || result.ok) {
            // The database could not be reached or written before the first
            // row or at the commit: nothing was added either way.
            result.ok = false;
            result.error = QString::fromUtf8(ImportDatabaseFailed)
                               .arg(database.displayName(), e.description());
        }
    }
    return result;
}

CsvImportResult TableImport::run(const QString &location, const QString &table,
                                 const QList<CsvColumn> &fields, QIODevice &file,
                                 const Options &options)
{
    const std::unique_ptr<DatabaseBackend> database = DatabaseBackend::forLocation(location);
    return run(*database, table, fields, file, options);
}
