// The record binder on its own, driven by its navigator bar: boxes bound to
// a record set over a real database, saved before every move, and never
// writing one record's boxes into another record.
#include "caseform/RecordBinder.h"
#include "caseform/NavigatorBar.h"
#include "caseform/TextBoxBinding.h"
#include "platform/TextBox.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

// Readable failure messages.
static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
static void PrintTo(const QVariant &v, std::ostream *os)
{
    *os << (v.isNull() ? std::string("NULL") : '"' + v.toString().toStdString() + '"');
}

namespace
{

const QString Employee = QStringLiteral("Employee");

class RecordBinderTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char *n : {"Ada", "Bea"})
            db.insert(Employee, {{QStringLiteral("Name"), QString::fromLatin1(n)},
                                 {QStringLiteral("File Number"),
                                  QStringLiteral("00000") + QLatin1Char(n[0])}});
        pane.bind(TextBoxBinding::of(&nameBox), QStringLiteral("Name"));
        pane.bind(TextBoxBinding::of(&fileBox), QStringLiteral("File Number"));
        pane.onError = [this](int, int number, const QString &, int &) { errors << number; };
        pane.onValidate = [this](int, int action, bool &) { events << action; };
        pane.onReposition = [this](int) { events << 0; };
        pane.setDatabase(cdb);
        pane.setRecordSource(Employee);
        pane.open();
    }
    qint64 keyOf(const QString &name)
    {
        QSqlQuery q = db.query(QStringLiteral("SELECT rowid FROM Employee WHERE Name = ?"), {name});
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    QStringList storedNames()
    {
        QStringList names;
        QSqlQuery q = db.query(QStringLiteral("SELECT Name FROM Employee ORDER BY rowid"));
        while (q.next())
            names << q.value(0).toString();
        return names;
    }
    void press(int button)
    {
        QTest::mouseClick(bar.button(NavigatorBar::Button(button)), Qt::LeftButton);
    }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb = db.open();
    RecordBinder pane{0};
    NavigatorBar bar{pane};
    TextBox nameBox;
    TextBox fileBox;
    QList<int> errors;
    QList<int> events; // Validate action codes, 0 for Reposition
};

TEST_F(RecordBinderTest, UpdateRecordOnANewRecordStoresItAndStaysOnIt)
{
    pane.addNew();
    nameBox.setText(QStringLiteral("Cleo"));
    pane.updateRecord();
    ASSERT_EQ(storedNames(), (QStringList{"Ada", "Bea", "Cleo"}));
    // What is typed next belongs to the record on screen, not to the one
    // the pane stood on before Add.
    nameBox.setText(QStringLiteral("Cleo Jones"));
    pane.updateRecord();
    EXPECT_EQ(storedNames(), (QStringList{"Ada", "Bea", "Cleo Jones"}));
    EXPECT_EQ(pane.rs()->absolutePosition(), 2);
}

TEST_F(RecordBinderTest, UpdateRecordOnAnUntouchedRecordMakesItTheLastModified)
{
    pane.addNew();
    nameBox.setText(QStringLiteral("Cleo"));
    pane.updateRecord();
    pane.setBookmark(keyOf(QStringLiteral("Bea")));
    pane.updateRecord();
    // So that the Update command's move to the last modified record stays here.
    EXPECT_EQ(pane.rs()->lastModified(), keyOf(QStringLiteral("Bea")));
    EXPECT_EQ(storedNames(), (QStringList{"Ada", "Bea", "Cleo"}));
}

TEST_F(RecordBinderTest, AWriteConflictOnABarMoveIsReportedAndKeepsWhatWasTyped)
{
    db.query(QStringLiteral("UPDATE Employee SET Department = 'Yard' WHERE Name = 'Ada'"));
    nameBox.setText(QStringLiteral("Ada Byron"));
    press(2);
    EXPECT_EQ(errors, QList<int>{DataErrors::WriteConflict});
    EXPECT_EQ(nameBox.text(), QStringLiteral("Ada Byron"));
    EXPECT_EQ(pane.rs()->absolutePosition(), 0) << "the pane did not move on";
    const QVariantMap row = db.row(Employee, QStringLiteral("\"File Number\" = '00000A'"));
    EXPECT_EQ(row.value(QStringLiteral("Name")), QStringLiteral("Ada"));
    EXPECT_EQ(row.value(QStringLiteral("Department")), QStringLiteral("Yard"));
}

TEST_F(RecordBinderTest, AGridWriteToTheSharedRecordSetIsNotOverwrittenByThePanesEdit)
{
    // A grid window shares the pane's record set and writes the row the
    // pane shows while the pane holds typing of its own for the same field.
    nameBox.setText(QStringLiteral("Ada Byron"));
    QVariantList original = pane.rs()->rowValues(0);
    QVariantList changed = original;
    changed[pane.rs()->fieldIndex(QStringLiteral("Name"))] = QStringLiteral("Ada Lovelace");
    pane.rs()->updateRow(0, original, changed);
    EXPECT_THROW(pane.updateRecord(), DataError);
    EXPECT_EQ(db.row(Employee, QStringLiteral("\"File Number\" = '00000A'"))
                  .value(QStringLiteral("Name")),
              QStringLiteral("Ada Lovelace"));
    EXPECT_EQ(nameBox.text(), QStringLiteral("Ada Byron")) << "the pane's typing stays on screen";
}

TEST_F(RecordBinderTest, RefreshAndCloseSaveAnEditedRecordFirst)
{
    nameBox.setText(QStringLiteral("Ada Byron"));
    pane.refresh();
    EXPECT_EQ(storedNames(), (QStringList{"Ada Byron", "Bea"}));
    EXPECT_EQ(nameBox.text(), QStringLiteral("Ada Byron"));
    press(3);
    nameBox.setText(QStringLiteral("Bea Smith"));
    EXPECT_TRUE(pane.close());
    EXPECT_EQ(storedNames(), (QStringList{"Ada Byron", "Bea Smith"}));
}

TEST_F(RecordBinderTest, CloseReportsASaveThatFailed)
{
    db.query(QStringLiteral("DELETE FROM Employee WHERE Name = 'Ada'"));
    nameBox.setText(QStringLiteral("Ada Byron"));
    EXPECT_FALSE(pane.close());
    EXPECT_EQ(errors, QList<int>{DataErrors::RowDeleted});
    EXPECT_EQ(storedNames(), QStringList{"Bea"});
}

// An emptied box leaves the field without a value, so that the lookup's
// pattern "*" no longer finds the employee.
TEST_F(RecordBinderTest, AClearedBoxIsStoredAsNoValue)
{
    fileBox.setText(QString());
    pane.updateRecord();
    EXPECT_EQ(db.count(Employee, QStringLiteral("Name = 'Ada' AND \"File Number\" IS NULL")), 1);
}

// A new record holding only what the program filled in for the steward is
// dropped like an untouched one; anything typed keeps it, preset included.
struct NewRecordCase {
    const char *name;
    bool typed;
    QStringList stored;
};

class RecordBinderNewRecord : public RecordBinderTest,
                              public ::testing::WithParamInterface<NewRecordCase>
{
};

TEST_P(RecordBinderNewRecord, IsStoredOnAMoveOnlyWhenTheStewardChangedIt)
{
    pane.addNew();
    pane.presetField(TextBoxBinding::of(&fileBox), QStringLiteral("000123"));
    if (GetParam().typed)
        nameBox.setText(QStringLiteral("Cleo"));
    press(0);
    EXPECT_EQ(storedNames(), GetParam().stored);
    EXPECT_EQ(db.count(Employee, QStringLiteral("\"File Number\" = '000123'")),
              GetParam().typed ? 1 : 0);
    EXPECT_EQ(nameBox.text(), QStringLiteral("Ada"));
}

INSTANTIATE_TEST_SUITE_P(NewRecords, RecordBinderNewRecord,
                         ::testing::Values(NewRecordCase{"OnlyPreset", false, {"Ada", "Bea"}},
                                           NewRecordCase{
                                               "PresetAndTyped", true, {"Ada", "Bea", "Cleo"}}),
                         [](const auto &info) { return std::string(info.param.name); });

// Each bar button validates with its own action code, then repositions.
class RecordBinderBar : public RecordBinderTest,
                        public ::testing::WithParamInterface<std::tuple<int, int, QString>>
{
};

TEST_P(RecordBinderBar, ValidatesWithTheButtonsActionThenRepositions)
{
    const auto &[button, action, lands] = GetParam();
    press(3); // start from the last record, so every button has somewhere to go
    events.clear();
    press(button);
    EXPECT_EQ(events, (QList<int>{action, 0}));
    EXPECT_EQ(nameBox.text(), lands);
}

std::string buttonName(const ::testing::TestParamInfo<std::tuple<int, int, QString>> &info)
{
    static const char *const names[] = {"First", "Previous", "Next", "Last"};
    return names[std::get<0>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, RecordBinderBar,
    ::testing::Values(std::make_tuple(0, int(RecordBinder::MoveFirstAction), QStringLiteral("Ada")),
                      std::make_tuple(1, int(RecordBinder::MovePreviousAction),
                                      QStringLiteral("Ada")),
                      std::make_tuple(2, int(RecordBinder::MoveNextAction), QString()),
                      std::make_tuple(3, int(RecordBinder::MoveLastAction), QStringLiteral("Bea"))),
    buttonName);

} // namespace
