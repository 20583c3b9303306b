#include "safekeeping/AccessImportUnattended.h"

#include "jetsql/DataError.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"
#include "safekeeping/AccessImportTexts.h"

#include <QFileInfo>

namespace AccessImportUnattended
{

namespace
{

using namespace AccessImportTexts;

QString listed(const QStringList &names)
{
    return names.isEmpty() ? QString::fromUtf8(ConsoleNone) : names.join(QStringLiteral(", "));
}

int refuse(QTextStream &err, const QString &why)
{
    err << why << Qt::endl;
    return 1;
}

} // namespace

int run(const QString &accessFile, const QString &databaseLocation,
        const AccessImportChoices &choices, QTextStream &out, QTextStream &err, bool mayCreate)
{
    CaseDatabase database(databaseLocation);
    try {
        if (mayCreate)
            database.open();
        else
            database.openExisting();
    } catch (const DataError &e) {
        return refuse(err, e.description());
    }
    const AccessImport importer(accessFile, database.backend());
    const AccessSurvey survey = importer.survey(choices);
    if (!survey.ok)
        return refuse(err, survey.error);
    out << QString::fromUtf8(ConsoleReading)
               .arg(QFileInfo(accessFile).fileName(), survey.format,
                    database.backend().displayName());
    for (const AccessTablePlan &p : survey.plans)
        out << QString::fromUtf8(ConsolePlan)
                   .arg(p.mapping.target, p.mapping.source)
                   .arg(p.rows)
                   .arg(listed(p.preview.matched), listed(p.preview.ignored));
    out.flush();

    AccessImportResult result = importer.run(choices, survey);
    if (!result.ok) {
        QString why = result.error;
        if (survey.knownEmployees > 0 &&
            choices.knownEmployees == AccessImportChoices::Known::Refuse)
            why += QString::fromUtf8(ConsoleKnownHint);
        else if (survey.collisions > 0 &&
                 choices.collisions == AccessImportChoices::Collisions::Refuse)
            why += QString::fromUtf8(ConsoleCollisionsHint);
        return refuse(err, why);
    }
    if (!result.backup.isEmpty())
        out << QString::fromUtf8(ConsoleBackup).arg(result.backup);
    else if (result.backupNote.isEmpty())
        out << QString::fromUtf8(ConsoleBackupUnchanged);
    else
        out << result.backupNote << Qt::endl;
    out << QString::fromUtf8(ConsoleAdded).arg(result.employees).arg(result.complaints);
    if (result.skipped > 0)
        out << QString::fromUtf8(ConsoleSkipped).arg(result.skipped);
    if (result.renumbered > 0)
        out << QString::fromUtf8(ConsoleRenumbered).arg(result.renumbered).arg(result.report);
    out.flush();
    return 0;
}

} // namespace AccessImportUnattended
