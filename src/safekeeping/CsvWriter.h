#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// CSV as RFC 4180 has it, in UTF-8: fields separated by commas, every row
// (the header too) ended by CR LF, a field in double quotes when it holds a
// comma, a double quote, CR or LF, with each double quote inside doubled.
// Values are written exactly as stored: line breaks inside a value stay
// what they are (CR LF in the case facts), nothing is trimmed or escaped
// otherwise.
//
// NULL and empty text are told apart, so that a file read back gives the
// same stored values: NULL is the only field written as nothing at all
// (an empty unquoted field), empty text is written as "". (A row of one
// field that is NULL is therefore a blank line, which readers skip: the
// tables exported have many fields.)
//
// Rows are collected in a buffer of about a megabyte and written to the
// device whenever it fills: a table of any size passes through without
// being held.
class CsvWriter
{
  public:
    explicit CsvWriter(QIODevice *device);

    void field(const char *utf8, qsizetype size);
    void field(const QString &text);
    void null();
    void endRow();

    // Writes what is buffered to the device; false (with error()) once
    // any write failed.
    bool flush();
    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    qint64 rows() const { return m_rows; }

  private:
    void separate();

    QIODevice *m_device;
    QByteArray m_buffer;
    bool m_rowStarted = false;
    qint64 m_rows = 0;
    QString m_error;
};
