#include "safekeeping/CsvWriter.h"

#include <QIODevice>
#include <cstring>

namespace
{

constexpr qsizetype BufferBytes = 1 << 20;

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

bool needsQuotes(const char *data, qsizetype size, bool firstInFile)
{
    if (size == 0)
        return true; // "" is empty text; nothing at all is NULL
    // Readers drop a byte order mark at the very start of a file; a value
    // that starts with one keeps it inside quotes.
    if (firstInFile && size >= 3 && std::memcmp(data, ByteOrderMark, 3) == 0)
        return true;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

} // namespace

CsvWriter::CsvWriter(QIODevice *device) : m_device(device)
{
    m_buffer.reserve(BufferBytes + 4096);
}

void CsvWriter::separate()
{
    if (m_rowStarted)
        m_buffer.append(',');
    m_rowStarted = true;
}

void CsvWriter::field(const char *utf8, qsizetype size)
{
    const bool firstInFile = m_rows == 0 && !m_rowStarted;
    separate();
    if (!needsQuotes(utf8, size, firstInFile)) {
        m_buffer.append(utf8, size);
    } else {
        m_buffer.append('"');
        const char *end = utf8 + size;
        for (const char *p = utf8; p < end;) {
            const char *quote = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
            const char *stop = quote ? quote + 1 : end;
            m_buffer.append(p, stop - p);
            if (quote)
                m_buffer.append('"');
            p = stop;
        }
        m_buffer.append('"');
    }
    if (m_buffer.size() >= BufferBytes)
        flush();
}

void CsvWriter::field(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    field(utf8.constData(), utf8.size());
}

void CsvWriter::null()
{
    separate();
}

void CsvWriter::endRow()
{
    m_buffer.append("\r\n", 2);
    m_rowStarted = false;
    ++m_rows;
    if (m_buffer.size() >= BufferBytes)
        flush();
}

bool CsvWriter::flush()
{
    if (!ok()) {
        m_buffer.resize(0); // nothing more reaches the device
        return false;
    }
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const qint64 n = m_device->write(m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0) {
            m_error = m_device->errorString();
            m_buffer.clear();
            return false;
        }
        done += qsizetype(n);
    }
    m_buffer.resize(0);
    return true;
}
