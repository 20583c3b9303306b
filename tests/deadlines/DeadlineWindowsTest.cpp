// The deadline windows driven by the keyboard alone, on either back end:
// the time limits edited and saved, a complaint's steps proposed from its
// date boxes and saved, and the deadlines list filtered, walked, opened
// and closed.
#include "deadlines/DeadlineFixture.h"

#include "deadlines/DateBox.h"
#include "deadlines/DeadlineCommands.h"
#include "deadlines/DeadlineFormat.h"
#include "deadlines/DeadlineListModel.h"
#include "deadlines/DeadlineSettings.h"
#include "deadlines/StepsWindow.h"
#include "deadlines/TimeLimitsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeView>

namespace
{

class DeadlineWindowsTest : public DeadlineFixture
{
  public:
    void SetUp() override
    {
        DeadlineFixture::SetUp();
        DeadlineSettings::setNumericOrder(NumericOrder::Unset);
    }

    static void show(QWidget *w)
    {
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    // Types into whatever has the focus.
    static void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    // Each key as the steward presses it, with the window's pending work
    // (a list laid out anew, say) done in between.
    static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QCoreApplication::processEvents();
        QTest::keyClick(QApplication::focusWidget(), k, m);
    }
    // A button's access key: the button shows itself pressed and is
    // clicked a moment later, as on the screen.
    static void alt(Qt::Key k)
    {
        QPointer<QWidget> window = QApplication::activeWindow();
        key(k, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([window] {
            if (!window)
                return true;
            const auto buttons = window->findChildren<QAbstractButton *>();
            return std::none_of(buttons.begin(), buttons.end(),
                                [](QAbstractButton *b) { return b->isDown(); });
        }));
    }
    template <typename T> static T *focused()
    {
        return qobject_cast<T *>(QApplication::focusWidget());
    }

    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(DeadlineWindowsTest, TimeLimitsEditedAndSavedByKeyboard)
{
    QPointer<TimeLimitsWindow> w = DeadlineCommands::openTimeLimits(cdb, nullptr);
    ASSERT_TRUE(w);
    show(w);
    key(Qt::Key_S, Qt::AltModifier); // the first step's name
    ASSERT_TRUE(focused<QLineEdit>());
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("Oral step"));
    key(Qt::Key_Tab); // who acts
    key(Qt::Key_Tab); // days
    ASSERT_TRUE(focused<QSpinBox>() || focused<QLineEdit>());
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("7"));
    key(Qt::Key_Tab); // counted in
    key(Qt::Key_Down);
    alt(Qt::Key_A); // a step after the first
    type(QStringLiteral("Mediation"));
    alt(Qt::Key_W); // one down: third
    key(Qt::Key_Y, Qt::AltModifier);
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("2026"));
    alt(Qt::Key_F);                  // the year's fixed holidays
    key(Qt::Key_H, Qt::AltModifier); // on the year's first
    key(Qt::Key_Down);               // Juneteenth
    alt(Qt::Key_M);
    key(Qt::Key_T, Qt::AltModifier); // a day of the steward's own
    key(Qt::Key_Up);
    const QDate own = focused<DateBox>() ? focused<DateBox>()->value() : QDate();
    alt(Qt::Key_D);
    alt(Qt::Key_V); // save
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().value(0).prompt.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w || !w->isVisible(); }));

    const OfficeLimits office = DeadlineStore::readLimits(*cdb);
    const QList<TimeLimit> defaults = DeadlinePlan::defaultLimits();
    ASSERT_EQ(office.limits.size(), defaults.size() + 1);
    EXPECT_EQ(office.limits.at(0).step, QStringLiteral("Oral step"));
    EXPECT_EQ(office.limits.at(0).days, 7);
    EXPECT_FALSE(office.limits.at(0).workingDays);
    EXPECT_EQ(office.limits.at(1).id, defaults.at(1).id);
    EXPECT_EQ(office.limits.at(2).step, QStringLiteral("Mediation"));
    EXPECT_GT(office.limits.at(2).id, defaults.last().id);
    QList<QDate> holidays = {QDate(2026, 1, 1), QDate(2026, 7, 4), QDate(2026, 11, 11),
                             QDate(2026, 12, 25)};
    ASSERT_TRUE(own.isValid());
    holidays << own;
    std::sort(holidays.begin(), holidays.end());
    holidays.erase(std::unique(holidays.begin(), holidays.end()), holidays.end());
    EXPECT_EQ(office.holidays, holidays);
}

TEST_F(DeadlineWindowsTest, StepsProposedFromTheBoxesAndSavedByKeyboard)
{
    db.insert(QStringLiteral("Employee"),
              {{QStringLiteral("Name"), QStringLiteral("Ann Smithers")},
               {QStringLiteral("File Number"), QStringLiteral("000124")}});
    const qint64 number = db.insert(
        QStringLiteral("Complaints"),
        {{QStringLiteral("File Number"), QStringLiteral("000124")},
         {QStringLiteral("Date of Violation"), QStringLiteral("March 3, 2025")},
         {QStringLiteral("Contact Date"), QStringLiteral("03/10/2025")},
         {QStringLiteral("Supervisor's Oral Answer Date"), QStringLiteral("2025-03-12")}});
    const ComplaintFacts facts = DeadlineStore::readFacts(*cdb, number);
    EXPECT_EQ(facts.employee, QStringLiteral("Ann Smithers"));
    auto *w = new StepsWindow(cdb, facts, nullptr, QDate(2025, 3, 14));
    show(w);
    auto *filed = w->findChild<DateBox *>(QStringLiteral("dtDone_0"));
    auto *answered = w->findChild<DateBox *>(QStringLiteral("dtDone_1"));
    EXPECT_EQ(w->findChild<DateBox *>(QStringLiteral("dtViolation"))->value(), QDate(2025, 3, 3));
    EXPECT_EQ(answered->value(), QDate(2025, 3, 12));
    EXPECT_TRUE(filed->isEmpty()) << "03/10/2025 was read with no order chosen";
    EXPECT_TRUE(w->proposalText().contains(QLatin1String("03/10/2025")));

    key(Qt::Key_A, Qt::AltModifier); // how dates like 03/04/2025 are written
    key(Qt::Key_Down);               // month first
    EXPECT_EQ(filed->value(), QDate(2025, 3, 10));
    EXPECT_EQ(DeadlineSettings::numericOrder(), NumericOrder::MonthFirst);
    // Answered on the 12th: the union files step 2 within 10 working days.
    EXPECT_TRUE(w->nextText().contains(DeadlineFormat::day(QDate(2025, 3, 26))))
        << w->nextText().toStdString();
    EXPECT_TRUE(w->nextText().contains(QLatin1String("8 working days")));

    key(Qt::Key_P, Qt::AltModifier); // the first step's date
    EXPECT_EQ(focused<DateBox>(), filed);
    // Tab goes from day to month to year, then on.
    while (focused<DateBox>() == filed)
        key(Qt::Key_Tab);
    type(QStringLiteral("Filed orally"));
    key(Qt::Key_Tab);
    type(QStringLiteral("with the steward"));
    key(Qt::Key_Return); // the window's default button: Save
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().value(0).prompt.toStdString();

    const ComplaintSteps stored = DeadlineStore::readComplaint(*cdb, number);
    EXPECT_EQ(stored.violation, QDate(2025, 3, 3));
    EXPECT_EQ(stored.nextDue, QDate(2025, 3, 26));
    ASSERT_EQ(stored.steps.size(), 2);
    EXPECT_EQ(stored.steps.at(0),
              (StepRecord{rules.limits.at(0).id, QDate(2025, 3, 10), QStringLiteral("Filed orally"),
                          QStringLiteral("with the steward")}));
    // The complaint's own boxes are as they were.
    EXPECT_EQ(DeadlineStore::readFacts(*cdb, number).contactDate, QStringLiteral("03/10/2025"));
}

TEST_F(DeadlineWindowsTest, TheListFilteredWalkedOpenedAndClosedByKeyboard)
{
    fill(40, 3);
    int saves = 0;
    DeadlinesWindow::Hooks hooks;
    hooks.saveFirst = [&saves] { return ++saves > 0; };
    hooks.today = [] { return QDate(2025, 1, 15); };
    QPointer<DeadlinesWindow> w = DeadlineCommands::openDeadlines(cdb, hooks, nullptr);
    ASSERT_TRUE(w);
    show(w);
    DeadlineListModel *model = w->model();
    auto shown = [model] {
        QList<QPair<QDate, qint64>> rows;
        for (int r = 0; r < model->rowCount(); ++r)
            rows.append({model->at(r).due, model->at(r).grievanceNumber});
        return rows;
    };
    EXPECT_EQ(shown(), expectedList());
    for (int r = 0; r < model->rowCount(); ++r) {
        const bool overdue = model->at(r).due < QDate(2025, 1, 15);
        EXPECT_EQ(
            model->data(model->index(r, DeadlineListModel::When), Qt::DisplayRole).toString(),
            DeadlineFormat::whenText(DeadlineFormat::when(QDate(2025, 1, 15), model->at(r).due)));
        EXPECT_EQ(model->data(model->index(r, 0), Qt::FontRole).value<QFont>().bold(), overdue);
    }

    EXPECT_EQ(QApplication::focusWidget(), w->filterBox());
    type(QStringLiteral("kowal"));
    EXPECT_EQ(shown(), expectedList(QStringLiteral("kowal")));
    ASSERT_GE(model->rowCount(), 2);
    QSignalSpy chosen(w.data(), &DeadlinesWindow::complaintChosen);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    ASSERT_EQ(chosen.size(), 1);
    const DeadlineRow &second = model->at(1);
    EXPECT_EQ(chosen.at(0).at(0).toLongLong(), second.grievanceNumber);
    EXPECT_EQ(chosen.at(0).at(1).toLongLong(), second.employeeKey);
    EXPECT_EQ(chosen.at(0).at(2).toString(), second.fileNumber);
    EXPECT_GE(second.employeeKey, 0);

    alt(Qt::Key_T); // its steps, once the main window saved
    EXPECT_EQ(saves, 1);
    QPointer<StepsWindow> steps = w->findChild<StepsWindow *>();
    ASSERT_TRUE(steps);
    EXPECT_EQ(steps->grievanceNumber(), second.grievanceNumber);
    EXPECT_TRUE(QTest::qWaitFor([&] { return steps->isActiveWindow(); }));
    key(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !steps || !steps->isVisible(); }));

    QApplication::setActiveWindow(w);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
    w->filterBox()->setFocus();
    key(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w; }));
}
