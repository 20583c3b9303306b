// Several stewards' programs saving into one shared database at once: every
// save reported done is stored once, and a save over a row another program
// changed since it was read is refused as a conflict, never written over.
#include "faults/ChildProgram.h"
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <QSet>
#include <iostream>
#include <memory>

namespace
{

using Fault::ChildProgram;

constexpr int Programs = 10;
constexpr int SavesEach = 1000;
constexpr int EditEvery = 10; // every tenth save edits the row all of them share

// The child: new employees, and now and then an edit of the shared row as
// it was just read. Each outcome is reported once it is known.
TEST(PostgresStewardsChild, DISABLED_Saves)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 4);
    const QString label = args.at(1);
    const qint64 shared = args.at(3).toLongLong();
    auto db = std::make_shared<CaseDatabase>(args.at(0));
    try {
        db->open();
        RecordSet rs(db, QStringLiteral("Employee"));
        const int name = rs.fieldIndex(QStringLiteral("Name"));
        const int department = rs.fieldIndex(QStringLiteral("Department"));
        for (int i = 0; i < args.at(2).toInt(); ++i) {
            const QString token = QStringLiteral("p%1n%2").arg(label).arg(i);
            if (i % EditEvery == 0) {
                rs.setBookmark(shared);
                rs.edit();
                rs.setValue(department, token);
                try {
                    rs.update();
                    Fault::report(QStringLiteral("edited ") + token);
                } catch (const DataError &e) {
                    if (e.number() != DataErrors::WriteConflict)
                        throw;
                    rs.cancelUpdate();
                    Fault::report(QStringLiteral("conflict ") + token);
                }
                continue;
            }
            rs.addNew();
            rs.setValue(name, token);
            rs.update();
            Fault::report(QStringLiteral("saved %1 %2").arg(rs.lastModified()).arg(token));
        }
    } catch (const DataError &e) {
        Fault::report(QStringLiteral("error %1 %2").arg(e.number()).arg(e.description()));
        FAIL() << e.what();
    }
}

TEST(PostgresStewards, TenProgramsSavingAtOnceLoseNothingAndOverwriteNothing)
{
    TempCaseDb db(CaseBackend::Postgres);
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    const qint64 shared = db.insert(QStringLiteral("Employee"),
                                    {{QStringLiteral("Name"), QStringLiteral("Shared")},
                                     {QStringLiteral("Department"), QStringLiteral("start")}});
    std::vector<std::unique_ptr<ChildProgram>> children;
    for (int p = 0; p < Programs; ++p) {
        children.push_back(std::make_unique<ChildProgram>(
            QStringLiteral("PostgresStewardsChild.DISABLED_Saves"),
            QStringList{db.path(), QString::number(p), QString::number(SavesEach),
                        QString::number(shared)}));
        ASSERT_TRUE(children.back()->start());
    }
    QHash<QString, qint64> saved; // token -> key reported
    QStringList edited, failures;
    int conflicts = 0;
    for (auto &c : children) {
        const bool passed = c->finish();
        for (const QString &r : c->remainingReports()) {
            const QStringList parts = r.split(u' ');
            if (parts.value(0) == QLatin1String("saved") && parts.size() == 3)
                saved.insert(parts.at(2), parts.at(1).toLongLong());
            else if (parts.value(0) == QLatin1String("edited"))
                edited << parts.value(1);
            else if (parts.value(0) == QLatin1String("conflict"))
                ++conflicts;
            else
                failures << r;
        }
        EXPECT_TRUE(passed) << c->errors().toStdString();
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    const int newRecords = Programs * (SavesEach - SavesEach / EditEvery);
    EXPECT_EQ(saved.size(), newRecords);
    EXPECT_EQ(edited.size() + conflicts, Programs * (SavesEach / EditEvery));

    // Every save reported is stored, once, under the key reported.
    QSqlQuery q =
        db.query(QStringLiteral("SELECT rowid, Name FROM Employee WHERE rowid <> ?"), {shared});
    QSet<QString> seen;
    int rows = 0, lost = 0;
    while (q.next()) {
        ++rows;
        const QString token = q.value(1).toString();
        if (saved.value(token, -1) != q.value(0).toLongLong())
            ++lost;
        seen.insert(token);
    }
    EXPECT_EQ(rows, newRecords);
    EXPECT_EQ(seen.size(), newRecords);
    EXPECT_EQ(lost, 0);
    // The shared row holds the last edit that was reported done.
    const QString last = db.row(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {shared})
                             .value(QStringLiteral("Department"))
                             .toString();
    EXPECT_TRUE(edited.contains(last)) << last.toStdString();
    std::cout << "saves " << saved.size() << ", edits " << edited.size() << ", conflicts reported "
              << conflicts << std::endl;
}

} // namespace
