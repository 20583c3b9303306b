#include "records/FindIndex.h"

#include "records/CaseDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace FindIndex
{

const char *const EmployeeIndex = "Employee Find";
const char *const ComplaintIndex = "Complaint Find";

namespace
{

// The text the complaint index holds for a row: the case facts are one text
// to the steward, whatever pieces they are stored in.
const char *const FactsOfNew =
    "coalesce(new.\"Case Facts1\", '') || coalesce(new.\"Case Facts2\", '') || "
    "coalesce(new.\"Case Facts3\", '')";
const char *const FactsOfOld =
    "coalesce(old.\"Case Facts1\", '') || coalesce(old.\"Case Facts2\", '') || "
    "coalesce(old.\"Case Facts3\", '')";

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

QString employeeInsert(const char *row)
{
    return QStringLiteral("INSERT INTO \"Employee Find\" (rowid, \"Name\", \"File Number\", "
                          "\"Department\") VALUES (%1.rowid, %1.\"Name\", %1.\"File Number\", "
                          "%1.\"Department\");")
        .arg(QLatin1String(row));
}

// An external-content index forgets a row only when told the values it
// indexed, which the old row still holds.
QString employeeForget()
{
    return QStringLiteral("INSERT INTO \"Employee Find\" (\"Employee Find\", rowid, \"Name\", "
                          "\"File Number\", \"Department\") VALUES ('delete', old.rowid, "
                          "old.\"Name\", old.\"File Number\", old.\"Department\");");
}

QString complaintInsert()
{
    return QStringLiteral("INSERT INTO \"Complaint Find\" (rowid, \"Remedy Sought\", "
                          "\"Contract Provinsions\", \"Case Facts\") VALUES (new.rowid, "
                          "new.\"Remedy Sought\", new.\"Contract Provinsions\", %1);")
        .arg(QLatin1String(FactsOfNew));
}

QString complaintForget()
{
    return QStringLiteral("INSERT INTO \"Complaint Find\" (\"Complaint Find\", rowid, "
                          "\"Remedy Sought\", \"Contract Provinsions\", \"Case Facts\") VALUES "
                          "('delete', old.rowid, old.\"Remedy Sought\", "
                          "old.\"Contract Provinsions\", %1);")
        .arg(QLatin1String(FactsOfOld));
}

} // namespace

QStringList createStatements()
{
    return {
        QStringLiteral("CREATE INDEX \"Employee Name\" ON Employee (\"Name\")"),
        QStringLiteral("CREATE INDEX \"Employee Department\" ON Employee (\"Department\")"),
        QStringLiteral("CREATE VIRTUAL TABLE \"Employee Find\" USING fts5(\"Name\", "
                       "\"File Number\", \"Department\", content='Employee', "
                       "tokenize='trigram')"),
        QStringLiteral("INSERT INTO \"Employee Find\" (\"Employee Find\") VALUES ('rebuild')"),
        QStringLiteral("CREATE TRIGGER \"Employee Find Insert\" AFTER INSERT ON Employee BEGIN ") +
            employeeInsert("new") + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER \"Employee Find Delete\" AFTER DELETE ON Employee BEGIN ") +
            employeeForget() + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER \"Employee Find Update\" AFTER UPDATE OF \"Name\", "
                       "\"File Number\", \"Department\" ON Employee BEGIN ") +
            employeeForget() + employeeInsert("new") + QStringLiteral(" END"),
        QStringLiteral("CREATE VIEW \"Complaint Find Text\" AS SELECT rowid AS \"Row Key\", "
                       "\"Remedy Sought\", \"Contract Provinsions\", coalesce(\"Case Facts1\", "
                       "'') || coalesce(\"Case Facts2\", '') || coalesce(\"Case Facts3\", '') "
                       "AS \"Case Facts\" FROM Complaints"),
        QStringLiteral("CREATE VIRTUAL TABLE \"Complaint Find\" USING fts5(\"Remedy Sought\", "
                       "\"Contract Provinsions\", \"Case Facts\", content='Complaint Find Text', "
                       "content_rowid='Row Key', tokenize='trigram')"),
        QStringLiteral("INSERT INTO \"Complaint Find\" (\"Complaint Find\") VALUES ('rebuild')"),
        QStringLiteral("CREATE TRIGGER \"Complaint Find Insert\" AFTER INSERT ON Complaints "
                       "BEGIN ") +
            complaintInsert() + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER \"Complaint Find Delete\" AFTER DELETE ON Complaints "
                       "BEGIN ") +
            complaintForget() + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER \"Complaint Find Update\" AFTER UPDATE OF "
                       "\"Grievance Number\", \"Remedy Sought\", \"Contract Provinsions\", "
                       "\"Case Facts1\", \"Case Facts2\", \"Case Facts3\" ON Complaints BEGIN ") +
            complaintForget() + complaintInsert() + QStringLiteral(" END"),
    };
}

QStringList dropStatements()
{
    QStringList out;
    // Triggers first: a trigger left without its table would fail every write.
    for (auto it = std::rbegin(Parts); it != std::rend(Parts); ++it)
        out << QStringLiteral("DROP %1 IF EXISTS \"%2\"")
                   .arg(QString::fromLatin1(it->type).toUpper(), QString::fromLatin1(it->name));
    return out;
}

bool isPresent(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT type, name FROM sqlite_master")))
        return false;
    int found = 0;
    while (q.next()) {
        for (const Part &p : Parts)
            if (q.value(0).toString() == QLatin1String(p.type) &&
                q.value(1).toString() == QLatin1String(p.name))
                ++found;
    }
    return found == int(std::size(Parts));
}

bool upgrade(CaseDatabase &db)
{
    if (isPresent(db.connection()))
        return true;
    try {
        db.write([](QSqlQuery &q) {
            // A part left by an interrupted build elsewhere is rebuilt with the rest.
            for (const QString &sql : dropStatements() + createStatements())
                if (!q.exec(sql))
                    throw CaseDatabase::errorFrom(q.lastError(), QStringLiteral("Building the "
                                                                                "find index"));
        });
    } catch (const DataError &) {
        // Read only or busy: the file stays as it is, and Find searches the
        // tables directly until a later start can build the index.
        return false;
    }
    return true;
}

} // namespace FindIndex
