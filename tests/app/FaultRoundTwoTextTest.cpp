// Text that enters the case facts or a box in an unusual form: characters
// outside the Basic Multilingual Plane (two UTF-16 units), Unicode line and
// paragraph separators, lone line feeds stored by another program, and text
// dropped onto the editor. Nothing is cut in half, nothing accepted is lost
// when stored, and a complaint stored with a cut character stays editable.
#include "support/CaseFixture.h"

#include "browser/DataGrid.h"
#include "browser/frmDataGrid.h"
#include "platform/Forms.h"
#include "records/RecordSet.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace CaseFields;

namespace
{

const QString Complaints = QStringLiteral("Complaints");
const QString Employee = QStringLiteral("Employee");
const QString Emoji = QStringLiteral("\U0001F600"); // two UTF-16 units

bool hasHalfPair(const QString &t)
{
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t.at(i).isHighSurrogate() && (i + 1 == t.size() || !t.at(i + 1).isLowSurrogate()))
            return true;
        if (t.at(i).isLowSurrogate() && (i == 0 || !t.at(i - 1).isHighSurrogate()))
            return true;
    }
    return false;
}

class FaultRoundTwoText : public MainWindowTest
{
  protected:
    void openComplaint(const QVariantMap &facts = {})
    {
        db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")},
                             {QStringLiteral("File Number"), QStringLiteral("000321")}});
        QVariantMap values{{QStringLiteral("File Number"), QStringLiteral("000321")}};
        values.insert(facts);
        m_key = db.insert(Complaints, values);
        start();
        clickTab(GrievancePane);
        ASSERT_EQ(windowTabs(*window)->currentIndex(), 1);
    }
    TextBox *editor() { return windowBox(*window, "txtCaseFacts"); }
    QString piecesJoined()
    {
        return field(CaseFacts1)->text() + field(CaseFacts2)->text() + field(CaseFacts3)->text();
    }
    QString storedJoined()
    {
        const QVariantMap r = db.row(Complaints, QStringLiteral("rowid = ?"), {m_key});
        return r.value(QStringLiteral("Case Facts1")).toString() +
               r.value(QStringLiteral("Case Facts2")).toString() +
               r.value(QStringLiteral("Case Facts3")).toString();
    }
    void paste(TextBox *box, const QString &text)
    {
        QApplication::clipboard()->setText(text);
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box->editor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(box->editor(), Qt::Key_V, Qt::ControlModifier);
    }
    void update()
    {
        dialogs.clear();
        QTest::mouseClick(recordCommand(*window, "cmdUpdate", GrievancePane), Qt::LeftButton);
    }
    QString shown() const
    {
        QStringList p;
        for (const auto &m : dialogs.messages())
            p << m.prompt;
        return p.join(QStringLiteral(" | "));
    }

    qint64 m_key = -1;
};

// ---- characters of two units at the pieces' boundaries -------------------

struct Boundary {
    const char *name;
    int before; // units typed before the emoji
    int after;  // units pasted after it
    int kept;   // units the editor accepts in all
};

class FaultSurrogateSplit : public FaultRoundTwoText, public ::testing::WithParamInterface<Boundary>
{
};

TEST_P(FaultSurrogateSplit, NeverCutsACharacterAndTheComplaintStaysEditable)
{
    const Boundary &b = GetParam();
    openComplaint();
    const QString text =
        QString(b.before, QLatin1Char('a')) + Emoji + QString(b.after, QLatin1Char('b'));
    paste(editor(), text);
    ASSERT_EQ(editor()->text(), text.left(b.kept));
    for (int i = CaseFacts3; i <= CaseFacts1; ++i)
        EXPECT_FALSE(hasHalfPair(field(i)->text())) << "piece box " << i;
    EXPECT_EQ(piecesJoined(), editor()->text());

    update();
    ASSERT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    EXPECT_EQ(storedJoined(), editor()->text()) << "stored as typed";
    QTest::mouseClick(recordCommand(*window, "cmdRefresh", GrievancePane), Qt::LeftButton);
    EXPECT_EQ(editor()->text(), text.left(b.kept)) << "loaded back whole";
    // Edited again: the row still holds what was read.
    editor()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor()->editor(), Qt::Key_Delete);
    update();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    EXPECT_EQ(storedJoined(), editor()->text());
}

INSTANTIATE_TEST_SUITE_P(Boundaries, FaultSurrogateSplit,
                         ::testing::Values(Boundary{"AcrossTheFirstCut", 254, 20, 276},
                                           Boundary{"AcrossTheSecondCut", 509, 20, 531},
                                           // One unit of the first piece stays empty: the last unit
                                           // of a full text has no room and is not taken.
                                           Boundary{"FullText", 254, 509, 764}),
                         [](const auto &info) { return std::string(info.param.name); });

enum class Way { Typed, Pasted, InputMethod };

struct AtLimit {
    const char *name;
    Way way;
    int before; // units in the Name box (limit 50) before the emoji
};

class FaultSurrogateLimit : public FaultRoundTwoText, public ::testing::WithParamInterface<AtLimit>
{
};

TEST_P(FaultSurrogateLimit, TakesTheCharacterWholeOrNotAtAll)
{
    const AtLimit &c = GetParam();
    start();
    TextBox *name = field(Name);
    name->setText(QString(c.before, QLatin1Char('n')));
    name->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(name->editor(), Qt::Key_End);
    switch (c.way) {
    case Way::Typed: {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, Emoji);
        QApplication::sendEvent(name->editor(), &press);
        break;
    }
    case Way::Pasted:
        QApplication::clipboard()->setText(Emoji + Emoji);
        QTest::keyClick(name->editor(), Qt::Key_V, Qt::ControlModifier);
        break;
    case Way::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(Emoji);
        QApplication::sendEvent(name->editor(), &commit);
        break;
    }
    }
    const QString expected = c.before + 2 <= 50 ? QString(c.before, QLatin1Char('n')) + Emoji
                                                : QString(c.before, QLatin1Char('n'));
    EXPECT_EQ(name->text(), expected);
    EXPECT_FALSE(hasHalfPair(name->text()));
}

INSTANTIATE_TEST_SUITE_P(Ways, FaultSurrogateLimit,
                         ::testing::Values(AtLimit{"TypedAsThe50thUnit", Way::Typed, 49},
                                           AtLimit{"TypedAsThe49thAnd50thUnits", Way::Typed, 48},
                                           AtLimit{"PastedAsThe50thUnit", Way::Pasted, 49},
                                           AtLimit{"PastedAsThe49thAnd50thUnits", Way::Pasted, 48},
                                           AtLimit{"CommittedAsThe50thUnit", Way::InputMethod, 49}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FaultRoundTwoText, AGridCellTakesACharacterWholeOrNotAtAll)
{
    db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ruth")}});
    start();
    const qsizetype before = Forms::loaded().size();
    QTest::mouseClick(recordCommand(*window, "cmdGrid", EmployeePane), Qt::LeftButton);
    ASSERT_EQ(Forms::loaded().size(), before + 1);
    auto *grid = qobject_cast<frmDataGrid *>(Forms::loaded().last());
    ASSERT_NE(grid, nullptr);
    DataGrid *view = grid->grdDataGrid;
    const int nameColumn = grid->recordset()->fieldIndex(QStringLiteral("Name"));
    view->setCurrentIndex(view->model()->index(0, nameColumn));
    view->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(view, Qt::Key_F2);
    auto *cell = view->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(cell, nullptr);
    cell->selectAll();
    QTest::keyClicks(cell, QString(49, QLatin1Char('n')));
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, Emoji);
    QApplication::sendEvent(cell, &press);
    EXPECT_EQ(cell->text(), QString(49, QLatin1Char('n')));
    grid->close();
}

TEST_F(FaultRoundTwoText, AComplaintStoredWithCutCharactersCanBeSavedAgain)
{
    // As an older version stored an emoji cut at the first boundary: each
    // half on its own, in two pieces.
    openComplaint(
        {{QStringLiteral("Case Facts1"), QString(254, QLatin1Char('a')) + Emoji.at(0)},
         {QStringLiteral("Case Facts2"), QString(Emoji.at(1)) + QStringLiteral("fter the cut")}});
    ASSERT_FALSE(editor()->text().isEmpty());
    editor()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(editor()->editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor()->editor(), QStringLiteral(" and more"));
    update();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    EXPECT_EQ(storedJoined(), editor()->text());
    EXPECT_TRUE(storedJoined().endsWith(QStringLiteral(" and more")));
}

// ---- text dropped onto the editor ----------------------------------------

TEST_F(FaultRoundTwoText, TextDroppedOntoTheCaseFactsIsStored)
{
    openComplaint({{QStringLiteral("Case Facts1"), QStringLiteral("Late for shift.")}});
    field(RemedySought)->setFocus(Qt::OtherFocusReason); // the steward works in another box
    QWidget *target = static_cast<QPlainTextEdit *>(editor()->editor())->viewport();
    QMimeData data;
    data.setText(QStringLiteral(" Sent home."));
    const QPoint at(target->width() - 4, target->height() - 4);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    ASSERT_TRUE(editor()->text().contains(QStringLiteral("Sent home.")))
        << editor()->text().toStdString();

    EXPECT_EQ(piecesJoined(), editor()->text());
    EXPECT_TRUE(pane(GrievancePane)->isEdited());
    update();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    EXPECT_EQ(storedJoined(), editor()->text());
}

// ---- line breaks counted as they are stored ----------------------------

struct Separator {
    const char *name;
    QString stored; // Case Facts1 as stored before the steward types
    QString pasted; // pasted at the end of the text
};

class FaultLineSeparators : public FaultRoundTwoText,
                            public ::testing::WithParamInterface<Separator>
{
};

TEST_P(FaultLineSeparators, FillTheCaseFactsWithoutLosingAnythingWhenStored)
{
    const Separator &s = GetParam();
    // Two full pieces behind the first, so the editor is nearly full.
    openComplaint({{QStringLiteral("Case Facts1"), s.stored},
                   {QStringLiteral("Case Facts2"), QString(255, QLatin1Char('b'))},
                   {QStringLiteral("Case Facts3"), QString(240, QLatin1Char('c'))}});
    paste(editor(), s.pasted);
    EXPECT_LE(editor()->text().size(), 765) << "the editor holds no more than the pieces";
    EXPECT_EQ(piecesJoined(), editor()->text()) << "nothing accepted is cut off";
    update();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << shown().toStdString();
    EXPECT_EQ(storedJoined(), editor()->text());
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, FaultLineSeparators,
    ::testing::Values(Separator{"LineSeparatorPasted", QString(255, QLatin1Char('a')),
                                QStringLiteral("d\u2028eeeeeeeeeeeeeeeeeeeeeee")},
                      Separator{"ParagraphSeparatorPasted", QString(255, QLatin1Char('a')),
                                QStringLiteral("d\u2029eeeeeeeeeeeeeeeeeeeeeee")},
                      Separator{"LoneLineFeedsStoredElsewhere",
                                QString(100, QLatin1Char('a')) + QStringLiteral("\n") +
                                    QString(100, QLatin1Char('a')) + QStringLiteral("\n") +
                                    QString(53, QLatin1Char('a')),
                                QStringLiteral("eeeeeeeeeeeeeeeeeeeeeee")}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
