#include "access/AccessFrames.h"

#include <QtEndian>

namespace AccessFrames
{

Writer::Writer(Kind kind)
{
    m_payload.append(char(kind));
}

Writer &Writer::u8(quint8 v)
{
    m_payload.append(char(v));
    return *this;
}

Writer &Writer::u32(quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    m_payload.append(b, 4);
    return *this;
}

Writer &Writer::u64(quint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    m_payload.append(b, 8);
    return *this;
}

Writer &Writer::bytes(const QByteArray &b)
{
    return bytes(b.constData(), b.size());
}

Writer &Writer::bytes(const char *data, qsizetype size)
{
    u32(quint32(size));
    m_payload.append(data, size);
    return *this;
}

QByteArray Writer::frame() const
{
    char length[4];
    qToLittleEndian(quint32(m_payload.size()), length);
    return QByteArray(length, 4) + m_payload;
}

bool Reader::take(qsizetype n)
{
    if (m_failed || n < 0 || m_data.size() - m_at < n) {
        m_failed = true;
        return false;
    }
    return true;
}

quint8 Reader::u8()
{
    if (!take(1))
        return 0;
    return quint8(m_data.at(m_at++));
}

quint32 Reader::u32()
{
    if (!take(4))
        return 0;
    const quint32 v = qFromLittleEndian<quint32>(m_data.constData() + m_at);
    m_at += 4;
    return v;
}

quint64 Reader::u64()
{
    if (!take(8))
        return 0;
    const quint64 v = qFromLittleEndian<quint64>(m_data.constData() + m_at);
    m_at += 8;
    return v;
}

QByteArray Reader::bytes()
{
    const quint32 n = u32();
    if (!take(qsizetype(n)))
        return {};
    const QByteArray b = m_data.mid(m_at, qsizetype(n));
    m_at += qsizetype(n);
    return b;
}

bool Decoder::next(Frame *frame)
{
    if (!m_error.isEmpty() || pending() < 4)
        return false;
    const quint32 length = qFromLittleEndian<quint32>(m_buffer.constData() + m_at);
    if (length == 0 || length > MaxFrameBytes) {
        m_error = QStringLiteral("a frame of %1 bytes").arg(length);
        return false;
    }
    if (pending() - 4 < qsizetype(length))
        return false;
    const char kind = m_buffer.at(m_at + 4);
    switch (Kind(kind)) {
    case Kind::Hello:
    case Kind::Table:
    case Kind::Column:
    case Kind::Row:
    case Kind::End:
    case Kind::Failed:
        break;
    default:
        m_error = QStringLiteral("a frame of unknown kind %1").arg(int(quint8(kind)));
        return false;
    }
    frame->kind = Kind(kind);
    frame->payload = m_buffer.mid(m_at + 5, qsizetype(length) - 1);
    m_at += 4 + qsizetype(length);
    // Drop what was read once it is the larger part, so the buffer stays
    // about one frame long however many rows pass through.
    if (m_at > 65536 && m_at * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_at);
        m_at = 0;
    }
    return true;
}

} // namespace AccessFrames
