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
    // How many of the first fields are the key the table is walked by; 0
    // for the back end's own row key (Employee's).
    int keyColumns = 0;
    // Which of the original's rows are copied (empty: all), e.g. only rows
    // whose complaint is there.
    QString sourceCondition = {};

    QStringList fieldNames() const;
    // The key fields, quoted: in the original, or (stored) in the target.
    QStringList keyFields(bool stored) const;
    // Field names quoted for SQL, separated by commas.
    static QString columnList(const QStringList &names);
};
