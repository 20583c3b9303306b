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

// Rows whose held values are asked about at once: on a server one trip
// for them all.
constexpr qsizetype RowsPerQuestion = 5000;

// One import's rows, as CsvImport hands them on, put to the writer. They
// wait in batches: which of a batch's values the table held already is one
// question, then each row of the batch is left out, added or refused in
// the file's order, a refusal naming its own row.
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
        Waiting row{values, QString(), ++m_handed};
        if (m_known >= 0 && !values.at(m_known).isNull()) {
            row.key = values.at(m_known).toString();
            m_keys.insert(row.key);
        }
        m_waiting.append(std::move(row));
        return m_waiting.size() < RowsPerQuestion || settle(why);
    }

    // After the last row: the rows still waiting, then the numbering
    // continues after the rows added. False as take().
    bool finish(QString *why)
    {
        if (!settle(why))
            return false;
        if (!m_options.count) {
            try {
                m_writer.finish(m_numbered ? m_next - 1 : 0);
            } catch (const DataError &e) {
                *why = e.description();
                m_refused = m_handed;
                return false;
            }
        }
        return true;
    }

    qint64 skipped = 0;
    // The row a refusal names (the file's rows counted from 1), 0 for none.
    qint64 refusedRow() const { return m_refused; }

    // Asks about the rows waiting, then leaves out, adds or refuses each.
    // False as take().
    bool settle(QString *why);

  private:
    struct Waiting {
        QVariantList values;
        QString key; // the value of options.field; null when it has none
        qint64 number = 0;
    };

    CaseImportWriter &m_writer;
    const QString m_table;
    const TableImportOptions &m_options;
    const QStringList m_all;
    const bool m_numbered;
    QList<qsizetype> m_places; // per field handed on: its place in m_all
    qsizetype m_known = -1;    // the place of options.field among the fields handed on
    QList<Waiting> m_waiting;
    QSet<QString> m_keys; // the waiting rows' values of options.field
    qint64 m_handed = 0;
    qint64 m_knownRows = 0;
    qint64 m_next = 0;
    qint64 m_refused = 0;
};

bool Rows::settle(QString *why)
{
    qsizetype at = 0;
    try {
        const QSet<QString> held = m_keys.isEmpty()
                                       ? QSet<QString>()
                                       : m_writer.heldAmong(m_table, m_options.field, m_keys);
        for (; at < m_waiting.size(); ++at) {
            const Waiting &row = m_waiting.at(at);
            if (!row.key.isNull() && held.contains(row.key)) {
                ++m_knownRows;
                if (!m_options.addKnown) {
                    ++skipped;
                    continue;
                }
                if (!m_options.count && m_knownRows > m_options.knownCounted) {
                    *why = QString::fromUtf8(ImportKnownSince).arg(m_options.field);
                    m_refused = row.number;
                    return false;
                }
            }
            if (m_options.count)
                continue;
            QVariantList full(m_all.size());
            for (int i = 0; i < row.values.size(); ++i)
                full[m_places.at(i)] = row.values.at(i);
            if (m_numbered)
                full[0] = m_next++;
            m_writer.add(m_table, full);
        }
    } catch (const DataError &e) {
        *why = e.description();
        m_refused = at < m_waiting.size() ? m_waiting.at(at).number : m_handed;
        return false;
    }
    m_waiting.clear();
    m_keys.clear();
    return true;
}

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
        QString why; // the last refusal of a row
        const auto sink = [&rows, &why](const QStringList &names, const QVariantList &values,
                                        QString *refused) {
            if (rows.take(names, values, refused))
                return true;
            why = *refused;
            return false;
        };
        // Counting only reads one snapshot; the import itself holds the
        // tables from the first look at them to the commit.
        writer.run(
            options.count ? CaseImportWriter::Mode::Survey : CaseImportWriter::Mode::Write, [&] {
                rows.start();
                result = CsvImport(fields).run(file, sink, options.cancel, options.progress);
                read = true;
                // The rows still waiting come before the end of the
                // reading, whatever ended it: one of them refused
                // is what the steward is told, as when each row was
                // asked about as it was read.
                if (result.ok ? !rows.finish(&why) : rows.refusedRow() == 0 && !rows.settle(&why))
                    result.ok = false;
                if (rows.refusedRow() > 0) {
                    result.failedRow = rows.refusedRow();
                    result.rows = rows.refusedRow() - 1;
                    result.cancelled = false;
                    result.error = QString::fromUtf8(ImportRefused).arg(result.failedRow).arg(why);
                }
                result.skipped = rows.skipped;
                if (!result.ok) // rolled back
                    throw DataError(DataErrors::General, result.error);
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
