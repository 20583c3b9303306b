#include "safekeeping/BackupFolder.h"

#include "platform/core/PrivateFiles.h"
#include "records/CaseDatabase.h"
#include "safekeeping/CaseFileCheck.h"
#include "safekeeping/PrivateOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

namespace
{

constexpr const char *DateFormat = "yyyy-MM-dd";
constexpr const char *TimeFormat = "HH.mm.ss";
constexpr const char *Suffix = ".db";

} // namespace

BackupFolder::BackupFolder(const QString &databasePath)
{
    const QFileInfo db(databasePath);
    m_path = QDir(db.absolutePath()).filePath(QString::fromLatin1(FolderName));
    m_prefix = db.completeBaseName();
}

BackupFolder BackupFolder::forServer(const QString &serverName)
{
    BackupFolder folder;
    folder.m_path = BackupFolder(CaseDatabase::defaultFile()).path();
    // "quill@db.office:5432/cases" becomes "Server quill@db.office 5432 cases":
    // a name every file system takes, that no file's backups start with.
    QString name;
    for (const QChar c : serverName) {
        if (c.isLetterOrNumber() || c == u'@' || c == u'.' || c == u'-' || c == u'_')
            name += c;
        else if (!name.endsWith(u' '))
            name += u' ';
    }
    folder.m_prefix = QStringLiteral("Server ") + name.trimmed();
    return folder;
}

QString BackupFolder::fileName(const QDateTime &time, int sequence) const
{
    const QDateTime utc = time.toUTC();
    QString name = m_prefix + QLatin1Char(' ') + utc.date().toString(QLatin1String(DateFormat)) +
                   QLatin1Char(' ') + utc.time().toString(QLatin1String(TimeFormat)) +
                   QLatin1String(" UTC");
    if (sequence > 1)
        name += QStringLiteral(" (%1)").arg(sequence);
    return name + QLatin1String(Suffix);
}

bool BackupFolder::parse(const QString &fileName, QDateTime *time, int *sequence) const
{
    static const QRegularExpression tail(QStringLiteral(
        R"(^ (\d{4}-\d\d-\d\d) (\d\d\.\d\d\.\d\d) UTC(?: \(([1-9]\d{0,5})\))?\.db$)"));
    if (!fileName.startsWith(m_prefix))
        return false;
    const QRegularExpressionMatch m = tail.match(QStringView(fileName).mid(m_prefix.size()));
    if (!m.hasMatch())
        return false;
    const QDate date = QDate::fromString(m.captured(1), QLatin1String(DateFormat));
    const QTime clock = QTime::fromString(m.captured(2), QLatin1String(TimeFormat));
    if (!date.isValid() || !clock.isValid())
        return false;
    const int seq = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
    // A name written with " (1)" is no name of ours: it would be a second
    // name for the first backup of that second.
    if (seq == 1 && !m.captured(3).isEmpty())
        return false;
    if (time)
        *time = QDateTime(date, clock, QTimeZone::utc());
    if (sequence)
        *sequence = seq;
    return true;
}

QString BackupFolder::newPath(const QDateTime &time) const
{
    const QDir dir(m_path);
    for (int sequence = 1;; ++sequence) {
        const QString candidate = dir.filePath(fileName(time, sequence));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

bool BackupFolder::make(QString *error) const
{
    return PrivateFiles::makeFolder(m_path, error);
}

QList<BackupEntry> BackupFolder::list(const CaseShape &shape, Detail detail) const
{
    QList<BackupEntry> entries;
    const QDir dir(m_path);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        BackupEntry e;
        if (!parse(name, &e.time, &e.sequence))
            continue;
        e.path = dir.filePath(name);
        if (detail == Detail::Header) {
            e.problem = CaseFileCheck::headerProblem(e.path, &e.bytes);
            e.good = e.problem.isEmpty();
        } else {
            const CaseFileReport report =
                CaseFileCheck::check(e.path, shape, CaseFileCheck::Depth::Counts);
            e.good = report.good;
            e.problem = report.problem;
            e.rows = report.rows;
            e.bytes = report.bytes;
        }
        entries << e;
    }
    std::sort(entries.begin(), entries.end(), [](const BackupEntry &a, const BackupEntry &b) {
        return a.time != b.time ? a.time < b.time : a.sequence < b.sequence;
    });
    return entries;
}

BackupEntry BackupFolder::newestGood(const CaseShape &shape) const
{
    const QList<BackupEntry> byName = list(shape, Detail::Header);
    for (auto it = byName.crbegin(); it != byName.crend(); ++it) {
        if (!it->good)
            continue;
        BackupEntry e = *it;
        const CaseFileReport report =
            CaseFileCheck::check(e.path, shape, CaseFileCheck::Depth::Counts);
        if (!report.good)
            continue;
        e.rows = report.rows;
        return e;
    }
    return {};
}

QStringList BackupFolder::partFiles() const
{
    QStringList parts;
    const QDir dir(m_path);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.startsWith(m_prefix + QLatin1Char(' ')) && PrivateOutput::isPartName(name))
            parts << dir.filePath(name);
    }
    return parts;
}
