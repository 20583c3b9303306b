#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// What the Access reader program sends its caller over a pipe: a stream of
// frames, each a 4-byte little-endian payload length and the payload, whose
// first byte says what it is. The caller trusts none of it: the reader runs
// libmdb over a file that may be damaged, and a reader gone wrong may send
// anything, so every length is checked before it is used.
namespace AccessFrames
{

inline constexpr quint32 ProtocolVersion = 1;
// No frame is larger: a row of the most columns Jet allows, each value cut
// at MaxValueBytes, fits with room to spare.
inline constexpr quint32 MaxFrameBytes = 32u * 1024 * 1024;
// A value longer than this is sent cut (and marked so): no case field holds
// more than a few hundred characters, so the rest never matters.
inline constexpr int MaxValueBytes = 64 * 1024;

enum class Kind : quint8 {
    Hello = 'H',  // protocol version, the file's format ("Jet 3", ...)
    Table = 'T',  // name, rows by the table's definition, number of columns
    Column = 'C', // name, libmdb's type number, size in bytes
    Row = 'R',    // number of values, then each: state, length, UTF-8 bytes
    End = 'E',    // rows sent
    Failed = 'X', // why the file or table cannot be read (FailureCode), text
};

enum class FailureCode : quint32 {
    NotAccess = 1,   // not an Access file, or one libmdb cannot open
    NoSuchTable = 2, // the table asked for is not in the file
    Damaged = 3,     // the reader itself found the file inconsistent
    Usage = 4,       // the reader was started the wrong way
};

enum class ValueState : quint8 { Null = 0, Value = 1, Cut = 2 };

// Builds one frame.
class Writer
{
  public:
    explicit Writer(Kind kind);
    Writer &u8(quint8 v);
    Writer &u32(quint32 v);
    Writer &u64(quint64 v);
    Writer &bytes(const QByteArray &b); // its length first
    Writer &bytes(const char *data, qsizetype size);
    // The frame with its length in front.
    QByteArray frame() const;

  private:
    QByteArray m_payload;
};

// Reads the fields of one frame's payload; any read past its end leaves it
// failed, and every later read gives zero.
class Reader
{
  public:
    explicit Reader(const QByteArray &payload) : m_data(payload) {}
    quint8 u8();
    quint32 u32();
    quint64 u64();
    QByteArray bytes();
    bool failed() const { return m_failed; }
    bool atEnd() const { return m_at == m_data.size(); }

  private:
    bool take(qsizetype n);
    const QByteArray &m_data;
    qsizetype m_at = 0;
    bool m_failed = false;
};

struct Frame {
    Kind kind = Kind::Failed;
    QByteArray payload; // after the kind byte
};

// Cuts the bytes read from the pipe into frames as they arrive.
class Decoder
{
  public:
    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    // The next whole frame; false when none is whole yet or the stream is
    // broken (then error() says how).
    bool next(Frame *frame);
    const QString &error() const { return m_error; }
    // Bytes received that make no whole frame.
    qsizetype pending() const { return m_buffer.size() - m_at; }

  private:
    QByteArray m_buffer;
    qsizetype m_at = 0;
    QString m_error;
};

} // namespace AccessFrames
