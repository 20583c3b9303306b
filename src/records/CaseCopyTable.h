#pragma once

#include "records/CaseSchema.h"

#include <QList>
#include <QString>
#include <QStringList>

// One case table as the copy sees it on both sides: the fields in the
// program's order and, once the target is found, their names as the target
// stores them.
struct CaseCopyTable {
    const char *name;
    const QList<CaseSchema::Column> &columns;
    bool numbered; // keeps its first field's values (the Grievance Number)
    QString storedName;
    QStringList storedColumns; // in the target, in the order of `columns`

    QStringList fieldNames() const;
    // Field names quoted for SQL, separated by commas.
    static QString columnList(const QStringList &names);
};
