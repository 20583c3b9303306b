#pragma once

// Real case databases in temporary folders for the safekeeping tests: made
// by the program's own schema code, filled and read through raw SQLite
// connections of the test's own.

#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "safekeeping/CaseShape.h"
#include "safekeeping/CsvImport.h"
#include "safekeeping/CsvReader.h"
#include "support/HeldToPermissions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>
#include <csignal>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Readable failures: gtest shows strings, not their bytes.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace Safe
{

inline QList<CaseSchema::Column> columnsOf(const char *table)
{
    return QString::fromLatin1(table) == QLatin1String(CaseSchema::EmployeeTable)
               ? CaseSchema::employeeColumns()
               : CaseSchema::complaintsColumns();
}

// The tables and fields a case database must have, from the program's schema.
inline CaseShape caseShape()
{
    CaseShape shape;
    for (const char *t : {CaseSchema::EmployeeTable, CaseSchema::ComplaintsTable}) {
        TableShape table{QString::fromLatin1(t), {}};
        for (const CaseSchema::Column &c : columnsOf(t))
            table.fields << QString::fromUtf8(c.name);
        shape << table;
    }
    return shape;
}

// What an import into a table may fill: every field but the key that
// numbers itself, with the box's length.
inline QList<CsvColumn> importColumns(const char *table)
{
    QList<CsvColumn> out;
    for (const CaseSchema::Column &c : columnsOf(table)) {
        if (c.length > 0)
            out.append({QString::fromUtf8(c.name), c.length});
    }
    return out;
}

inline unsigned modeOf(const QString &path)
{
    struct stat st {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

// Everything in a folder: name, size, modification time and content.
inline QStringList folderState(const QString &folder)
{
    QStringList out;
    for (const QFileInfo &f : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        QFile file(f.filePath());
        QByteArray hash;
        if (f.isFile() && file.open(QIODevice::ReadOnly))
            hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(f.fileName())
                   .arg(f.size())
                   .arg(f.lastModified().toMSecsSinceEpoch())
                   .arg(QString::fromLatin1(hash));
    }
    return out;
}

inline QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A raw connection of the test's own.
class Raw
{
  public:
    explicit Raw(const QString &path, bool readOnly = false)
    {
        const int flags =
            readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr),
                  SQLITE_OK);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Raw() { sqlite3_close_v2(m_db); }
    Raw(const Raw &) = delete;
    Raw &operator=(const Raw &) = delete;

    void exec(const QString &sql)
    {
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "") << " in " << sql.toStdString();
        sqlite3_free(error);
    }

    // Every row of a query, each value as "type:text" so that NULL, empty
    // text and a number stay apart.
    QStringList rows(const QString &sql)
    {
        QStringList out;
        sqlite3_stmt *s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr), SQLITE_OK)
            << sqlite3_errmsg(m_db);
        while (s && sqlite3_step(s) == SQLITE_ROW) {
            QStringList values;
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                const int type = sqlite3_column_type(s, c);
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, c));
                values << QString::number(type) + QLatin1Char(':') +
                              QString::fromUtf8(text, sqlite3_column_bytes(s, c));
            }
            out << values.join(QLatin1Char('|'));
        }
        sqlite3_finalize(s);
        return out;
    }
    qint64 count(const char *table)
    {
        const QStringList r =
            rows(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QLatin1String(table)));
        return r.isEmpty() ? -1 : r.first().section(QLatin1Char(':'), 1).toLongLong();
    }
    sqlite3 *handle() const { return m_db; }

  private:
    sqlite3 *m_db = nullptr;
};

// A case database file in a temporary folder of its own.
class CaseFile
{
  public:
    CaseFile() : m_path(m_dir.filePath(QStringLiteral("Quillmark.db")))
    {
        CaseDatabase(m_path).open(); // the program's own schema, WAL, synchronous=FULL
    }
    const QString &path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // Employees and complaints in one transaction, each with values of its
    // own (a token in every field), some of them NULL or empty.
    void fill(int employees, int complaints, int first = 0)
    {
        Raw db(m_path);
        db.exec(QStringLiteral("BEGIN IMMEDIATE"));
        for (int i = first; i < first + employees; ++i) {
            db.exec(
                QStringLiteral("INSERT INTO Employee (Name, Department, \"File Number\", Address, "
                               "\"Days Off\") VALUES ('Employee %1', 'D%2', '%3', %4, %5)")
                    .arg(i)
                    .arg(i % 7)
                    .arg(i, 6, 10, QLatin1Char('0'))
                    .arg(i % 5 == 0 ? QStringLiteral("NULL")
                                    : QStringLiteral("'%1 Main St'").arg(i))
                    .arg(i % 3 == 0 ? QStringLiteral("''") : QStringLiteral("'Sat, Sun'")));
        }
        for (int i = first; i < first + complaints; ++i) {
            db.exec(QStringLiteral("INSERT INTO Complaints (\"File Number\", \"Case Facts1\", "
                                   "\"Remedy Sought\") VALUES ('%1', 'Facts %2' || char(13,10) || "
                                   "'second line', %3)")
                        .arg(i % std::max(1, employees), 6, 10, QLatin1Char('0'))
                        .arg(i)
                        .arg(i % 4 == 0 ? QStringLiteral("NULL") : QStringLiteral("'Make whole'")));
        }
        db.exec(QStringLiteral("COMMIT"));
    }

  private:
    QTemporaryDir m_dir;
    QString m_path;
};

// A disk that fills while a file is written: the file size limit makes
// writes past it fail as a full file system would, for any user and
// without a mount.
class FullDisk
{
  public:
    explicit FullDisk(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_before);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_before); }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

  private:
    rlimit m_before{};
};

// Every file and folder made while it lives would get all rights for all
// users but for what the program itself narrows.
class OpenUmask
{
  public:
    OpenUmask() : m_before(::umask(0)) {}
    ~OpenUmask() { ::umask(m_before); }
    OpenUmask(const OpenUmask &) = delete;
    OpenUmask &operator=(const OpenUmask &) = delete;

  private:
    mode_t m_before;
};

// A file's bytes; empty when it cannot be read.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The rows of a CSV file, each field as text.
inline QList<QStringList> csvRows(const QString &path)
{
    QList<QStringList> rows;
    CsvReader reader([&](const CsvRow &row) {
        QStringList fields;
        for (const CsvField &f : row)
            fields << QString::fromUtf8(f.bytes);
        rows << fields;
        return true;
    });
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        reader.read(f);
    return rows;
}

} // namespace Safe
