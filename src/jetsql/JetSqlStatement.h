#pragma once

#include "jetsql/JetSql.h"
#include "jetsql/JetSqlExpr.h"

#include <memory>

// A parsed record source, names resolved, not yet emitted as SQL.
struct JetSqlStatement {
    QString table;                     // canonical table name
    std::unique_ptr<JetSqlExpr> where; // null when there is no WHERE
    QList<SortTerm> orderBy;
};
