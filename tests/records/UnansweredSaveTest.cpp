// A save whose answer the network lost: the server may have stored it or
// not, and the program cannot tell. Tried again, it is stored exactly once,
// and what the steward typed meanwhile is stored too.
#include "support/CutProxy.h"
#include "support/RunRandomness.h"
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <QMap>
#include <QRandomGenerator>

namespace
{

QString nameOf(CutProxy::Cut cut)
{
    switch (cut) {
    case CutProxy::Cut::None:
        return QStringLiteral("none");
    case CutProxy::Cut::BeforeCommit:
        return QStringLiteral("before the commit");
    case CutProxy::Cut::AfterCommit:
        return QStringLiteral("after the commit");
    }
    return {};
}

TEST(UnansweredSaves, AreStoredExactlyOnceWhereverTheConnectionBreaks)
{
    if (testBackend() != CaseBackend::Postgres)
        GTEST_SKIP() << "a database file's commit cannot lose its answer";
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    const PgTestServer *server = PgTestServer::instance();
    CutProxy proxy(server->value("PGHOST") + QStringLiteral("/.s.PGSQL.") +
                   server->value("PGPORT"));
    ASSERT_NE(proxy.port(), 0);
    db.open(); // the tables, as their owner makes them
    auto cdb = std::make_shared<CaseDatabase>(proxy.through(db.path()));
    cdb->open();
    ASSERT_TRUE(cdb->remembersSaves());

    const unsigned randomness = runRandomness();
    SCOPED_TRACE(replayWith(randomness));
    QRandomGenerator random(randomness);

    RecordSet rs(cdb, QStringLiteral("Employee"));
    const int name = rs.fieldIndex(QStringLiteral("Name"));
    const int department = rs.fieldIndex(QStringLiteral("Department"));
    // What the steward was told is saved: the model the server must match.
    QMap<qint64, QStringList> told;
    for (int round = 0; round < 40; ++round) {
        const bool adding = told.isEmpty() || random.bounded(2) == 0;
        const auto cut = CutProxy::Cut(random.bounded(3));
        const qint64 key = adding ? -1 : told.keys().at(random.bounded(int(told.size())));
        const QVariantList asRead = adding ? QVariantList() : rs.valuesOf(key);
        const QString typedName = QStringLiteral("Name %1").arg(round);
        QString typedDepartment = QStringLiteral("Dept %1").arg(round);
        SCOPED_TRACE(QStringLiteral("round %1, %2, cut %3")
                         .arg(round)
                         .arg(adding ? QStringLiteral("a new record") : QStringLiteral("an edit"))
                         .arg(nameOf(cut))
                         .toStdString());
        // What the record pane does on Update.
        auto typeAndUpdate = [&] {
            if (adding) {
                if (rs.editMode() != RecordSet::Adding)
                    rs.addNew();
            } else {
                rs.setBookmark(key);
                rs.edit(asRead);
            }
            rs.setValue(name, typedName);
            rs.setValue(department, typedDepartment);
            rs.update();
        };
        proxy.arm(cut);
        try {
            typeAndUpdate();
            EXPECT_EQ(cut, CutProxy::Cut::None) << "the cut did not reach the save";
        } catch (const DataError &e) {
            ASSERT_NE(cut, CutProxy::Cut::None) << e.description().toStdString();
            ASSERT_TRUE(proxy.cutDone());
            ASSERT_EQ(e.number(), DataErrors::Unreachable) << e.description().toStdString();
            if (!adding)
                rs.cancelUpdate(); // a refused edit is begun again from what was read
            // Now and then the steward types more before trying again.
            if (random.bounded(2) == 0)
                typedDepartment += QStringLiteral("+");
            try {
                typeAndUpdate();
            } catch (const DataError &again) {
                FAIL() << "tried again: " << again.description().toStdString();
            }
        }
        told[rs.lastModified()] = {typedName, typedDepartment};
        ASSERT_EQ(rs.lastWritten().value(department).toString(), typedDepartment);
    }

    QMap<qint64, QStringList> stored;
    QSqlQuery q = db.query(QStringLiteral("SELECT rowid, Name, Department FROM Employee"));
    while (q.next())
        stored[q.value(0).toLongLong()] = {q.value(1).toString(), q.value(2).toString()};
    EXPECT_EQ(stored, told);
}

} // namespace
