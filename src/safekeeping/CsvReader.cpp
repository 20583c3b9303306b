#include "safekeeping/CsvReader.h"

#include <QIODevice>
#include <csv.h>

namespace
{

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr qsizetype ByteOrderMarkSize = 3;
constexpr qint64 ChunkBytes = 64 * 1024;

// libcsv trims spaces and tabs around unquoted fields unless told that no
// character is a space; a value is kept exactly as written.
int noSpaces(unsigned char)
{
    return 0;
}

} // namespace

struct CsvReader::Parser {
    csv_parser p{};
    bool ready = false;
    ~Parser()
    {
        if (ready)
            csv_free(&p);
    }
};

CsvReader::CsvReader(RowHandler handler, qsizetype maxFieldBytes)
    : m_handler(std::move(handler)), m_maxFieldBytes(maxFieldBytes),
      m_parser(std::make_unique<Parser>())
{
    if (csv_init(&m_parser->p, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0) {
        m_error = QString::fromUtf8(csv_strerror(CSV_ENOMEM));
        m_ended = true;
        return;
    }
    m_parser->ready = true;
    csv_set_space_func(&m_parser->p, noSpaces);
}

CsvReader::~CsvReader() = default;

void CsvReader::onField(void *data, size_t size, void *self)
{
    auto *r = static_cast<CsvReader *>(self);
    if (r->m_ended)
        return;
    if (qsizetype(size) > r->m_maxFieldBytes) {
        r->m_tooLarge = true;
        r->m_error = QStringLiteral("a value of more than %1 bytes").arg(r->m_maxFieldBytes);
        r->m_ended = true;
        return;
    }
    CsvField f;
    if (data)
        f.bytes = QByteArray(static_cast<const char *>(data), qsizetype(size));
    else
        f.null = true;
    r->m_row.append(std::move(f));
}

void CsvReader::onRowEnd(int, void *self)
{
    auto *r = static_cast<CsvReader *>(self);
    if (r->m_ended)
        return;
    ++r->m_rows;
    if (!r->m_handler(r->m_row))
        r->m_ended = true;
    r->m_row.clear();
}

bool CsvReader::parse(const char *data, size_t size)
{
    const size_t done = csv_parse(&m_parser->p, data, size, onField, onRowEnd, this);
    if (m_ended)
        return false;
    if (done != size) {
        m_error = QString::fromUtf8(csv_strerror(csv_error(&m_parser->p)));
        m_ended = true;
        return false;
    }
    // A value still being collected counts against the limit too, so that
    // an unclosed quote in a large file does not take its whole size.
    if (qsizetype(csv_get_buffer_size(&m_parser->p)) > m_maxFieldBytes + ChunkBytes) {
        m_tooLarge = true;
        m_error = QStringLiteral("a value of more than %1 bytes").arg(m_maxFieldBytes);
        m_ended = true;
        return false;
    }
    return true;
}

bool CsvReader::feed(const char *data, qsizetype size)
{
    if (m_ended)
        return false;
    if (!m_started) {
        m_start.append(data, size);
        if (m_start.size() < ByteOrderMarkSize && QByteArray(ByteOrderMark).startsWith(m_start))
            return true; // not yet known
        m_started = true;
        const qsizetype skip = m_start.startsWith(ByteOrderMark) ? ByteOrderMarkSize : 0;
        const QByteArray first = m_start.mid(skip);
        m_start.clear();
        return parse(first.constData(), size_t(first.size()));
    }
    return parse(data, size_t(size));
}

bool CsvReader::finish()
{
    if (m_ended)
        return false;
    if (!m_started) {
        m_started = true;
        if (!parse(m_start.constData(), size_t(m_start.size())))
            return false;
    }
    if (csv_fini(&m_parser->p, onField, onRowEnd, this) != 0 && !m_ended) {
        m_error = QString::fromUtf8(csv_strerror(csv_error(&m_parser->p)));
        m_ended = true;
    }
    const bool ok = !m_ended;
    m_ended = true;
    return ok;
}

bool CsvReader::read(QIODevice &device)
{
    QByteArray chunk(qsizetype(ChunkBytes), Qt::Uninitialized);
    for (;;) {
        const qint64 n = device.read(chunk.data(), ChunkBytes);
        if (n < 0) {
            m_error = device.errorString();
            m_ended = true;
            return false;
        }
        if (n == 0)
            break;
        if (!feed(chunk.constData(), qsizetype(n)))
            return false;
    }
    return finish();
}
