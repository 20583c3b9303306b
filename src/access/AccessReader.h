#pragma once

#include "access/AccessTable.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <atomic>
#include <functional>

struct AccessListing {
    bool ok = false;
    bool damaged = false; // the file, or the reader on it, failed: see error
    QString error;        // for the steward, when not ok
    QString format;       // "Jet 4 (Access 2000-2003)", ...
    QList<AccessTable> tables;

    const AccessTable *table(const QString &name) const; // whatever the case
};

struct AccessReadResult {
    bool ok = false;
    bool damaged = false;
    bool cancelled = false;
    bool stopped = false; // the sink said no: its reason is in error
    QString error;
    qint64 rows = 0; // rows handed to the sink
};

// Reads an Access database file (Jet 3, Jet 4, ACE) through libmdb, which
// runs in the reader program (quillmark-access-reader) in a process of its
// own: a crash there, a reader silent for longer than the time limit or a
// stream that makes no sense is reported as a damaged file, and the program
// goes on. The file is opened read-only. Rows are handed on one at a time
// as they arrive and never gathered: a table of any size takes the memory
// of a few rows.
class AccessReader
{
  public:
    struct Options {
        // The reader program; empty: beside this program, or where the
        // package installs it.
        QString program;
        // The longest the reader may stay silent before it counts as hung.
        int silenceMs = 30000;
        // Values as the old program's boxes showed them (AccessText) in this
        // locale; raw: as libmdb gives them.
        QLocale locale;
        bool raw = false;
        // The table read this many times over, for measuring.
        int repeat = 1;
    };

    explicit AccessReader(const QString &file);
    AccessReader(const QString &file, const Options &options);

    static QString defaultProgram();

    AccessListing tables() const;

    // Gets the table's columns once, before the first row.
    using ColumnsSink = std::function<void(const AccessTable &table)>;
    // Gets each row (number 1 first), its values in the columns' order;
    // false, with the reason, stops the reading.
    using RowSink = std::function<bool(const AccessRow &row, qint64 number, QString *why)>;
    AccessReadResult rows(const QString &table, const RowSink &sink,
                          const std::atomic<bool> *cancel = nullptr,
                          const ColumnsSink &columns = {}) const;

    // The reader program's process while a reading runs; 0 otherwise.
    qint64 readerProcessId() const { return m_pid; }

  private:
    QString m_file;
    Options m_options;
    mutable qint64 m_pid = 0;
};
