#pragma once

#include "jetsql/DataError.h"
#include "session/SafeCommandTexts.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class CaseDatabase;
class CaseSession;

// A case database that cannot be opened because it is damaged, met at
// start-up: the steward is offered the newest good backup (its time and
// numbers of records). Accepted, the damaged file (with its journal files)
// is kept beside it under a new name, never deleted, and a copy of the
// backup takes its place.
namespace DamagedStart
{

// The case database the program starts on, opened (or why not), and what
// to say once the window shows it.
struct Opened {
    std::shared_ptr<CaseDatabase> db;
    std::optional<DataError> failure;
    QString notice; // where a damaged file went when its backup took its place
};
// Opens `databasePath` for `session` (not attached yet): a file that is not
// there is made unless `mayCreate` is false; a damaged file is offered its
// newest good backup.
Opened openAtStart(const CaseSession &session, const QString &databasePath, bool mayCreate);

// True when the backup is now in place of the damaged file; `status` then
// says where the damaged file went. False when there is no good backup,
// the steward declined, or the copy failed (the damaged file is then back
// under its name, and the steward was told why).
// `offer`: the question, as DamagedOffer fills it; `release`: lets go of
// the file (the window's connection to it) once the steward said Yes.
bool offerBackup(const QString &databasePath, const QString &problem, QString *status,
                 const char *offer = SafeCommandTexts::DamagedOffer,
                 const std::function<void()> &release = {});

// Puts a copy of a good backup where the damaged database was, keeping the
// damaged file (and its journal files) aside under keptPath. The copy gets
// the rights the file had, and numbers complaints on after the highest
// number the kept file handed out (when that cannot be read, `warning`
// says so). On failure the damaged file is back under its name and `error`
// says why.
bool putInPlace(const QString &backupPath, const QString &databasePath, const QString &keptPath,
                QString *error, QString *warning = nullptr);

// The name the damaged file is kept under: the first free one of
// "<name> damaged <date> <time> UTC.<suffix>", " (2)" and on (another word
// for a file that is not damaged).
QString keptName(const QString &databasePath, const char *word = SafeCommandTexts::DamagedSuffix);

} // namespace DamagedStart
