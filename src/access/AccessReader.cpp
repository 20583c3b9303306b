#include "access/AccessReader.h"

#include "access/AccessFrames.h"
#include "access/AccessText.h"
#include "access/AccessTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

namespace
{

using namespace AccessFrames;

constexpr const char *ProgramName = "quillmark-access-reader";
// Where the package puts the reader, from the folder of the program itself.
constexpr const char *InstalledBeside = "../libexec/quillmark-wizard";
constexpr int PollMs = 100;
// Jet allows 255 columns; more is a reader gone wrong.
constexpr quint32 MostColumns = 4096;

// A frame that makes no sense where it came: `why` says what it was.
bool nonsense(QString *why, const char *what)
{
    *why = QString::fromLatin1(what);
    return false;
}

struct Outcome {
    bool ok = false;
    bool damaged = false;
    bool cancelled = false;
    bool stopped = false;
    QString error;
};

// Handles one frame; false stops the reading: `why` says why, and
// `garbled` whether the frame itself made no sense.
using FrameHandler = std::function<bool(const Frame &frame, QString *why, bool *garbled)>;

class Exchange
{
  public:
    Exchange(const QString &file, const AccessReader::Options &options, qint64 &pid)
        : m_file(file), m_options(options), m_pid(pid)
    {
    }

    void setTable(const QString &table) { m_table = table; }
    // The file's format, as the reader's greeting named it.
    const QString &format() const { return m_format; }

    Outcome run(const QStringList &arguments, const std::atomic<bool> *cancel,
                const FrameHandler &handle)
    {
        const QString program =
            m_options.program.isEmpty() ? AccessReader::defaultProgram() : m_options.program;
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        // libmdb's warnings on a damaged file could fill a pipe nobody reads.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.start(QIODevice::ReadOnly);
        if (!m_process.waitForStarted(10000))
            return failed(QString::fromUtf8(AccessTexts::ReaderMissing)
                              .arg(program, m_process.errorString()));
        m_pid = m_process.processId();
        const Outcome o = exchange(cancel, handle);
        m_pid = 0;
        return o;
    }

  private:
    Outcome exchange(const std::atomic<bool> *cancel, const FrameHandler &handle)
    {
        Decoder decoder;
        bool hello = false;
        QElapsedTimer quiet;
        quiet.start();
        for (;;) {
            Frame f;
            while (decoder.next(&f)) {
                if (cancel && cancel->load(std::memory_order_relaxed))
                    return stop(Outcome{false, false, true, false,
                                        QString::fromUtf8(AccessTexts::Cancelled)});
                if (!hello && f.kind != Kind::Failed) {
                    Reader r(f.payload);
                    if (f.kind != Kind::Hello || r.u32() != ProtocolVersion)
                        return damaged(QString::fromUtf8(AccessTexts::ReaderGarbled)
                                           .arg(QStringLiteral("no greeting")));
                    m_format = QString::fromUtf8(r.bytes());
                    hello = true;
                    continue;
                }
                if (f.kind == Kind::Failed)
                    return refused(f);
                QString why;
                bool garbled = false;
                if (!handle(f, &why, &garbled))
                    return garbled ? damaged(QString::fromUtf8(AccessTexts::ReaderGarbled).arg(why))
                                   : stop(Outcome{false, false, false, true, why});
                if (f.kind == Kind::End)
                    return finish(decoder);
            }
            if (!decoder.error().isEmpty())
                return damaged(QString::fromUtf8(AccessTexts::ReaderGarbled).arg(decoder.error()));
            if (cancel && cancel->load(std::memory_order_relaxed))
                return stop(
                    Outcome{false, false, true, false, QString::fromUtf8(AccessTexts::Cancelled)});
            if (m_process.bytesAvailable() > 0 || m_process.waitForReadyRead(PollMs)) {
                decoder.append(m_process.readAllStandardOutput());
                quiet.restart();
                continue;
            }
            if (m_process.state() == QProcess::NotRunning) {
                const QByteArray rest = m_process.readAllStandardOutput();
                if (!rest.isEmpty()) {
                    decoder.append(rest);
                    continue;
                }
                return damaged(m_process.exitStatus() == QProcess::CrashExit ||
                                       m_process.exitCode() != 0
                                   ? QString::fromUtf8(AccessTexts::ReaderCrashed)
                                   : QString::fromUtf8(AccessTexts::ReaderCut));
            }
            if (quiet.elapsed() > m_options.silenceMs)
                return damaged(QString::fromUtf8(AccessTexts::ReaderSilent)
                                   .arg((m_options.silenceMs + 999) / 1000));
        }
    }

    // After the last frame: nothing more may follow, and the reader must end well.
    Outcome finish(Decoder &decoder)
    {
        if (!m_process.waitForFinished(m_options.silenceMs))
            return damaged(QString::fromUtf8(AccessTexts::ReaderSilent)
                               .arg((m_options.silenceMs + 999) / 1000));
        decoder.append(m_process.readAllStandardOutput());
        if (decoder.pending() > 0)
            return damaged(QString::fromUtf8(AccessTexts::ReaderGarbled)
                               .arg(QStringLiteral("bytes after the end")));
        if (m_process.exitStatus() == QProcess::CrashExit || m_process.exitCode() != 0)
            return damaged(QString::fromUtf8(AccessTexts::ReaderCrashed));
        return Outcome{true, false, false, false, {}};
    }

    Outcome refused(const Frame &f)
    {
        Reader r(f.payload);
        const auto code = FailureCode(r.u32());
        const QString why = QString::fromUtf8(r.bytes());
        const QString name = QFileInfo(m_file).fileName();
        switch (code) {
        case FailureCode::NotAccess:
            return stop(Outcome{false, false, false, false,
                                QString::fromUtf8(AccessTexts::NotAccess).arg(name, why)});
        case FailureCode::NoSuchTable:
            return stop(Outcome{false, false, false, false,
                                QString::fromUtf8(AccessTexts::NoSuchTable).arg(name, m_table)});
        default:
            return damaged(why);
        }
    }

    Outcome damaged(const QString &why)
    {
        return stop(Outcome{
            false, true, false, false,
            QString::fromUtf8(AccessTexts::Damaged).arg(QFileInfo(m_file).fileName(), why)});
    }

    Outcome failed(const QString &why) { return Outcome{false, false, false, false, why}; }

    Outcome stop(const Outcome &o)
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        return o;
    }

    QString m_table; // the table asked for, to name it when the file has none
    QString m_format;
    QString m_file;
    const AccessReader::Options &m_options;
    qint64 &m_pid;
    QProcess m_process;
};

// A table's frame and the column frames after it, gathered into one.
class TableFrames
{
  public:
    // False with `why` when the frame makes no sense here.
    bool take(const Frame &f, QString *why)
    {
        Reader r(f.payload);
        if (f.kind == Kind::Table) {
            if (!complete())
                return nonsense(why, "a table with columns missing");
            m_table = AccessTable{QString::fromUtf8(r.bytes()), qint64(r.u64()), {}};
            m_expected = r.u32();
            if (m_expected > MostColumns)
                return nonsense(why, "too many columns");
        } else if (f.kind == Kind::Column) {
            if (complete())
                return nonsense(why, "a column outside a table");
            AccessColumn c;
            c.name = QString::fromUtf8(r.bytes());
            c.type = int(r.u32());
            c.size = int(r.u32());
            m_table.columns << c;
        } else {
            return nonsense(why, "a frame out of place");
        }
        if (r.failed() || !r.atEnd())
            return nonsense(why, "a table frame of the wrong length");
        return true;
    }
    bool started() const { return !m_table.name.isEmpty(); }
    bool complete() const { return quint32(m_table.columns.size()) == m_expected; }
    const AccessTable &table() const { return m_table; }

  private:
    AccessTable m_table;
    quint32 m_expected = 0;
};

} // namespace

const AccessTable *AccessListing::table(const QString &name) const
{
    for (const AccessTable &t : tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

AccessReader::AccessReader(const QString &file) : AccessReader(file, Options()) {}

AccessReader::AccessReader(const QString &file, const Options &options)
    : m_file(file), m_options(options)
{
}

QString AccessReader::defaultProgram()
{
    const QString here = QCoreApplication::instance()
                             ? QCoreApplication::applicationDirPath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString beside = QDir(here).filePath(QLatin1String(ProgramName));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(QDir(here).filePath(QLatin1String(InstalledBeside) + QLatin1Char('/') +
                                               QLatin1String(ProgramName)));
}

AccessListing AccessReader::tables() const
{
    AccessListing listing;
    TableFrames current;
    Exchange exchange(m_file, m_options, m_pid);
    const Outcome o =
        exchange.run({QStringLiteral("list"), m_file}, nullptr,
                     [&](const Frame &f, QString *why, bool *garbled) {
                         *garbled = true;
                         if (f.kind == Kind::End || f.kind == Kind::Table) {
                             if (current.started() && current.complete())
                                 listing.tables << current.table();
                             else if (current.started())
                                 return nonsense(why, "a table with columns missing");
                             if (f.kind == Kind::End) {
                                 Reader r(f.payload);
                                 if (r.u64() != quint64(listing.tables.size()) || !r.atEnd())
                                     return nonsense(why, "a count that does not match");
                                 return true;
                             }
                             current = TableFrames();
                         }
                         return current.take(f, why);
                     });
    listing.ok = o.ok;
    listing.format = exchange.format();
    listing.damaged = o.damaged;
    listing.error = o.error;
    if (!o.ok)
        listing.tables.clear();
    return listing;
}

AccessReadResult AccessReader::rows(const QString &table, const RowSink &sink,
                                    const std::atomic<bool> *cancel,
                                    const ColumnsSink &columns) const
{
    AccessReadResult result;
    TableFrames current;
    AccessRow row;
    QStringList arguments{QStringLiteral("rows"), m_file, table};
    if (m_options.repeat > 1)
        arguments << QString::number(m_options.repeat);
    Exchange exchange(m_file, m_options, m_pid);
    exchange.setTable(table);
    const Outcome o =
        exchange.run(arguments, cancel, [&](const Frame &f, QString *why, bool *garbled) {
            *garbled = true;
            if (f.kind == Kind::Table || f.kind == Kind::Column) {
                if (!current.take(f, why))
                    return false;
                if (current.complete() && columns)
                    columns(current.table());
                return true;
            }
            if (!current.started() || !current.complete())
                return nonsense(why, "rows before their columns");
            Reader r(f.payload);
            if (f.kind == Kind::End) {
                if (r.u64() != quint64(result.rows) || !r.atEnd())
                    return nonsense(why, "a count that does not match");
                return true;
            }
            const QList<AccessColumn> &cols = current.table().columns;
            if (r.u32() != quint32(cols.size()))
                return nonsense(why, "a row of the wrong width");
            row.resize(cols.size());
            for (int i = 0; i < cols.size(); ++i) {
                AccessValue &v = row[i];
                const auto state = ValueState(r.u8());
                v.null = state == ValueState::Null;
                v.cut = state == ValueState::Cut;
                v.text.clear();
                if (!v.null && state != ValueState::Value && !v.cut)
                    return nonsense(why, "a value of unknown state");
                if (!v.null) {
                    const QString stored = QString::fromUtf8(r.bytes());
                    v.text = m_options.raw
                                 ? stored
                                 : AccessText::shown(cols.at(i), stored, m_options.locale);
                }
            }
            if (r.failed() || !r.atEnd())
                return nonsense(why, "a row of the wrong length");
            *garbled = false;
            return sink(row, ++result.rows, why);
        });
    result.ok = o.ok;
    result.damaged = o.damaged;
    result.cancelled = o.cancelled;
    result.stopped = o.stopped;
    result.error = o.error;
    return result;
}
