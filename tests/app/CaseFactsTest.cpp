// The case facts editor over its three stored pieces, typed into with real
// key events on the grievance page.
#include "support/CaseFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace CaseFields;

// Readable failure messages.
[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Complaints = QStringLiteral("Complaints");
const QString Employee = QStringLiteral("Employee");
constexpr int Piece1 = 15, Piece2 = 14, Piece3 = 13;

// A text whose every character tells where it stands, so a cut one place
// off shows.
QString numberedText(int length)
{
    QString t;
    for (int i = 0; i < length; ++i)
        t += QChar(u'a' + (i * 7 + i / 26) % 26);
    return t;
}

class CaseFactsTest : public MainWindowTest
{
  protected:
    // One employee with one complaint whose facts are "old facts"; the
    // grievance page open on it.
    void openComplaint(const QVariantMap &complaint = {})
    {
        db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                             {QStringLiteral("File Number"), QStringLiteral("000321")}});
        QVariantMap values{{QStringLiteral("File Number"), QStringLiteral("000321")},
                           {QStringLiteral("Case Facts1"), QStringLiteral("old facts")}};
        values.insert(complaint);
        m_complaintKey = db.insert(Complaints, values);
        start();
        clickTab(GrievancePane);
        ASSERT_EQ(windowTabs(*window)->currentIndex(), 1);
    }

    TextBox *editor() { return windowBox(*window, "txtCaseFacts"); }
    QStringList pieces()
    {
        return {field(Piece1)->text(), field(Piece2)->text(), field(Piece3)->text()};
    }
    QStringList storedPieces()
    {
        const QVariantMap r = db.row(Complaints, QStringLiteral("rowid = ?"), {m_complaintKey});
        return {r.value(QStringLiteral("Case Facts1")).toString(),
                r.value(QStringLiteral("Case Facts2")).toString(),
                r.value(QStringLiteral("Case Facts3")).toString()};
    }
    // Replaces the whole text as the steward would: select all, then type.
    void retype(const QString &text)
    {
        editor()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(editor()->editor(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(editor()->editor(), Qt::Key_Delete);
        else
            QTest::keyClicks(editor()->editor(), text);
    }
    void saveAndReload()
    {
        QTest::mouseClick(recordCommand(*window, "cmdUpdate", GrievancePane), Qt::LeftButton);
        QTest::mouseClick(recordCommand(*window, "cmdRefresh", GrievancePane), Qt::LeftButton);
    }
    static QStringList cut(const QString &t)
    {
        return {t.left(255), t.mid(255, 255), t.mid(510, 255)};
    }

    qint64 m_complaintKey = -1;
};

class CaseFactsSplit : public CaseFactsTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(CaseFactsSplit, CutsTheTypedTextAfterCharacters255And510AndJoinsItBackOnLoad)
{
    openComplaint();
    ASSERT_EQ(editor()->text(), QStringLiteral("old facts"));
    const QString text = numberedText(GetParam());
    retype(text);
    ASSERT_EQ(editor()->text(), text);
    EXPECT_EQ(pieces(), cut(text));
    EXPECT_EQ(storedPieces(), QStringList({QStringLiteral("old facts"), QString(), QString()}))
        << "the pieces reach the database only when the pane saves";
    saveAndReload();
    EXPECT_EQ(storedPieces(), cut(text));
    EXPECT_FALSE(editor()->isActiveControl());
    EXPECT_EQ(editor()->text(), text);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CaseFactsSplit, ::testing::Values(0, 1, 255, 256, 510, 511, 765),
                         [](const auto &info) { return "Chars" + std::to_string(info.param); });

TEST_F(CaseFactsTest, ALineBreakWhoseReturnIsCharacter255IsSplitAcrossTheCutAndJoinedWhole)
{
    openComplaint();
    retype(numberedText(254));
    QTest::keyClick(editor()->editor(), Qt::Key_Return);
    QTest::keyClicks(editor()->editor(), QStringLiteral("second line"));
    const QString text = numberedText(254) + QStringLiteral("\r\nsecond line");
    ASSERT_EQ(editor()->text(), text) << "a typed line break is CR LF";
    EXPECT_EQ(field(Piece1)->text().right(1), QStringLiteral("\r"));
    EXPECT_EQ(field(Piece2)->text(), QStringLiteral("\nsecond line"));
    saveAndReload();
    EXPECT_EQ(storedPieces().at(0).size(), 255);
    EXPECT_EQ(editor()->text(), text);
    auto *plain = qobject_cast<QPlainTextEdit *>(editor()->editor());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->blockCount(), 2) << "the joined break shows as one line break";
}

TEST_F(CaseFactsTest, TheLimitCountsALineBreakAsTwoAndStopsThe766thCharacter)
{
    openComplaint();
    retype(numberedText(764));
    QTest::keyClick(editor()->editor(), Qt::Key_Return);
    EXPECT_EQ(editor()->text().size(), 764) << "a line break needs two places, one is left";
    QTest::keyClicks(editor()->editor(), QStringLiteral("xy"));
    EXPECT_EQ(editor()->text(), numberedText(764) + QLatin1Char('x'));
    EXPECT_EQ(field(Piece3)->text().size(), 255);
    QTest::keyClick(editor()->editor(), Qt::Key_Z);
    EXPECT_EQ(editor()->text().size(), 765);
    QTest::keyClick(editor()->editor(), Qt::Key_Backspace);
    QTest::keyClick(editor()->editor(), Qt::Key_Backspace);
    QTest::keyClick(editor()->editor(), Qt::Key_Return);
    EXPECT_EQ(editor()->text(), numberedText(763) + QStringLiteral("\r\n"));
    EXPECT_EQ(field(Piece3)->text().right(2), QStringLiteral("\r\n"));
}

TEST_F(CaseFactsTest, TextComposedByAnInputMethodStopsAtTheLimitToo)
{
    openComplaint();
    retype(numberedText(763));
    // Accents from dead keys and every character of a CJK input method
    // arrive as input method commits rather than key presses.
    QInputMethodEvent compose;
    compose.setCommitString(QStringLiteral("\u00e9\u00e8\u00e0"));
    QCoreApplication::sendEvent(editor()->editor(), &compose);
    EXPECT_EQ(editor()->text(), numberedText(763) + QStringLiteral("\u00e9\u00e8"));
    EXPECT_EQ(field(Piece3)->text().right(2), QStringLiteral("\u00e9\u00e8"));
    QInputMethodEvent more;
    more.setCommitString(QStringLiteral("\u00fc"));
    QCoreApplication::sendEvent(editor()->editor(), &more);
    EXPECT_EQ(editor()->text().size(), 765);
}

struct PasteCase {
    const char *name;
    int before;      // characters already typed
    int pasted;      // characters on the clipboard
    bool lineBreaks; // the clipboard holds line breaks every 50 characters
};

void PrintTo(const PasteCase &c, std::ostream *os)
{
    *os << c.name;
}

class CaseFactsPaste : public CaseFactsTest, public ::testing::WithParamInterface<PasteCase>
{
};

TEST_P(CaseFactsPaste, KeepsOnlyWhatFitsIn765)
{
    openComplaint();
    const PasteCase c = GetParam();
    retype(numberedText(c.before));
    QString clip;
    for (int i = 0; i < c.pasted; ++i)
        clip += (c.lineBreaks && i % 50 == 49) ? QChar(u'\n') : QChar(u'A' + i % 26);
    QApplication::clipboard()->setText(clip);
    QTest::keyClick(editor()->editor(), Qt::Key_V, Qt::ControlModifier);
    const QString text = editor()->text();
    EXPECT_LE(text.size(), 765);
    EXPECT_GE(text.size(), 764) << "whole characters are taken while they fit";
    EXPECT_TRUE(text.startsWith(numberedText(c.before)));
    QString expectedTail = clip;
    expectedTail.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_TRUE(expectedTail.startsWith(text.mid(c.before)));
    EXPECT_EQ(pieces(), cut(text));
    saveAndReload();
    EXPECT_EQ(storedPieces(), cut(text));
}

INSTANTIATE_TEST_SUITE_P(Clipboards, CaseFactsPaste,
                         ::testing::Values(PasteCase{"EightHundredIntoEmpty", 0, 800, false},
                                           PasteCase{"HundredOnto700", 700, 100, false},
                                           PasteCase{"LinesOnto400", 400, 600, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CaseFactsTest, ClosingTheWindowStoresFactsStillBeingTyped)
{
    openComplaint();
    retype(numberedText(300));
    ASSERT_TRUE(editor()->isActiveControl());
    ASSERT_TRUE(window->close());
    EXPECT_EQ(storedPieces(), cut(numberedText(300)));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(CaseFactsTest, DeletingFrom600DownTo300EmptiesTheThirdPiece)
{
    openComplaint();
    const QString text = numberedText(600);
    retype(text);
    ASSERT_EQ(field(Piece3)->text().size(), 90);
    for (int i = 0; i < 300; ++i)
        QTest::keyClick(editor()->editor(), Qt::Key_Backspace);
    EXPECT_EQ(pieces(), QStringList({text.left(255), text.mid(255, 45), QString()}));
    saveAndReload();
    EXPECT_EQ(storedPieces(), QStringList({text.left(255), text.mid(255, 45), QString()}));
}

TEST_F(CaseFactsTest, OuterSpacesAreStoredAsTypedButDroppedByTheJoin)
{
    openComplaint();
    retype(QStringLiteral("  late for shift  "));
    EXPECT_EQ(editor()->text(), QStringLiteral("  late for shift  "))
        << "no join while the editor has the focus";
    EXPECT_EQ(field(Piece1)->text(), QStringLiteral("  late for shift  "));
    saveAndReload();
    EXPECT_EQ(storedPieces().at(0), QStringLiteral("  late for shift  "));
    // Loading the same values again changes no box; loading the record
    // after another one does.
    QTest::mouseClick(bar(GrievancePane)->button(NavigatorBar::Next), Qt::LeftButton);
    EXPECT_EQ(editor()->text(), QString());
    QTest::mouseClick(bar(GrievancePane)->button(NavigatorBar::Previous), Qt::LeftButton);
    EXPECT_EQ(editor()->text(), QStringLiteral("late for shift"));
    // The next edit in the editor writes the trimmed text back.
    editor()->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor()->editor(), QStringLiteral("."));
    EXPECT_EQ(field(Piece1)->text(), QStringLiteral("late for shift."));
}

TEST_F(CaseFactsTest, SpacesAtTheCutsInsideTheTextSurviveTheJoin)
{
    const QString p1 = numberedText(250) + QStringLiteral("     ");
    const QString p2 = QStringLiteral("  middle") + QString(247, QLatin1Char(' '));
    openComplaint({{QStringLiteral("Case Facts1"), p1},
                   {QStringLiteral("Case Facts2"), p2},
                   {QStringLiteral("Case Facts3"), QStringLiteral("end\r\n ")}});
    EXPECT_EQ(editor()->text(), p1 + p2 + QStringLiteral("end\r\n"))
        << "only spaces at the very ends go; line breaks stay";
}

TEST_F(CaseFactsTest, MovingToAnotherGrievanceShowsItsFactsAndABlankOneEmptiesTheEditor)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                         {QStringLiteral("File Number"), QStringLiteral("000321")}});
    db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000321")},
                           {QStringLiteral("Case Facts1"), QStringLiteral("first")}});
    db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000321")},
                           {QStringLiteral("Case Facts1"), numberedText(255)},
                           {QStringLiteral("Case Facts2"), QStringLiteral("second")}});
    start();
    clickTab(GrievancePane);
    ASSERT_EQ(editor()->text(), QStringLiteral("first"));
    editor()->setFocus(Qt::MouseFocusReason);
    // Pressing the bar takes the focus out of the editor before the move.
    QTest::mouseClick(bar(GrievancePane)->button(NavigatorBar::Next), Qt::LeftButton);
    EXPECT_TRUE(field(ContractProvisions)->isActiveControl());
    EXPECT_EQ(editor()->text(), numberedText(255) + QStringLiteral("second"));
    QTest::mouseClick(bar(GrievancePane)->button(NavigatorBar::Next), Qt::LeftButton);
    ASSERT_TRUE(pane(GrievancePane)->isOnNewRecord());
    EXPECT_EQ(editor()->text(), QString());
    EXPECT_EQ(db.count(Complaints), 2);
}

TEST_F(CaseFactsTest, AProgramChangeOfAPieceShowsInTheEditorAtOnce)
{
    openComplaint();
    field(ContractProvisions)->setFocus(Qt::MouseFocusReason);
    field(Piece2)->setText(QStringLiteral(" and more"));
    EXPECT_EQ(editor()->text(), QStringLiteral("old facts and more"));
}

struct CommandKey {
    const char *name;
    Qt::Key key; // with Alt: the command button's access key
    QPushButton *(*button)(frmMain &);
    const char *shownAfter; // the facts of the record the command leaves the pane on
};

void PrintTo(const CommandKey &c, std::ostream *os)
{
    *os << c.name;
}

class CaseFactsCommandKey : public CaseFactsTest, public ::testing::WithParamInterface<CommandKey>
{
};

TEST_P(CaseFactsCommandKey, PressedWhileTypingInTheEditorShowsTheRecordItLoads)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                         {QStringLiteral("File Number"), QStringLiteral("000321")}});
    const qint64 first =
        db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000321")},
                               {QStringLiteral("Case Facts1"), QStringLiteral("first")}});
    const qint64 second =
        db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000321")},
                               {QStringLiteral("Case Facts1"), QStringLiteral("second")}});
    start();
    clickTab(GrievancePane);
    QTest::mouseClick(bar(GrievancePane)->button(NavigatorBar::Next), Qt::LeftButton);
    editor()->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor()->editor(), QStringLiteral(" more"));
    // An access key clicks its button without taking the focus from the
    // editor; the click itself comes a moment later.
    QSignalSpy clicked(GetParam().button(*window), &QPushButton::clicked);
    QTest::keyClick(editor()->editor(), GetParam().key, Qt::AltModifier);
    ASSERT_TRUE(clicked.count() == 1 || clicked.wait());
    const QString shown = QString::fromLatin1(GetParam().shownAfter);
    EXPECT_EQ(editor()->text(), shown);
    EXPECT_EQ(field(Piece1)->text(), shown);
    // What is typed next belongs to the record shown.
    editor()->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor()->editor(), QStringLiteral("!"));
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", GrievancePane), Qt::LeftButton);
    auto facts = [this](qint64 key) {
        return db.row(Complaints, QStringLiteral("rowid = ?"), {key})
            .value(QStringLiteral("Case Facts1"))
            .toString();
    };
    EXPECT_EQ(facts(second),
              QStringLiteral("second more") + (shown == QStringLiteral("second more") ? "!" : ""));
    if (shown == QStringLiteral("first")) {
        EXPECT_EQ(facts(first), QStringLiteral("first!"));
    } else {
        EXPECT_EQ(facts(first), QStringLiteral("first"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CaseFactsCommandKey,
    ::testing::Values(
        CommandKey{"Refresh", Qt::Key_R,
                   [](frmMain &w) { return recordCommand(w, "cmdRefresh", GrievancePane); },
                   "first"},
        CommandKey{"Add", Qt::Key_A,
                   [](frmMain &w) { return recordCommand(w, "cmdAdd", GrievancePane); }, ""},
        CommandKey{"Update", Qt::Key_U,
                   [](frmMain &w) { return recordCommand(w, "cmdUpdate", GrievancePane); },
                   "second more"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CaseFactsTest, TurningBackToTheGrievancePageShowsTheLoadedFactsEvenWhereTheEditorHadTheFocus)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                         {QStringLiteral("File Number"), QStringLiteral("000321")}});
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Sam")},
                         {QStringLiteral("File Number"), QStringLiteral("000654")}});
    db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000321")},
                           {QStringLiteral("Case Facts1"), QStringLiteral("Ruth's facts")}});
    const qint64 sams =
        db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000654")},
                               {QStringLiteral("Case Facts1"), QStringLiteral("Sam's facts")}});
    start();
    clickTab(GrievancePane);
    editor()->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_End, Qt::ControlModifier);
    clickTab(EmployeePane);
    QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Sam"));
    clickTab(GrievancePane);
    EXPECT_EQ(field(Piece1)->text(), QStringLiteral("Sam's facts"));
    EXPECT_EQ(editor()->text(), QStringLiteral("Sam's facts"));
    // Whatever has the focus now, typing into the editor edits Sam's facts.
    editor()->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor()->editor(), QStringLiteral("!"));
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", GrievancePane), Qt::LeftButton);
    EXPECT_EQ(db.row(Complaints, QStringLiteral("rowid = ?"), {sams})
                  .value(QStringLiteral("Case Facts1"))
                  .toString(),
              QStringLiteral("Sam's facts!"));
}

} // namespace
