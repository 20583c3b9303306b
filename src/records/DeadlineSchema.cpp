#include "records/DeadlineSchema.h"

#include "jetsql/DataError.h"
#include "records/DeadlinePlan.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace DeadlineSchema
{

const char *const SettingsTable = "Deadline Settings";
const char *const LimitsTable = "Time Limits";
const char *const HolidaysTable = "Holidays";
const char *const StatusTable = "Grievance Status";
const char *const StepsTable = "Grievance Steps";
const char *const NextDueIndex = "Grievance Next Due";
const char *const FileNumberColumn = "File Number";
const char *const DueFileNumberIndex = "Grievance Due File Number";
const char *const FileNumberIndex = "Grievance File Number";

namespace
{

QStringList names()
{
    return {QLatin1String(SettingsTable), QLatin1String(LimitsTable), QLatin1String(HolidaysTable),
            QLatin1String(StatusTable),   QLatin1String(StepsTable),  QLatin1String(NextDueIndex)};
}

QStringList createStatements(const Words &w)
{
    const QString text10 = w.text.arg(DateLength);
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Key\" INTEGER PRIMARY KEY, "
                       "\"Version\" INTEGER NOT NULL, \"Next Limit\" INTEGER NOT NULL)")
            .arg(QLatin1String(SettingsTable)),
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Limit\" INTEGER PRIMARY KEY, "
                       "\"Position\" INTEGER NOT NULL, \"Step\" %2 NOT NULL, \"Acts\" INTEGER "
                       "NOT NULL, \"Days\" INTEGER NOT NULL, \"Working Days\" INTEGER NOT NULL, "
                       "\"Counted From\" INTEGER NOT NULL, \"Next Working Day\" INTEGER NOT NULL)")
            .arg(QLatin1String(LimitsTable), w.text.arg(StepLength)),
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Day\" %2 PRIMARY KEY)")
            .arg(QLatin1String(HolidaysTable), text10),
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Grievance Number\" %2 PRIMARY KEY "
                       "REFERENCES \"Complaints\" (\"Grievance Number\") ON DELETE CASCADE, "
                       "\"Status\" INTEGER NOT NULL, \"Violation\" %3, \"Learned\" %3, "
                       "\"Next Due\" %3, \"Next Limit\" INTEGER, \"Version\" INTEGER NOT NULL)")
            .arg(QLatin1String(StatusTable), w.grievanceNumber, text10),
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Grievance Number\" %2 NOT NULL "
                       "REFERENCES \"%3\" (\"Grievance Number\") ON DELETE CASCADE, \"Limit\" "
                       "INTEGER NOT NULL, \"Done\" %4, \"Outcome\" %5, \"Note\" %6, PRIMARY KEY "
                       "(\"Grievance Number\", \"Limit\"))")
            .arg(QLatin1String(StepsTable), w.grievanceNumber, QLatin1String(StatusTable), text10,
                 w.text.arg(OutcomeLength), w.text.arg(NoteLength)),
        // Only open complaints with a deadline are in it: the list walks it
        // in date order, the start-up count reads a range of it.
        QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" (\"Next Due\", \"Grievance "
                       "Number\") WHERE \"Next Due\" IS NOT NULL")
            .arg(QLatin1String(NextDueIndex), QLatin1String(StatusTable)),
    };
}

[[noreturn]] void fail(const Words &w, const QSqlQuery &q)
{
    const DataError e = w.error(q.lastError());
    throw DataError(e.number(),
                    QStringLiteral("The deadline tables cannot be made: %1").arg(e.description()));
}

void run(const Words &w, QSqlQuery &q, const QString &sql)
{
    if (!q.exec(sql))
        fail(w, q);
}

// The settings row and the default steps, in tables just made; tables that
// hold them already (another program made them first) keep theirs.
void fillDefaults(const Words &w, QSqlQuery &q)
{
    run(w, q, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QLatin1String(SettingsTable)));
    const bool filled = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
    if (filled)
        return;
    const QList<TimeLimit> limits = DeadlinePlan::defaultLimits();
    if (!q.prepare(QStringLiteral("INSERT INTO \"%1\" (\"Key\", \"Version\", \"Next Limit\") "
                                  "VALUES (1, 1, ?)")
                       .arg(QLatin1String(SettingsTable))))
        fail(w, q);
    q.addBindValue(limits.last().id + 1);
    if (!q.exec())
        fail(w, q);
    for (qsizetype i = 0; i < limits.size(); ++i) {
        const TimeLimit &l = limits.at(i);
        if (!q.prepare(QStringLiteral("INSERT INTO \"%1\" (\"Limit\", \"Position\", \"Step\", "
                                      "\"Acts\", \"Days\", \"Working Days\", \"Counted From\", "
                                      "\"Next Working Day\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                           .arg(QLatin1String(LimitsTable))))
            fail(w, q);
        for (const QVariant &v :
             {QVariant(l.id), QVariant(qint64(i)), QVariant(l.step), QVariant(int(l.acts)),
              QVariant(l.days), QVariant(int(l.workingDays)), QVariant(int(l.from)),
              QVariant(int(l.nextWorkingDay))})
            q.addBindValue(v);
        if (!q.exec())
            fail(w, q);
    }
}

int fileNumberLength()
{
    for (const CaseSchema::Column &c : CaseSchema::complaintsColumns())
        if (QLatin1String(c.name) == QLatin1String(FileNumberColumn))
            return c.length;
    return 0;
}

bool count(const Words &w, QSqlQuery &q, const QString &sql, const QStringList &values, int want)
{
    if (!q.prepare(sql))
        fail(w, q);
    for (const QString &v : values)
        q.addBindValue(v);
    if (!q.exec())
        fail(w, q);
    const bool all = q.next() && q.value(0).toInt() == want;
    q.finish();
    return all;
}

} // namespace

QList<const char *> tables()
{
    return {SettingsTable, LimitsTable, HolidaysTable, StatusTable, StepsTable};
}

const QList<CaseSchema::Column> &columns(const char *table)
{
    static const QList<CaseSchema::Column> settings = {
        {"Key", 0}, {"Version", 0}, {"Next Limit", 0}};
    static const QList<CaseSchema::Column> limits = {
        {"Limit", 0}, {"Position", 0},     {"Step", StepLength}, {"Acts", 0},
        {"Days", 0},  {"Working Days", 0}, {"Counted From", 0},  {"Next Working Day", 0}};
    static const QList<CaseSchema::Column> holidays = {{"Day", DateLength}};
    static const QList<CaseSchema::Column> status = {{"Grievance Number", 0},
                                                     {"Status", 0},
                                                     {"Violation", DateLength},
                                                     {"Learned", DateLength},
                                                     {"Next Due", DateLength},
                                                     {"Next Limit", 0},
                                                     {"Version", 0}};
    static const QList<CaseSchema::Column> steps = {{"Grievance Number", 0},
                                                    {"Limit", 0},
                                                    {"Done", DateLength},
                                                    {"Outcome", OutcomeLength},
                                                    {"Note", NoteLength}};
    const QLatin1String t(table);
    if (t == QLatin1String(SettingsTable))
        return settings;
    if (t == QLatin1String(LimitsTable))
        return limits;
    if (t == QLatin1String(HolidaysTable))
        return holidays;
    if (t == QLatin1String(StatusTable))
        return status;
    return steps;
}

int keyColumns(const char *table)
{
    return QLatin1String(table) == QLatin1String(StepsTable) ? 2 : 1;
}

SchemaStep step(const Words &words)
{
    SchemaStep s;
    s.name = QStringLiteral("deadline tables");
    s.holdsCopiedRows = true;
    s.present = [sql = words.presentSql](const QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.prepare(sql))
            return false;
        for (const QString &name : names())
            q.addBindValue(name);
        return q.exec() && q.next() && q.value(0).toInt() == names().size();
    };
    s.create = [words](QSqlQuery &q) {
        for (const QString &sql : words.before)
            run(words, q, sql);
        for (const QString &sql : createStatements(words))
            run(words, q, sql);
        fillDefaults(words, q);
    };
    return s;
}

SchemaStep fileNumberStep(const Words &words)
{
    SchemaStep s;
    s.name = QStringLiteral("deadline file numbers");
    // Not made by a copy: its triggers fill the column of the rows copied
    // where it exists, and where it does not, the next opening by a user
    // who may change the tables adds it from the complaints. A copy by a
    // steward's role to a server from before it is not refused for it.
    s.holdsCopiedRows = false;
    s.present = [sql = words.indexesPresentSql](const QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.prepare(sql))
            return false;
        q.addBindValue(QLatin1String(DueFileNumberIndex));
        q.addBindValue(QLatin1String(FileNumberIndex));
        return q.exec() && q.next() && q.value(0).toInt() == 2;
    };
    s.create = [words](QSqlQuery &q) {
        for (const QString &sql : words.before)
            run(words, q, sql);
        const QString status = QLatin1String(StatusTable);
        const QString column = QStringLiteral("\"%1\"").arg(QLatin1String(FileNumberColumn));
        // Another program may have added it first.
        if (!count(words, q, words.columnPresentSql, {status, QLatin1String(FileNumberColumn)},
                   1)) {
            run(words, q,
                QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN %2 %3")
                    .arg(status, column, words.fileNumber.arg(fileNumberLength())));
            run(words, q,
                QStringLiteral("UPDATE \"%1\" SET %2 = (SELECT c.%2 FROM \"Complaints\" c WHERE "
                               "c.\"Grievance Number\" = \"%1\".\"Grievance Number\")")
                    .arg(status, column));
        }
        const QString key = words.fileNumberKey.arg(column);
        // The list walks the first in deadline order and tests each file
        // number without reading the row; from a few employees found it
        // reads their complaints' deadlines through the second.
        run(words, q,
            QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" (\"Next Due\", "
                           "\"Grievance Number\", %3) WHERE \"Next Due\" IS NOT NULL")
                .arg(QLatin1String(DueFileNumberIndex), status, key));
        run(words, q,
            QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" (%3) WHERE \"Next Due\" "
                           "IS NOT NULL")
                .arg(QLatin1String(FileNumberIndex), status, key));
        for (const QString &sql : words.followFileNumbers)
            run(words, q, sql);
    };
    return s;
}

} // namespace DeadlineSchema
