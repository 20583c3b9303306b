#include "safekeeping/AccessImport.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"
#include "records/CaseImportWriter.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "safekeeping/AccessImportPass.h"
#include "safekeeping/AccessImportTexts.h"
#include "safekeeping/BackupFolder.h"
#include "safekeeping/BackupKeeper.h"
#include "safekeeping/PrivateOutput.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace
{

using namespace AccessImportTexts;
using namespace AccessImportPass;

const QString Employee = QString::fromLatin1(CaseSchema::EmployeeTable);
const QString Complaints = QString::fromLatin1(CaseSchema::ComplaintsTable);

CaseShape caseShape()
{
    CaseShape shape;
    for (const QString &t : {Employee, Complaints})
        shape << TableShape{t, CaseImportWriter::fields(t)};
    return shape;
}

} // namespace

AccessImport::AccessImport(const QString &accessFile, const DatabaseBackend &database,
                           const AccessReader::Options &reader)
    : m_file(accessFile), m_database(database), m_reader(reader)
{
}

QList<AccessMapping> AccessImport::byName(const QList<AccessTable> &tables)
{
    QList<AccessMapping> out;
    for (const QString &target : {Employee, Complaints})
        for (const AccessTable &t : tables)
            if (t.name.compare(target, Qt::CaseInsensitive) == 0)
                out << AccessMapping{t.name, target, {}};
    return out;
}

QString AccessImport::reportFolder() const
{
    const QString file = m_database.filePath();
    return BackupFolder(file.isEmpty() ? CaseDatabase::defaultFile() : file).path();
}

AccessSurvey AccessImport::survey(const AccessImportChoices &choices) const
{
    AccessSurvey s;
    const AccessReader reader(m_file, m_reader);
    const AccessListing listing = reader.tables();
    s.tables = listing.tables;
    s.format = listing.format;
    if (!listing.ok) {
        s.error = listing.error;
        s.damaged = listing.damaged;
        return s;
    }
    const QList<AccessMapping> mappings =
        choices.mappings.isEmpty() ? byName(listing.tables) : choices.mappings;
    if (mappings.isEmpty()) {
        QStringList names;
        for (const AccessTable &t : listing.tables)
            names << t.name;
        s.error = QString::fromUtf8(NoCaseTables)
                      .arg(QFileInfo(m_file).fileName(), names.join(QStringLiteral(", ")));
        return s;
    }
    for (const AccessMapping &m : mappings) {
        if (!isComplaints(m.target) && m.target.compare(Employee, Qt::CaseInsensitive) != 0) {
            s.error = QString::fromUtf8(NotACaseTable).arg(m.target);
            return s;
        }
        const AccessTable *t = listing.table(m.source);
        s.plans << AccessTablePlan{m, t ? t->rows : 0, {}};
    }
    try {
        CaseImportWriter writer(m_database);
        Pass pass(writer, choices, false);
        std::optional<Stop> stop;
        writer.run(CaseImportWriter::Mode::Survey, [&] {
            for (AccessTablePlan &plan : s.plans)
                if (!stop)
                    stop = pass.table(reader, plan);
        });
        if (stop) {
            s.error = stop->error;
            s.damaged = stop->damaged;
            return s;
        }
        s.employees = pass.counts.employees;
        s.complaints = pass.counts.complaints;
        s.knownEmployees = pass.counts.knownEmployees;
        s.collisions = pass.counts.collisions;
        s.highestNumber = pass.counts.highestNumber;
    } catch (const DataError &e) {
        s.error = e.description();
        return s;
    }
    s.ok = true;
    return s;
}

AccessImportResult AccessImport::run(const AccessImportChoices &choices,
                                     const AccessSurvey &survey) const
{
    AccessImportResult result;
    result.error = survey.error;
    result.damaged = survey.damaged;
    if (survey.ok && survey.knownEmployees > 0 &&
        choices.knownEmployees == AccessImportChoices::Known::Refuse)
        result.error =
            QString::fromUtf8(KnownEmployees).arg(survey.knownEmployees).arg(survey.employees);
    else if (survey.ok && survey.collisions > 0 &&
             choices.collisions == AccessImportChoices::Collisions::Refuse)
        result.error = QString::fromUtf8(Collisions).arg(survey.collisions);
    if (!survey.ok || !result.error.isEmpty())
        return result;

    // Kept first, so that a wrong import is undone by restoring this backup.
    const QString file = m_database.filePath();
    if (file.isEmpty()) {
        result.backupNote = QString::fromUtf8(ServerNotBackedUp);
    } else {
        const KeeperResult kept = BackupKeeper(file, caseShape()).run();
        if (kept.outcome == KeeperResult::Outcome::Made)
            result.backup = kept.backup.path;
        else if (kept.outcome != KeeperResult::Outcome::Unchanged) {
            result.error = QString::fromUtf8(NoBackup).arg(kept.message);
            return result;
        }
    }

    std::unique_ptr<PrivateOutput> report;
    QString why;
    if (survey.collisions > 0) {
        const BackupFolder folder(file.isEmpty() ? CaseDatabase::defaultFile() : file);
        const QString stamp = QStringLiteral("%1 import %2 UTC")
                                  .arg(folder.prefix(), QDateTime::currentDateTimeUtc().toString(
                                                            QStringLiteral("yyyy-MM-dd HH.mm.ss")));
        // Another import's list of the same second (every server's lists
        // share the folder) keeps its name; this one takes the next.
        QString path;
        for (int n = 1; path.isEmpty() || (QFileInfo::exists(path) && n <= 100); ++n)
            path = folder.path() + QLatin1Char('/') + stamp +
                   (n > 1 ? QStringLiteral(" %1").arg(n) : QString()) +
                   QStringLiteral(" renumbered.csv");
        report = std::make_unique<PrivateOutput>(path);
        if (!folder.make(&why) || !report->open(&why)) {
            result.error = QString::fromUtf8(ReportFailed).arg(report->finalPath(), why);
            return result;
        }
        report->file().write(ReportHeader);
    }

    const AccessReader reader(m_file, m_reader);
    CaseImportWriter writer(m_database);
    Pass pass(writer, choices, true);
    pass.report = report.get();
    pass.surveyedHighest = survey.highestNumber;
    std::optional<Stop> stop;
    bool reported = false;
    try {
        writer.run(CaseImportWriter::Mode::Write, [&] {
            // New numbers come after every number kept, so none is met twice.
            pass.next = std::max(writer.highestNumber(), survey.highestNumber) + 1;
            QList<AccessTablePlan> plans = survey.plans;
            for (AccessTablePlan &plan : plans)
                if (!stop)
                    stop = pass.table(reader, plan);
            if (stop)
                throw DataError(DataErrors::General, stop->error);
            writer.finish(std::max(pass.next - 1, pass.highestKept));
            // Named before the commit: a renumbered complaint is never
            // committed without its line in the list.
            if (report && !(reported = report->commit(PrivateOutput::Replace::Never, &why)))
                throw DataError(DataErrors::General,
                                QString::fromUtf8(ReportFailed).arg(report->finalPath(), why));
        });
    } catch (const DataError &e) {
        if (reported)
            QFile::remove(report->finalPath());
        result.error = stop ? stop->error : e.description();
        result.damaged = stop && stop->damaged;
        result.cancelled = stop && stop->cancelled;
        return result;
    }
    result.ok = true;
    result.employees = pass.added.employees;
    result.complaints = pass.added.complaints;
    result.skipped = pass.added.skipped;
    result.renumbered = pass.added.renumbered;
    if (report)
        result.report = report->finalPath();
    return result;
}
