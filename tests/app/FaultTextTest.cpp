// Awkward text pasted into every box of both pages: quotes and SQL or Jet
// wildcard characters are stored and found as the plain characters they
// are, unicode survives, and a 10,000-character paste is cut to each box's
// limit, never into the database behind the steward's back.
#include "support/CaseFixture.h"

#include "app/MainLayout.h"
#include "records/CaseSchema.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <iostream>

using namespace CaseFields;

namespace
{

struct Awkward {
    const char *name;
    QString text;
    QString decoy;      // a file number that matches only if the text were read as a pattern
    bool literalLookup; // the lookup takes the text literally (no Jet wildcard in it)
};

QString longPaste()
{
    const QString piece = QStringLiteral("Ünïcødé ' \" % _ * [ ] ; -- 日本 ");
    QString t;
    while (t.size() < 10000)
        t += piece;
    return t.left(10000);
}

class FaultText : public MainWindowTest, public ::testing::WithParamInterface<Awkward>
{
  protected:
    // Pastes as the steward does: the clipboard and Ctrl+V into the box.
    void paste(TextBox *box, const QString &text)
    {
        QApplication::clipboard()->setText(text);
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box->editor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box->editor(), Qt::Key_V, Qt::ControlModifier);
    }
    static QString limited(const QString &text, int max) { return max > 0 ? text.left(max) : text; }
    QString shown()
    {
        QStringList p;
        for (const auto &m : dialogs.messages())
            p << m.prompt;
        return p.join(QStringLiteral(" | "));
    }
};

TEST_P(FaultText, IsStoredAsTypedInEveryBoxAndFoundLiterally)
{
    const Awkward &a = GetParam();
    if (!a.decoy.isEmpty())
        db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Decoy")},
                                               {QStringLiteral("File Number"), a.decoy}});
    start();
    QTest::mouseClick(recordCommand(*window, "cmdAdd", EmployeePane), Qt::LeftButton);
    for (int i = Name; i <= DaysOff; ++i) {
        paste(field(i), a.text);
        EXPECT_EQ(field(i)->text(), limited(a.text, CaseSchema::fieldLength(Field(i))))
            << "box " << i;
    }
    dialogs.clear();
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", EmployeePane), Qt::LeftButton);
    ASSERT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    const QString fileNumber = field(FileNumber)->text();
    const QVariantMap employee =
        db.row(QStringLiteral("Employee"), QStringLiteral("\"File Number\" = ?"), {fileNumber});
    for (int i = Name; i <= DaysOff; ++i)
        EXPECT_EQ(employee.value(QString::fromUtf8(CaseSchema::fieldName(Field(i)))).toString(),
                  field(i)->text())
            << "box " << i;

    // The grievance page: the complaints of that file number (none yet).
    clickTab(GrievancePane);
    ASSERT_EQ(windowTabs(*window)->currentIndex(), 1) << shown().toStdString();
    ASSERT_TRUE(pane(GrievancePane)->isOnNewRecord());
    for (int i = OralAnswerDate; i <= ContractProvisions; ++i) {
        paste(field(i), a.text);
        EXPECT_EQ(field(i)->text(), limited(a.text, CaseSchema::fieldLength(Field(i))))
            << "box " << i;
    }
    paste(windowBox(*window, "txtCaseFacts"), a.text);
    const QString facts = windowBox(*window, "txtCaseFacts")->text();
    EXPECT_EQ(facts, limited(a.text, MainLayout::txtCaseFactsMax));
    dialogs.clear();
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", GrievancePane), Qt::LeftButton);
    ASSERT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    const QVariantMap complaint =
        db.row(QStringLiteral("Complaints"), QStringLiteral("\"File Number\" = ?"), {fileNumber});
    ASSERT_FALSE(complaint.isEmpty()) << "the complaint carries the employee's file number";
    for (int i = OralAnswerDate; i <= ContractProvisions; ++i)
        EXPECT_EQ(complaint.value(QString::fromUtf8(CaseSchema::fieldName(Field(i)))).toString(),
                  field(i)->text())
            << "box " << i;
    EXPECT_EQ(complaint.value(QStringLiteral("Case Facts1")).toString() +
                  complaint.value(QStringLiteral("Case Facts2")).toString() +
                  complaint.value(QStringLiteral("Case Facts3")).toString(),
              facts);

    // Refresh finds the complaint again by that file number, quotes and all.
    const QString remedy = field(RemedySought)->text();
    QTest::mouseClick(recordCommand(*window, "cmdRefresh", GrievancePane), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    EXPECT_FALSE(pane(GrievancePane)->isOnNewRecord());
    EXPECT_EQ(field(RemedySought)->text(), remedy);
    EXPECT_EQ(windowBox(*window, "txtCaseFacts")->text(), facts);

    // The lookup by file number, pasted.
    clickTab(EmployeePane);
    dialogs.clear();
    paste(windowBox(*window, "txtFileNumber"), fileNumber);
    ASSERT_EQ(windowBox(*window, "txtFileNumber")->text(), fileNumber);
    if (a.literalLookup) {
        EXPECT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
        ASSERT_NE(pane(EmployeePane)->rs(), nullptr);
        pane(EmployeePane)->rs()->fetchAll();
        EXPECT_EQ(pane(EmployeePane)->rs()->loadedCount(), 1)
            << "only the employee whose file number begins with the text";
        EXPECT_EQ(field(FileNumber)->text(), fileNumber);
    } else {
        // A Jet pattern character: either a lookup that runs, or a message;
        // the program carries on either way.
        EXPECT_LE(dialogs.messages().size(), 2);
        std::cout << "lookup of " << fileNumber.toStdString() << ": " << shown().toStdString()
                  << std::endl;
    }
    EXPECT_EQ(db.count(QStringLiteral("Employee")), a.decoy.isEmpty() ? 1 : 2)
        << "the lookup wrote nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Pastes, FaultText,
    ::testing::Values(
        Awkward{"Apostrophes", QStringLiteral("O'Brien's 'x'"), QString(), true},
        Awkward{"DoubleQuotes", QStringLiteral("\"Red\" \"x\""), QString(), true},
        Awkward{"Percent", QStringLiteral("10%"), QStringLiteral("10x9"), true},
        Awkward{"Underscore", QStringLiteral("a_b"), QStringLiteral("aXbY"), true},
        Awkward{"Star", QStringLiteral("*x*"), QString(), false},
        Awkward{"OpenBracket", QStringLiteral("[ab"), QString(), false},
        Awkward{"Unicode", QStringLiteral("Zoë Łódź 日本 🙂"), QString(), true},
        Awkward{"SqlComment", QStringLiteral("1'; DROP TABLE Employee; --"), QString(), true},
        Awkward{"TenThousandCharacters", longPaste(), QString(), true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
