#pragma once

// The parent's side of the crash and two-program tests: what the children
// reported as saved, and the check of the database against it, read through
// a connection of the test's own.

#include "faults/SaveToken.h"
#include "support/TempCaseDb.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace Fault
{

class StoredRecords
{
  public:
    // Records one "<table> <key> <token>" report.
    void saved(const QString &reportLine)
    {
        const QStringList p = reportLine.split(QLatin1Char(' '));
        ASSERT_EQ(p.size(), 3) << reportLine.toStdString();
        m_latest[p.at(0)][p.at(1).toLongLong()] = p.at(2);
        ++m_reported;
    }
    int reported() const { return m_reported; }
    int distinctRecords() const
    {
        int n = 0;
        for (const auto &t : m_latest)
            n += int(t.size());
        return n;
    }

    struct Verdict {
        QString integrity;
        int rows = 0;
        int lost = 0;        // reported saves missing or older than reported
        int halfWritten = 0; // rows whose fields do not all hold one save
        QStringList details;
    };

    // Checks the database: on SQLite the engine's own integrity check of
    // the file, then on either back end every row whole and every reported
    // save there (or overwritten by a later save).
    Verdict check(TempCaseDb &db) const
    {
        Verdict v;
        if (db.onServer()) {
            // No file of ours to damage: what a killed client leaves is the
            // server's own recovery, so only the rows are ours to check.
            v.integrity = QStringLiteral("ok");
        } else {
            QSqlQuery q = db.query(QStringLiteral("PRAGMA integrity_check"));
            QStringList lines;
            while (q.next())
                lines << q.value(0).toString();
            v.integrity = lines.join(QLatin1Char('\n'));
        }
        for (const char *t : {CaseSchema::EmployeeTable, CaseSchema::ComplaintsTable})
            checkTable(db, QString::fromLatin1(t), v);
        return v;
    }

  private:
    void checkTable(TempCaseDb &db, const QString &table, Verdict &v) const
    {
        const QList<BoundColumn> cols = boundColumns(table);
        QHash<qint64, QString> tokens;
        QSqlQuery q = db.query(QStringLiteral("SELECT rowid, * FROM \"%1\"").arg(table));
        if (!q.isActive()) {
            v.details << q.lastError().text();
            ++v.lost;
            return;
        }
        while (q.next()) {
            ++v.rows;
            const qint64 key = q.value(0).toLongLong();
            std::optional<QString> token;
            bool whole = true;
            for (const BoundColumn &c : cols) {
                const auto t = tokenOf(c, q.record().value(c.field).toString());
                if (!t || (token && *t != *token))
                    whole = false;
                else
                    token = t;
            }
            if (!whole || !token) {
                ++v.halfWritten;
                v.details << QStringLiteral("%1 %2 is not one whole save").arg(table).arg(key);
                continue;
            }
            tokens.insert(key, *token);
        }
        const QHash<qint64, QString> reported = m_latest.value(table);
        for (auto it = reported.begin(); it != reported.end(); ++it) {
            const auto found = tokens.constFind(it.key());
            if (found == tokens.cend()) {
                ++v.lost;
                v.details << QStringLiteral("%1 %2 (%3) is missing")
                                 .arg(table)
                                 .arg(it.key())
                                 .arg(it.value());
            } else if (tokenOrder(*found) < tokenOrder(it.value())) {
                ++v.lost;
                v.details << QStringLiteral("%1 %2 holds %3, older than the reported %4")
                                 .arg(table)
                                 .arg(it.key())
                                 .arg(*found, it.value());
            }
        }
    }

    QHash<QString, QHash<qint64, QString>> m_latest; // table -> key -> latest reported token
    int m_reported = 0;
};

} // namespace Fault
