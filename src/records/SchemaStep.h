#pragma once

#include <QString>
#include <functional>

class QSqlDatabase;
class QSqlQuery;

// One piece of a case database's schema that a back end creates: the two
// tables, their indexes, and whatever a later feature adds beside them (a
// search index, say). A back end runs every step in a new database and, on
// opening one that already exists, the optional steps whose `present` check
// says they are missing, so an older database gains them on its first use.
struct SchemaStep {
    QString name;
    // Part of every case database since the first one (the tables and their
    // indexes): made with a new database only. A database that lacks the
    // tables is not a case database and is refused as it is, never completed.
    bool newDatabaseOnly = false;
    // Whether the step's objects exist already; needed unless
    // newDatabaseOnly.
    std::function<bool(const QSqlDatabase &)> present;
    // Its tables hold rows that a copy between case databases carries: the
    // copy makes them in a target that lacks them before it writes their
    // rows, rather than once the rows are in.
    bool holdsCopiedRows = false;
    // Creates them, inside the back end's write transaction. Throws
    // DataError.
    std::function<void(QSqlQuery &)> create;
};
