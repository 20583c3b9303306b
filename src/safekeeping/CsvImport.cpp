#include "safekeeping/CsvImport.h"

#include "safekeeping/CsvReader.h"
#include "safekeeping/FieldMatch.h"
#include "safekeeping/SafekeepingTexts.h"

#include <optional>

namespace
{

using namespace SafekeepingTexts;

constexpr qint64 RowsPerReport = 1024;

QString decoded(const QByteArray &bytes, bool *valid)
{
    QString s = QString::fromUtf8(bytes);
    // Bytes that are not UTF-8 become U+FFFD; they would not encode back.
    *valid = s.toUtf8() == bytes;
    return s;
}

// The header read, matched to the fields; then each row checked and turned
// into values.
class Matcher
{
  public:
    explicit Matcher(const QList<CsvColumn> &fields) : m_match(fields) {}

    bool header(const CsvRow &row, CsvPreview *p)
    {
        m_width = row.size();
        QStringList names;
        for (const CsvField &f : row) {
            bool valid = true;
            names << decoded(f.bytes, &valid);
        }
        return m_match.header(names, p);
    }

    // The values of a data row (number: 1 for the first), or the fault.
    std::optional<QVariantList> values(const CsvRow &row, qint64 number, QString *error) const
    {
        if (row.size() != m_width) {
            *error = QString::fromUtf8(ImportFieldCount).arg(number).arg(row.size()).arg(m_width);
            return std::nullopt;
        }
        QVariantList out;
        out.reserve(m_match.matched().size());
        for (int c = 0; c < row.size(); ++c) {
            const int f = m_match.fieldOf(c);
            if (f < 0)
                continue;
            const CsvField &field = row.at(c);
            if (field.null) {
                out << QVariant();
                continue;
            }
            bool valid = true;
            const QString value = decoded(field.bytes, &valid);
            if (!valid) {
                *error = QString::fromUtf8(ImportNotUtf8).arg(number).arg(m_match.field(f).name);
                return std::nullopt;
            }
            const std::optional<QVariant> checked = m_match.value(f, value, number, error);
            if (!checked)
                return std::nullopt;
            out << *checked;
        }
        return out;
    }

    const QStringList &matched() const { return m_match.matched(); }

  private:
    FieldMatch m_match;
    qsizetype m_width = 0;
};

QString readingError(const CsvReader &reader, qint64 row)
{
    if (reader.tooLarge())
        return QString::fromUtf8(ImportHugeValue).arg(row).arg(CsvReader::DefaultMaxFieldBytes);
    return QString::fromUtf8(ImportBadCsv).arg(row).arg(reader.error());
}

} // namespace

CsvImport::CsvImport(const QList<CsvColumn> &fields) : m_fields(fields) {}

CsvPreview CsvImport::preview(QIODevice &file, int rows) const
{
    CsvPreview p;
    Matcher matcher(m_fields);
    bool headerRead = false;
    CsvReader reader([&](const CsvRow &row) {
        if (!headerRead) {
            headerRead = true;
            return matcher.header(row, &p) && rows > 0;
        }
        const auto values = matcher.values(row, p.rows.size() + 1, &p.error);
        if (!values)
            return false;
        p.rows << *values;
        return p.rows.size() < rows;
    });
    reader.read(file);
    if (reader.failed())
        p.error = readingError(reader, reader.rows());
    else if (!headerRead)
        p.error = QString::fromUtf8(ImportEmpty);
    p.ok = p.error.isEmpty();
    return p;
}

CsvImportResult CsvImport::run(QIODevice &file, const Sink &sink, const std::atomic<bool> *cancel,
                               const std::function<void(qint64)> &progress) const
{
    CsvImportResult result;
    CsvPreview header;
    Matcher matcher(m_fields);
    bool headerRead = false;
    CsvReader reader([&](const CsvRow &row) {
        if (!headerRead) {
            headerRead = true;
            if (!matcher.header(row, &header)) {
                result.error = header.error;
                return false;
            }
            return true;
        }
        const qint64 number = result.rows + 1;
        const auto values = matcher.values(row, number, &result.error);
        QString refused;
        if (values && !sink(matcher.matched(), *values, &refused))
            result.error = QString::fromUtf8(ImportRefused).arg(number).arg(refused);
        if (!result.error.isEmpty()) {
            result.failedRow = number;
            return false;
        }
        if (++result.rows % RowsPerReport == 0) {
            if (progress)
                progress(result.rows);
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                result.cancelled = true;
                result.error = QString::fromUtf8(ImportCancelled);
                return false;
            }
        }
        return true;
    });
    reader.read(file);
    if (reader.failed()) {
        // The row being read when the reading failed: the header is row 0.
        result.failedRow = reader.rows();
        result.error = reader.rows() == 0 && !reader.tooLarge()
                           ? QString::fromUtf8(ImportUnreadable).arg(reader.error())
                           : readingError(reader, reader.rows());
    } else if (!headerRead && result.error.isEmpty()) {
        result.error = QString::fromUtf8(ImportEmpty);
    }
    result.ok = result.error.isEmpty();
    if (result.ok && progress)
        progress(result.rows);
    return result;
}
