#include "records/FindIndex.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <limits>

namespace FindIndex
{

const char *const EmployeeIndex = "Employee Find";
const char *const ComplaintIndex = "Complaint Find";
const char *const BuildTable = "Find Index Build";

namespace
{

// The text the complaint index holds for a row: the case facts are one text
// to the steward, whatever pieces they are stored in.
QString factsOf(const char *row)
{
    return QStringLiteral("coalesce(%1.\"Case Facts1\", '') || coalesce(%1.\"Case Facts2\", '') "
                          "|| coalesce(%1.\"Case Facts3\", '')")
        .arg(QLatin1String(row));
}

// Every part, by kind and name, in the order they are created.
struct Part {
    const char *type;
    const char *name;
};
const Part Parts[] = {
    {"index", "Employee Name"},           {"index", "Employee Department"},
    {"table", "Employee Find"},           {"trigger", "Employee Find Insert"},
    {"trigger", "Employee Find Delete"},  {"trigger", "Employee Find Update"},
    {"view", "Complaint Find Text"},      {"table", "Complaint Find"},
    {"trigger", "Complaint Find Insert"}, {"trigger", "Complaint Find Delete"},
    {"trigger", "Complaint Find Update"},
};

// How one table is indexed: its FTS5 table, the columns it indexes and the
// text each column's value is made of (`%1` the row: new or old).
struct Indexed {
    const char *table;
    const char *index;
    const char *columns;
    QString (*values)(const char *row);
};

QString employeeValues(const char *row)
{
    return QStringLiteral("%1.\"Name\", %1.\"File Number\", %1.\"Department\"")
        .arg(QLatin1String(row));
}

QString complaintValues(const char *row)
{
    return QStringLiteral("%1.\"Remedy Sought\", %1.\"Contract Provinsions\", %2")
        .arg(QLatin1String(row), factsOf(row));
}

const Indexed Employees = {"Employee", "Employee Find", "\"Name\", \"File Number\", \"Department\"",
                           employeeValues};
const Indexed Complaints = {"Complaints", "Complaint Find",
                            "\"Remedy Sought\", \"Contract Provinsions\", \"Case Facts\"",
                            complaintValues};

// While a build is under way a trigger indexes (or forgets) a row only when
// the build has passed it: the build indexes the rows above its mark itself,
// and an external-content index told to forget values it never held is
// damaged.
QString guard(const Indexed &t, const char *row)
{
    return QStringLiteral(" WHERE %1.rowid <= (SELECT \"Done\" FROM \"%2\" WHERE \"Table\" = '%3')")
        .arg(QLatin1String(row), QLatin1String(BuildTable), QLatin1String(t.table));
}

QString remember(const Indexed &t, bool guarded)
{
    return QStringLiteral("INSERT INTO \"%1\" (rowid, %2) SELECT new.rowid, %3%4;")
        .arg(QLatin1String(t.index), QLatin1String(t.columns), t.values("new"),
             guarded ? guard(t, "new") : QString());
}

// An external-content index forgets a row only when told the values it
// indexed, which the old row still holds.
QString forget(const Indexed &t, bool guarded)
{
    return QStringLiteral("INSERT INTO \"%1\" (\"%1\", rowid, %2) SELECT 'delete', old.rowid, "
                          "%3%4;")
        .arg(QLatin1String(t.index), QLatin1String(t.columns), t.values("old"),
             guarded ? guard(t, "old") : QString());
}

QStringList triggers(bool guarded)
{
    const QString head = QStringLiteral("CREATE TRIGGER \"%1 %2\" AFTER %3 ON %4 BEGIN ");
    const QLatin1String end(" END");
    return {
        head.arg(QLatin1String(Employees.index), QLatin1String("Insert"), QLatin1String("INSERT"),
                 QLatin1String(Employees.table)) +
            remember(Employees, guarded) + end,
        head.arg(QLatin1String(Employees.index), QLatin1String("Delete"), QLatin1String("DELETE"),
                 QLatin1String(Employees.table)) +
            forget(Employees, guarded) + end,
        head.arg(QLatin1String(Employees.index), QLatin1String("Update"),
                 QLatin1String("UPDATE OF \"Name\", \"File Number\", \"Department\""),
                 QLatin1String(Employees.table)) +
            forget(Employees, guarded) + remember(Employees, guarded) + end,
        head.arg(QLatin1String(Complaints.index), QLatin1String("Insert"), QLatin1String("INSERT"),
                 QLatin1String(Complaints.table)) +
            remember(Complaints, guarded) + end,
        head.arg(QLatin1String(Complaints.index), QLatin1String("Delete"), QLatin1String("DELETE"),
                 QLatin1String(Complaints.table)) +
            forget(Complaints, guarded) + end,
        head.arg(QLatin1String(Complaints.index), QLatin1String("Update"),
                 QLatin1String("UPDATE OF \"Grievance Number\", \"Remedy Sought\", "
                               "\"Contract Provinsions\", \"Case Facts1\", \"Case Facts2\", "
                               "\"Case Facts3\""),
                 QLatin1String(Complaints.table)) +
            forget(Complaints, guarded) + remember(Complaints, guarded) + end,
    };
}

QStringList dropTriggers()
{
    QStringList out;
    for (const Part &p : Parts)
        if (qstrcmp(p.type, "trigger") == 0)
            out << QStringLiteral("DROP TRIGGER IF EXISTS \"%1\"").arg(QLatin1String(p.name));
    return out;
}

// The index tables, empty.
QStringList indexTables()
{
    return {
        QStringLiteral("CREATE VIRTUAL TABLE \"Employee Find\" USING fts5(\"Name\", "
                       "\"File Number\", \"Department\", content='Employee', "
                       "tokenize='trigram')"),
        QStringLiteral("CREATE VIEW \"Complaint Find Text\" AS SELECT rowid AS \"Row Key\", "
                       "\"Remedy Sought\", \"Contract Provinsions\", coalesce(\"Case Facts1\", "
                       "'') || coalesce(\"Case Facts2\", '') || coalesce(\"Case Facts3\", '') "
                       "AS \"Case Facts\" FROM Complaints"),
        QStringLiteral("CREATE VIRTUAL TABLE \"Complaint Find\" USING fts5(\"Remedy Sought\", "
                       "\"Contract Provinsions\", \"Case Facts\", content='Complaint Find Text', "
                       "content_rowid='Row Key', tokenize='trigram')"),
    };
}

} // namespace

QStringList btreeIndexStatements()
{
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS \"Employee Name\" ON Employee (\"Name\")"),
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS \"Employee Department\" ON Employee (\"Department\")"),
    };
}

QStringList createStatements()
{
    return btreeIndexStatements() + indexTables() +
           QStringList{
               QStringLiteral("INSERT INTO \"Employee Find\" (\"Employee Find\") VALUES "
                              "('rebuild')"),
               QStringLiteral("INSERT INTO \"Complaint Find\" (\"Complaint Find\") VALUES "
                              "('rebuild')"),
           } +
           triggers(false);
}

QStringList beginBuildStatements()
{
    return dropStatements() + indexTables() +
           QStringList{
               QStringLiteral("CREATE TABLE \"%1\" (\"Table\" TEXT PRIMARY KEY, \"Done\" INTEGER "
                              "NOT NULL)")
                   .arg(QLatin1String(BuildTable)),
               // The lowest row key there can be (written so that SQLite reads
               // an integer, not a real).
               QStringLiteral("INSERT INTO \"%1\" VALUES ('Employee', %2 - 1), ('Complaints', "
                              "%2 - 1)")
                   .arg(QLatin1String(BuildTable))
                   .arg(-std::numeric_limits<qint64>::max()),
           } +
           triggers(true);
}

QStringList finishBuildStatements()
{
    return dropTriggers() + triggers(false) +
           QStringList{
               QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(BuildTable)),
           };
}

QStringList dropStatements()
{
    QStringList out;
    // Triggers first: a trigger left without its table would fail every write.
    for (auto it = std::rbegin(Parts); it != std::rend(Parts); ++it)
        out << QStringLiteral("DROP %1 IF EXISTS \"%2\"")
                   .arg(QString::fromLatin1(it->type).toUpper(), QString::fromLatin1(it->name));
    out << QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(QLatin1String(BuildTable));
    return out;
}

State state(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT type, name FROM sqlite_master")))
        return State::Absent;
    int found = 0;
    bool building = false;
    while (q.next()) {
        const QString type = q.value(0).toString(), name = q.value(1).toString();
        if (type == QLatin1String("table") && name == QLatin1String(BuildTable))
            building = true;
        for (const Part &p : Parts)
            if (type == QLatin1String(p.type) && name == QLatin1String(p.name))
                ++found;
    }
    if (building)
        return State::Building;
    return found == int(std::size(Parts)) ? State::Ready : State::Absent;
}

bool isPresent(const QSqlDatabase &db)
{
    return state(db) == State::Ready;
}

} // namespace FindIndex
