#include "safekeeping/TableKeeps.h"

#include "platform/core/PrivateFiles.h"
#include "safekeeping/BackupFolder.h"
#include "safekeeping/BackupKeeper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

namespace
{

constexpr const char *DateFormat = "yyyy-MM-dd";
constexpr const char *TimeFormat = "HH.mm.ss";

} // namespace

TableKeeps::TableKeeps(const QString &serverName, const QString &table) : m_table(table)
{
    const BackupFolder backups = BackupFolder::forServer(serverName);
    m_folder = backups.path();
    m_stem = backups.prefix() + QStringLiteral(" before import ");
}

bool TableKeeps::make(QString *error) const
{
    return PrivateFiles::makeFolder(m_folder, error);
}

QString TableKeeps::newPath(const QDateTime &time) const
{
    const QDateTime utc = time.toUTC();
    const QString stem = m_stem + utc.date().toString(QLatin1String(DateFormat)) + u' ' +
                         utc.time().toString(QLatin1String(TimeFormat)) + QStringLiteral(" UTC ") +
                         m_table;
    const QDir dir(m_folder);
    for (int sequence = 1;; ++sequence) {
        const QString candidate =
            dir.filePath(stem + (sequence > 1 ? QStringLiteral(" (%1)").arg(sequence) : QString()) +
                         QStringLiteral(".csv"));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

bool TableKeeps::parse(const QString &fileName, QDateTime *time, int *sequence) const
{
    static const QRegularExpression tail(QStringLiteral(
        R"(^(\d{4}-\d\d-\d\d) (\d\d\.\d\d\.\d\d) UTC (.+?)(?: \(([1-9]\d{0,5})\))?\.csv$)"));
    if (!fileName.startsWith(m_stem))
        return false;
    const QRegularExpressionMatch m = tail.match(QStringView(fileName).mid(m_stem.size()));
    if (!m.hasMatch() || m.captured(3) != m_table)
        return false;
    const QDate date = QDate::fromString(m.captured(1), QLatin1String(DateFormat));
    const QTime clock = QTime::fromString(m.captured(2), QLatin1String(TimeFormat));
    const int seq = m.captured(4).isEmpty() ? 1 : m.captured(4).toInt();
    // " (1)" is no name of ours: it would be a second name for the first
    // file of that second.
    if (!date.isValid() || !clock.isValid() || (seq == 1 && !m.captured(4).isEmpty()))
        return false;
    if (time)
        *time = QDateTime(date, clock, QTimeZone::utc());
    if (sequence)
        *sequence = seq;
    return true;
}

QList<TableKeeps::Kept> TableKeeps::list() const
{
    QList<Kept> kept;
    const QDir dir(m_folder);
    for (const QFileInfo &f : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        Kept k;
        if (f.isSymLink() || !f.isFile() || !parse(f.fileName(), &k.time, &k.sequence))
            continue;
        k.path = f.filePath();
        k.bytes = f.size();
        kept << k;
    }
    std::sort(kept.begin(), kept.end(), [](const Kept &a, const Kept &b) {
        return a.time != b.time ? a.time < b.time : a.sequence < b.sequence;
    });
    return kept;
}

TableKeeps::Rotated TableKeeps::rotate(const QDateTime &now, BackupRotation::Policy policy) const
{
    const QList<Kept> kept = list();
    QList<BackupRotation::Backup> taken;
    for (const Kept &k : kept)
        taken.append({k.time, k.bytes});
    if (policy.maxBytes == 0 && !kept.isEmpty())
        policy.maxBytes = BackupKeeper::folderBound(kept.last().bytes);
    Rotated rotated;
    for (int i : BackupRotation::toDelete(taken, now, policy)) {
        const QString &path = kept.at(i).path;
        (QFile::remove(path) ? rotated.deleted : rotated.notDeleted) << path;
    }
    return rotated;
}
