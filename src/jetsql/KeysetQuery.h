#pragma once

#include "jetsql/JetSql.h"

#include <QVariantList>
#include <optional>

class SqlDialect;

// Where the previous chunk of keys ended: the order values and the key of
// its last row, as the chunk's query returned them.
struct KeysetPosition {
    QVariantList values;
    qint64 key = 0;
};

// One chunk of a record set's keys, in the set's order.
struct KeysetChunk {
    QString table;                       // canonical table name
    QString key;                         // the table's key expression, e.g. rowid
    QList<SortTerm> order;               // the set's order; the key breaks ties, ascending
    TextColumnTest isText;               // which order columns hold text; empty: all
    SqlCondition where;                  // the rows of the set; empty: every row
    std::optional<KeysetPosition> after; // empty for the first chunk
    int limit = 16;
};

// A statement with its bound values in placeholder order.
struct SqlStatement {
    QString sql;
    QVariantList params;
};

// The query for one chunk: column 0 of each row is the key, columns 1.. are
// the order values to hand back as the next chunk's `after`. Nulls come
// first in an ascending term and last in a descending one whatever the
// engine. The statement's text depends only on the shape of the chunk (the
// number of order terms, which last values are null, the limit), never on
// the values, so a prepared statement serves every chunk of that shape.
SqlStatement keysetQuery(const KeysetChunk &chunk, const SqlDialect &dialect);
