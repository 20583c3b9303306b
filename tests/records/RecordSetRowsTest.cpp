// The grid's way of writing, by row number, and the signals that keep every
// observer of a shared record set in step.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <QSignalSpy>

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString NameField = QStringLiteral("Name");

class RecordSetRows : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (int i = 0; i < 4; ++i)
            db.insert(Employee, {{NameField, QStringLiteral("E%1").arg(i)}});
        rs = std::make_unique<RecordSet>(cdb, Employee);
        nameColumn = rs->fieldIndex(NameField);
    }
    QString name() const { return rs->value(nameColumn).toString(); }
    QStringList storedNames()
    {
        QStringList names;
        QSqlQuery q = db.query(QStringLiteral("SELECT Name FROM Employee ORDER BY rowid"));
        while (q.next())
            names << q.value(0).toString();
        return names;
    }
    QVariantList withName(int row, const QString &n) const
    {
        QVariantList v = rs->rowValues(row);
        v[nameColumn] = n;
        return v;
    }

    QVariantList blankWithName(const QString &n) const
    {
        QVariantList v;
        for (int i = 0; i < rs->fieldCount(); ++i)
            v << QVariant();
        v[nameColumn] = n;
        return v;
    }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb = db.open();
    std::unique_ptr<RecordSet> rs;
    int nameColumn = -1;
};

TEST_F(RecordSetRows, UpdateRowWritesThatRowAndSignalsIt)
{
    QSignalSpy changed(rs.get(), &RecordSet::rowChanged);
    rs->updateRow(2, rs->rowValues(2), withName(2, QStringLiteral("Renamed")));
    EXPECT_EQ(storedNames(), (QStringList{"E0", "E1", "Renamed", "E3"}));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 2);
    EXPECT_EQ(rs->lastModified(), rs->keyAt(2));
    EXPECT_EQ(name(), QStringLiteral("E0")) << "the current record did not move";
}

TEST_F(RecordSetRows, UpdateRowOfTheCurrentRecordShowsTheNewValuesUnlessItIsBeingEdited)
{
    rs->moveNext();
    rs->updateRow(1, rs->rowValues(1), withName(1, QStringLiteral("Renamed")));
    EXPECT_EQ(name(), QStringLiteral("Renamed"));

    rs->edit();
    rs->setValue(nameColumn, QStringLiteral("Typed"));
    rs->updateRow(1, rs->rowValues(1), withName(1, QStringLiteral("Grid")));
    EXPECT_EQ(name(), QStringLiteral("Typed")) << "the edit in progress keeps its buffer";
}

TEST_F(RecordSetRows, InsertRowAppendsStoresAndSignals)
{
    QSignalSpy inserted(rs.get(), &RecordSet::rowsInserted);
    QVariantList values = blankWithName(QStringLiteral("Added"));
    values[rs->fieldIndex(QStringLiteral("File Number"))] = QStringLiteral("000042");
    const int row = rs->insertRow(values);
    EXPECT_EQ(row, 4);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(0).toInt(), 4);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 4);
    EXPECT_EQ(rs->rowValues(row).value(nameColumn).toString(), QStringLiteral("Added"));
    EXPECT_EQ(
        db.row(Employee, QStringLiteral("Name = 'Added'")).value(QStringLiteral("File Number")),
        QStringLiteral("000042"));
    EXPECT_EQ(rs->lastModified(), rs->keyAt(row));
    EXPECT_EQ(name(), QStringLiteral("E0"));
}

TEST_F(RecordSetRows, InsertRowWhileAtEOFStaysAtEOF)
{
    rs->moveLast();
    rs->moveNext();
    rs->insertRow(blankWithName(QStringLiteral("Added")));
    EXPECT_TRUE(rs->isEOF());
    rs->movePrevious();
    EXPECT_EQ(name(), QStringLiteral("Added"));
}

struct DeleteRowCase {
    const char *name;
    int current;       // the current position when the grid deletes
    int deleted;       // the row the grid deletes
    int positionAfter; // -1: the current record was the one deleted
};

class RecordSetDeleteRow : public RecordSetRows, public ::testing::WithParamInterface<DeleteRowCase>
{
};

TEST_P(RecordSetDeleteRow, RemovesTheRowSignalsItAndKeepsTheCurrentRecord)
{
    const DeleteRowCase &c = GetParam();
    rs->setBookmark(rs->keyAt(c.current));
    const QString shown = name();
    QSignalSpy removed(rs.get(), &RecordSet::rowRemoved);
    rs->deleteRow(c.deleted);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(0).toInt(), c.deleted);
    EXPECT_EQ(rs->loadedCount(), 3);
    EXPECT_FALSE(storedNames().contains(QStringLiteral("E%1").arg(c.deleted)));
    EXPECT_EQ(rs->absolutePosition(), c.positionAfter);
    if (c.positionAfter >= 0) {
        EXPECT_EQ(name(), shown);
    } else {
        EXPECT_FALSE(rs->hasCurrent());
        rs->moveNext();
        EXPECT_EQ(name(), QStringLiteral("E%1").arg(c.deleted + 1)) << "next goes to the row after";
    }
}

INSTANTIATE_TEST_SUITE_P(DeleteRow, RecordSetDeleteRow,
                         ::testing::Values(DeleteRowCase{"BeforeTheCurrent", 2, 0, 1},
                                           DeleteRowCase{"AfterTheCurrent", 1, 3, 1},
                                           DeleteRowCase{"TheCurrent", 1, 1, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordSetRows, RowWritesOutsideTheSetAreRefused)
{
    for (int row : {-1, 4}) {
        EXPECT_THROW(rs->deleteRow(row), DataError) << row;
        EXPECT_THROW(rs->updateRow(row, {}, {QStringLiteral("X")}), DataError) << row;
        EXPECT_TRUE(rs->rowValues(row).isEmpty()) << row;
    }
    EXPECT_EQ(storedNames(), (QStringList{"E0", "E1", "E2", "E3"}));
}

TEST_F(RecordSetRows, AddNewAndDeleteThroughTheCurrentRecordSignalTooSoOtherViewsFollow)
{
    QSignalSpy inserted(rs.get(), &RecordSet::rowsInserted);
    QSignalSpy removed(rs.get(), &RecordSet::rowRemoved);
    QSignalSpy changed(rs.get(), &RecordSet::rowChanged);
    rs->addNew();
    rs->setValue(nameColumn, QStringLiteral("New"));
    rs->update();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(0).toInt(), 4);
    rs->moveNext();
    rs->edit();
    rs->setValue(nameColumn, QStringLiteral("Edited"));
    rs->update();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
    rs->deleteCurrent();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(0).toInt(), 1);
}

} // namespace
