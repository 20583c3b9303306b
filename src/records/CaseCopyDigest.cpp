#include "records/CaseCopyDigest.h"

#include <QCryptographicHash>
#include <QtEndian>

QByteArray CaseCopyDigest::encode(const QVariantList &row)
{
    QByteArray bytes;
    for (const QVariant &value : row) {
        // NULL is its own tag, so that it never equals the empty text.
        if (value.isNull()) {
            bytes.append('\0');
            continue;
        }
        // Every value as text: a number SQLite stored in a text field reads
        // as text from the server, and Grievance Numbers come back as qint64
        // from one driver and quint64 from the other.
        const QByteArray text = value.toString().toUtf8();
        bytes.append('\1');
        char length[4];
        qToBigEndian(quint32(text.size()), length);
        bytes.append(length, 4);
        bytes.append(text);
    }
    return bytes;
}

void CaseCopyDigest::add(const QVariantList &row)
{
    const QByteArray hash = QCryptographicHash::hash(encode(row), QCryptographicHash::Sha256);
    std::uint64_t carry = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t word = qFromBigEndian<quint64>(hash.constData() + 8 * (3 - i));
        const std::uint64_t sum = m_sum[i] + word;
        const std::uint64_t out = sum < word ? 1 : 0;
        m_sum[i] = sum + carry;
        carry = out | (m_sum[i] < sum ? 1 : 0);
    }
    ++m_rows;
}

QString CaseCopyDigest::hex() const
{
    QString text;
    for (int i = 3; i >= 0; --i)
        text += QStringLiteral("%1").arg(m_sum[i], 16, 16, QLatin1Char('0'));
    return text;
}
