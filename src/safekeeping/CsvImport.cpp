#include "safekeeping/CsvImport.h"

#include "safekeeping/CsvReader.h"
#include "safekeeping/SafekeepingTexts.h"

#include <optional>

namespace
{

using namespace SafekeepingTexts;

constexpr qint64 RowsPerReport = 1024;

QString text(const char *format)
{
    return QString::fromUtf8(format);
}

QString decoded(const QByteArray &bytes, bool *valid)
{
    QString s = QString::fromUtf8(bytes);
    // Bytes that are not UTF-8 become U+FFFD; they would not encode back.
    *valid = s.toUtf8() == bytes;
    return s;
}

// Line breaks as the window's boxes hold them: CR LF, whatever form the
// file has them in (a lone LF from a spreadsheet, a lone CR), so that a
// value counted here is as long as it is once the steward edits it.
QString withCrLf(const QString &value)
{
    if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
            if (c == QLatin1Char('\r') && i + 1 < value.size() &&
                value.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The header read, matched to the fields; then each row checked and turned
// into values.
class Matcher
{
  public:
    explicit Matcher(const QList<CsvColumn> &fields) : m_fields(fields) {}

    bool header(const CsvRow &row, CsvPreview *p)
    {
        m_width = row.size();
        QList<bool> taken(m_fields.size(), false);
        for (const CsvField &f : row) {
            bool valid = true;
            const QString name = decoded(f.bytes, &valid).trimmed();
            p->header << name;
            int match = -1;
            for (int i = 0; i < m_fields.size() && match < 0; ++i) {
                if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                    match = i;
            }
            if (match >= 0 && taken.at(match)) {
                p->error = text(ImportDuplicateColumn).arg(name);
                return false;
            }
            m_columnField << match;
            if (match < 0) {
                p->ignored << name;
            } else {
                taken[match] = true;
                p->matched << m_fields.at(match).name;
            }
        }
        for (int i = 0; i < m_fields.size(); ++i) {
            if (!taken.at(i))
                p->missing << m_fields.at(i).name;
        }
        if (p->matched.isEmpty()) {
            p->error = text(ImportNothingMatches).arg(p->header.join(QStringLiteral(", ")));
            return false;
        }
        m_matched = p->matched;
        return true;
    }

    // The values of a data row (number: 1 for the first), or the fault.
    std::optional<QVariantList> values(const CsvRow &row, qint64 number, QString *error) const
    {
        if (row.size() != m_width) {
            *error = text(ImportFieldCount).arg(number).arg(row.size()).arg(m_width);
            return std::nullopt;
        }
        QVariantList out;
        out.reserve(m_matched.size());
        for (int c = 0; c < row.size(); ++c) {
            const int f = m_columnField.at(c);
            if (f < 0)
                continue;
            const CsvField &field = row.at(c);
            if (field.null) {
                out << QVariant();
                continue;
            }
            bool valid = true;
            const QString value = withCrLf(decoded(field.bytes, &valid));
            const CsvColumn &column = m_fields.at(f);
            if (!valid) {
                *error = text(ImportNotUtf8).arg(number).arg(column.name);
                return std::nullopt;
            }
            // SQLite would store it, but text ends at it for every reader.
            if (field.bytes.contains('\0')) {
                *error = text(ImportNul).arg(number).arg(column.name);
                return std::nullopt;
            }
            if (column.maxLength > 0 && value.size() > column.maxLength) {
                *error = text(ImportTooLong)
                             .arg(number)
                             .arg(column.name)
                             .arg(value.size())
                             .arg(column.maxLength);
                return std::nullopt;
            }
            out << QVariant(value);
        }
        return out;
    }

    const QStringList &matched() const { return m_matched; }

  private:
    const QList<CsvColumn> &m_fields;
    QList<int> m_columnField; // per column of the file: its field, or -1
    QStringList m_matched;
    qsizetype m_width = 0;
};

QString readingError(const CsvReader &reader, qint64 row)
{
    if (reader.tooLarge())
        return text(ImportHugeValue).arg(row).arg(CsvReader::DefaultMaxFieldBytes);
    return text(ImportBadCsv).arg(row).arg(reader.error());
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
        p.error = text(ImportEmpty);
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
            result.error = text(ImportRefused).arg(number).arg(refused);
        if (!result.error.isEmpty()) {
            result.failedRow = number;
            return false;
        }
        if (++result.rows % RowsPerReport == 0) {
            if (progress)
                progress(result.rows);
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                result.cancelled = true;
                result.error = text(ImportCancelled);
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
                           ? text(ImportUnreadable).arg(reader.error())
                           : readingError(reader, reader.rows());
    } else if (!headerRead && result.error.isEmpty()) {
        result.error = text(ImportEmpty);
    }
    result.ok = result.error.isEmpty();
    if (result.ok && progress)
        progress(result.rows);
    return result;
}
