#pragma once

#include "safekeeping/AccessImport.h"

#include <QString>
#include <QTextStream>

// The import from an Access file without a window, for an administrator
// moving a whole office at once: opens (or makes) the case database, says
// what the file holds and what goes where, and imports only when no
// question is left open: known file numbers and taken Grievance Numbers are
// refused unless `choices` answers them, naming the option that would.
// Prints the counts on `out` and every refusal on `err`. Returns the exit
// status: 0 when imported, 1 when anything was refused (nothing changed).
namespace AccessImportUnattended
{

// `mayCreate` false: a case database file that is not there is refused,
// never made.
int run(const QString &accessFile, const QString &databaseLocation,
        const AccessImportChoices &choices, QTextStream &out, QTextStream &err,
        bool mayCreate = true);

} // namespace AccessImportUnattended
