// The record panes and the lookup when a save is refused, a grid changes
// the rows under a pane, or a key release asks nothing new: what the steward
// typed is never lost or filed where no lookup finds it, the pointer never
// stays an hourglass, and a failing lookup never runs in a loop.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "app/StatusBar.h"
#include "browser/DataGrid.h"
#include "browser/frmDataGrid.h"
#include "platform/Forms.h"
#include "platform/MousePointer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

using namespace CaseFields;

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString Complaints = QStringLiteral("Complaints");

class FaultRoundTwoPane : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (const char *name : {"Ada", "Ben", "Cy"})
            m_keys << db.insert(Employee,
                                {{QStringLiteral("Name"), QString::fromLatin1(name)},
                                 {QStringLiteral("File Number"),
                                  QStringLiteral("00000") + QString::number(m_keys.size() + 1)}});
        db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000001")},
                               {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")}});
    }
    void TearDown() override
    {
        MousePointer::set(MousePointer::Default);
        MainWindowTest::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The database refuses every write to a table, as it would when full or
    // read-only, until allowed again.
    void refuseWrites(const QString &table)
    {
        for (const char *when : {"INSERT", "UPDATE"})
            db.query(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 BEGIN "
                                    "SELECT RAISE(ABORT, 'refused'); END")
                         .arg(table, QString::fromLatin1(when)));
    }
    void allowWrites(const QString &table)
    {
        for (const char *when : {"INSERT", "UPDATE"})
            db.query(
                QStringLiteral("DROP TRIGGER refuse_%1_%2").arg(table, QString::fromLatin1(when)));
    }
    void append(TextBox *box, const QString &text)
    {
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box->editor(), Qt::Key_End);
        QTest::keyClicks(box->editor(), text);
    }
    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    void next()
    {
        QTest::mouseClick(bar(EmployeePane)->button(NavigatorBar::Next), Qt::LeftButton);
    }
    QString name(qint64 key)
    {
        return db.row(Employee, QStringLiteral("rowid = ?"), {key})
            .value(QStringLiteral("Name"))
            .toString();
    }
    QStringList prompts() const
    {
        QStringList p;
        for (const auto &m : dialogs.messages())
            p << m.prompt;
        return p;
    }
    frmDataGrid *openGrid()
    {
        const qsizetype before = Forms::loaded().size();
        click(recordCommand(*window, "cmdGrid", EmployeePane));
        if (Forms::loaded().size() != before + 1)
            return nullptr;
        return qobject_cast<frmDataGrid *>(Forms::loaded().last());
    }
    void deleteInGrid(frmDataGrid *grid, int row)
    {
        grid->grdDataGrid->selectRow(row);
        QTest::keyClick(grid->grdDataGrid, Qt::Key_Delete); // answered Yes
    }
    QString status() const { return windowStatusBar(*window)->panelText(1); }

    QList<qint64> m_keys;
};

// ---- the pointer after every path that raised Validate -------------------

enum class PointerPath { SecondUpdateOfTheSameRecord, RefusedUpdate, RefusedAdd, CloseAnsweredNo };

class FaultPointer : public FaultRoundTwoPane, public ::testing::WithParamInterface<PointerPath>
{
};

TEST_P(FaultPointer, EndsWithTheNormalPointer)
{
    start();
    if (GetParam() != PointerPath::SecondUpdateOfTheSameRecord) {
        append(field(Name), QStringLiteral("x"));
        refuseWrites(Employee);
    }
    switch (GetParam()) {
    case PointerPath::SecondUpdateOfTheSameRecord:
        click(recordCommand(*window, "cmdUpdate", EmployeePane));
        click(recordCommand(*window, "cmdUpdate", EmployeePane));
        break;
    case PointerPath::RefusedUpdate:
        click(recordCommand(*window, "cmdUpdate", EmployeePane));
        break;
    case PointerPath::RefusedAdd:
        click(recordCommand(*window, "cmdAdd", EmployeePane));
        break;
    case PointerPath::CloseAnsweredNo:
        dialogs.queueAnswer(Dialogs::Answer::Ok);
        dialogs.queueAnswer(Dialogs::Answer::No);
        window->close();
        ASSERT_TRUE(window->isVisible()) << "the steward kept the window";
        break;
    }
    EXPECT_EQ(MousePointer::current(), MousePointer::Default)
        << prompts().join(QLatin1Char('|')).toStdString();
}

std::string pathName(const ::testing::TestParamInfo<PointerPath> &info)
{
    static const char *const names[] = {"SecondUpdateOfTheSameRecord", "RefusedUpdate",
                                        "RefusedAdd", "CloseAnsweredNo"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, FaultPointer,
                         ::testing::Values(PointerPath::SecondUpdateOfTheSameRecord,
                                           PointerPath::RefusedUpdate, PointerPath::RefusedAdd,
                                           PointerPath::CloseAnsweredNo),
                         pathName);

// ---- a grid deletes the row under a pane that holds typing ----------------

struct UnderPane {
    const char *name;
    bool newRecord; // Add pressed and a new employee typed; else Ben's name edited
};

class FaultGridDeleteUnderPane : public FaultRoundTwoPane,
                                 public ::testing::WithParamInterface<UnderPane>
{
};

TEST_P(FaultGridDeleteUnderPane, KeepsTheTypingAndNeverStoresHalfARecord)
{
    const UnderPane &c = GetParam();
    start();
    next();
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Ben"));
    if (c.newRecord) {
        click(recordCommand(*window, "cmdAdd", EmployeePane));
        append(field(Name), QStringLiteral("Zoe"));
        append(field(FileNumber), QStringLiteral("000009"));
    } else {
        append(field(Name), QStringLiteral(" Jr"));
    }
    const QString typedName = field(Name)->text();
    frmDataGrid *grid = openGrid();
    ASSERT_NE(grid, nullptr);
    dialogs.clear();
    deleteInGrid(grid, 1);
    ASSERT_EQ(prompts(), QStringList{QStringLiteral("Delete Current Row?")});
    ASSERT_TRUE(name(m_keys[1]).isEmpty()) << "Ben's row is gone";

    EXPECT_EQ(field(Name)->text(), typedName) << "the typing in the main window stays";
    EXPECT_TRUE(pane(EmployeePane)->isEdited());
    dialogs.clear();
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    if (c.newRecord) {
        EXPECT_TRUE(prompts().isEmpty()) << prompts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(db.count(Employee, QStringLiteral("Name = 'Zoe' AND \"File Number\" = '000009'")),
                  1);
        EXPECT_EQ(db.count(Employee), 3);
    } else {
        // Ben's record was deleted: the edit is refused with a word, never
        // stored as a new record holding only the changed box.
        ASSERT_EQ(prompts().size(), 1);
        EXPECT_TRUE(prompts().at(0).contains(QStringLiteral("deleted")))
            << prompts().at(0).toStdString();
        EXPECT_EQ(db.count(Employee), 2);
        EXPECT_EQ(field(Name)->text(), typedName);
    }
    grid->close();
}

INSTANTIATE_TEST_SUITE_P(Typing, FaultGridDeleteUnderPane,
                         ::testing::Values(UnderPane{"NewRecord", true},
                                           UnderPane{"EditedRecord", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- refused saves keep the typing and a true baseline ------------------

TEST_F(FaultRoundTwoPane, ACancelledCloseLeavesNoFalseConflictBehind)
{
    start();
    append(field(Name), QStringLiteral(" Lovelace"));
    clickTab(GrievancePane);
    ASSERT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay"));
    append(field(RemedySought), QStringLiteral(" and costs"));
    refuseWrites(Complaints);
    dialogs.clear();
    dialogs.queueAnswer(Dialogs::Answer::Ok); // the complaint's refusal
    dialogs.queueAnswer(Dialogs::Answer::No); // "Close anyway and lose the changes?"
    window->close();
    ASSERT_TRUE(window->isVisible());
    ASSERT_EQ(name(m_keys[0]), QStringLiteral("Ada Lovelace")) << "the employee was saved";
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay and costs"));

    clickTab(EmployeePane);
    append(field(Name), QStringLiteral(" King"));
    dialogs.clear();
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_TRUE(prompts().isEmpty()) << prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(name(m_keys[0]), QStringLiteral("Ada Lovelace King"));
    allowWrites(Complaints);
}

TEST_F(FaultRoundTwoPane, AGridRefreshWhoseSaveIsRefusedKeepsTheTypingForItsOwnRecord)
{
    start();
    next();
    append(field(Name), QStringLiteral(" Jr"));
    frmDataGrid *grid = openGrid();
    ASSERT_NE(grid, nullptr);
    refuseWrites(Employee);
    dialogs.clear();
    click(grid->cmdRefresh);
    ASSERT_EQ(prompts().size(), 1) << "the refusal is shown";
    EXPECT_TRUE(prompts().at(0).startsWith(QStringLiteral("Data error event hit err:")));
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Ben Jr"));
    EXPECT_TRUE(pane(EmployeePane)->isEdited());

    allowWrites(Employee);
    dialogs.clear();
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_TRUE(prompts().isEmpty()) << prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(name(m_keys[1]), QStringLiteral("Ben Jr")) << "stored in Ben's own row";
    EXPECT_EQ(name(m_keys[0]), QStringLiteral("Ada"));
    grid->close();
}

// ---- the lookup --------------------------------------------------------

class FaultLookupKey : public FaultRoundTwoPane, public ::testing::WithParamInterface<Qt::Key>
{
};

TEST_P(FaultLookupKey, ThatLeavesTheTextAloneStoresNothing)
{
    start();
    TextBox *lookup = windowBox(*window, "txtFileNumber");
    typeInto(lookup, QStringLiteral("9"));
    ASSERT_TRUE(pane(EmployeePane)->isOnNewRecord()) << "the lookup found nobody";
    append(field(Name), QStringLiteral("Zoe"));
    lookup->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(lookup->editor(), GetParam());
    EXPECT_EQ(db.count(Employee), 3) << "no employee without a file number";
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Zoe"));

    // A key that does change the lookup saves the typed record first, and
    // the status bar says where it went.
    QTest::keyClick(lookup->editor(), Qt::Key_Backspace);
    EXPECT_EQ(db.count(Employee, QStringLiteral("Name = 'Zoe'")), 1);
    EXPECT_EQ(status(), QStringLiteral("Saved before the lookup: Employee record with Name Zoe"));
}

INSTANTIATE_TEST_SUITE_P(Keys, FaultLookupKey,
                         ::testing::Values(Qt::Key_Shift, Qt::Key_Right, Qt::Key_End),
                         [](const auto &info) {
                             return std::string(info.param == Qt::Key_Shift   ? "Shift"
                                                : info.param == Qt::Key_Right ? "RightArrow"
                                                                              : "End");
                         });

// The real message box, closed with Enter on its key press; the release
// arrives afterwards in the window that has the focus again, as the window
// system delivers it.
class EnterCloses : public QObject
{
  public:
    explicit EnterCloses(QWidget *main) : m_main(main) { qApp->installEventFilter(this); }
    ~EnterCloses() override { qApp->removeEventFilter(this); }
    int shown = 0;

  protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *box = qobject_cast<QMessageBox *>(o);
        if (box && e->type() == QEvent::Show) {
            ++shown;
            const bool release = shown <= 3; // a loop still ends
            QTimer::singleShot(0, box, [this, box, release] {
                QTest::keyPress(box->windowHandle(), Qt::Key_Return);
                if (!box->isVisible() && release)
                    QTimer::singleShot(0, m_main, [this] {
                        QTest::keyRelease(m_main->windowHandle(), Qt::Key_Return);
                    });
                else if (box->isVisible())
                    box->done(QMessageBox::Ok);
            });
        }
        return false;
    }

  private:
    QWidget *m_main;
};

TEST_F(FaultRoundTwoPane, AFailingLookupIsNotRunAgainByTheKeyThatClosedItsMessage)
{
    start();
    db.query(QStringLiteral("ALTER TABLE Employee RENAME TO EmployeeAway"));
    Dialogs::install(nullptr); // the real message boxes
    EnterCloses closer(window.get());
    TextBox *lookup = windowBox(*window, "txtFileNumber");
    lookup->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window->windowHandle(), Qt::Key_1);
    // Everything the closing key set going (its release, and any lookup
    // that release would run) has happened once the queue is empty.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    Dialogs::install(&dialogs);
    EXPECT_EQ(closer.shown, 1);
    EXPECT_EQ(window->focusWidget(), lookup->editor()) << "typing goes on in the lookup box";
    db.query(QStringLiteral("ALTER TABLE EmployeeAway RENAME TO Employee"));
}

} // namespace
