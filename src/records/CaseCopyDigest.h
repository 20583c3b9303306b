#pragma once

#include <QByteArray>
#include <QVariant>
#include <array>
#include <cstdint>

// A checksum of a table's rows that both database engines agree on: each
// row's values are encoded the same way whatever engine read them (a NULL
// and an empty text differ, text is compared as UTF-8), hashed with
// SHA-256, and the hashes added up. The sum does not depend on the order in
// which the rows come, because the two engines order text differently, yet a
// row missing, added twice or changed in one character changes it.
class CaseCopyDigest
{
  public:
    // Adds one row: its values in the table's field order.
    void add(const QVariantList &row);
    qint64 rows() const { return m_rows; }
    // The sum, as hexadecimal digits for messages.
    QString hex() const;
    bool operator==(const CaseCopyDigest &other) const
    {
        return m_rows == other.m_rows && m_sum == other.m_sum;
    }

    // The bytes a row is hashed from.
    static QByteArray encode(const QVariantList &row);

  private:
    std::array<std::uint64_t, 4> m_sum{}; // 256 bits, little-endian words, modulo 2^256
    qint64 m_rows = 0;
};
