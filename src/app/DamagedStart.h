#pragma once

#include <QString>

// A case database that cannot be opened because it is damaged, met at
// start-up: the steward is offered the newest good backup (its time and
// numbers of records). Accepted, the damaged file (with its journal files)
// is kept beside it under a new name, never deleted, and a copy of the
// backup takes its place.
namespace DamagedStart
{

// True when the backup is now in place of the damaged file; `status` then
// says where the damaged file went. False when there is no good backup,
// the steward declined, or the copy failed (the damaged file is then back
// under its name, and the steward was told why).
bool offerBackup(const QString &databasePath, const QString &problem, QString *status);

// Puts a copy of a good backup where the damaged database was, keeping the
// damaged file (and its journal files) aside under keptPath. On failure the
// damaged file is back under its name and `error` says why.
bool putInPlace(const QString &backupPath, const QString &databasePath, const QString &keptPath,
                QString *error);

// The name the damaged file is kept under: the first free one of
// "<name> damaged <date> <time> UTC.<suffix>", " (2)" and on.
QString keptName(const QString &databasePath);

} // namespace DamagedStart
