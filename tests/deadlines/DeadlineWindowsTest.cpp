// The deadline windows driven by the keyboard alone, on either back end:
// the time limits edited and saved, a complaint's steps proposed from its
// date boxes and saved, and the deadlines list filtered, walked, opened
// and closed, exported to a calendar read back by libical and saved as a
// PDF read back by pdftotext.
#include "deadlines/DeadlineFixture.h"

#include "deadlines/DateBox.h"
#include "deadlines/DeadlineCalendar.h"
#include "deadlines/DeadlineCommands.h"
#include "deadlines/DeadlineFormat.h"
#include "deadlines/DeadlineListModel.h"
#include "deadlines/DeadlineSettings.h"
#include "deadlines/StepsWindow.h"
#include "deadlines/TimeLimitsWindow.h"
#include "print/PdfText.h"
#include "support/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <libical/ical.h>

namespace
{

struct IcsEvent {
    QDate day;
    qint64 sequence = -1;
    friend bool operator==(const IcsEvent &a, const IcsEvent &b) { return a.day == b.day; }
};

// The events libical reads from the file, by UID, each checked for what
// every calendar program needs: a whole day, a reminder the day before.
QMap<QString, IcsEvent> readIcs(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    icalcomponent *cal = icalparser_parse_string(file.readAll().constData());
    QMap<QString, IcsEvent> out;
    if (!cal) {
        ADD_FAILURE() << "libical did not read the file";
        return out;
    }
    EXPECT_EQ(icalcomponent_isa(cal), ICAL_VCALENDAR_COMPONENT);
    EXPECT_EQ(icalcomponent_count_errors(cal), 0);
    EXPECT_EQ(icalrestriction_check(cal), 1) << icalcomponent_as_ical_string(cal);
    for (icalcomponent *e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype start = icalcomponent_get_dtstart(e);
        const icaltimetype end = icalcomponent_get_dtend(e);
        const QDate day(start.year, start.month, start.day);
        EXPECT_TRUE(start.is_date && end.is_date);
        EXPECT_EQ(QDate(end.year, end.month, end.day), day.addDays(1));
        icalcomponent *alarm = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT);
        EXPECT_TRUE(alarm);
        if (alarm) {
            const icaltriggertype trigger = icalproperty_get_trigger(
                icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
            EXPECT_EQ(icaldurationtype_as_int(trigger.duration), -15 * 3600);
        }
        const QString uid = QString::fromUtf8(icalcomponent_get_uid(e));
        EXPECT_FALSE(out.contains(uid)) << uid.toStdString();
        out.insert(uid, {day, icalcomponent_get_sequence(e)});
    }
    icalcomponent_free(cal);
    return out;
}

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

    // What the list shows goes to a calendar: one event per deadline, whose
    // UID a later export, after the time limits changed, keeps.
    auto expectedEvents = [this] {
        QMap<QString, IcsEvent> events;
        for (const auto &[due, number] : expectedList(QStringLiteral("kowal")))
            events.insert(DeadlineCalendar::uidFor(number), {due});
        return events;
    };
    QTemporaryDir folder;
    const QString ics = folder.filePath(QStringLiteral("deadlines.ics"));
    dialogs.queueSaveFileName(ics);
    alt(Qt::Key_E);
    const QMap<QString, IcsEvent> before = readIcs(ics);
    EXPECT_EQ(before, expectedEvents());
    OfficeLimits office = DeadlineStore::readLimits(*cdb);
    for (TimeLimit &l : office.limits)
        l.days += 3;
    DeadlineStore::saveLimits(*cdb, office);
    rules = DeadlineStore::readRules(*cdb);
    dialogs.queueSaveFileName(ics);
    alt(Qt::Key_E);
    const QMap<QString, IcsEvent> after = readIcs(ics);
    EXPECT_EQ(after, expectedEvents());
    for (auto it = after.begin(); it != after.end(); ++it)
        EXPECT_GT(it->sequence, before.value(it.key()).sequence) << it.key().toStdString();

    // And to a PDF, in the list's order, a row to a line.
    const QString pdf = folder.filePath(QStringLiteral("deadlines.pdf"));
    dialogs.queueSaveFileName(pdf);
    alt(Qt::Key_D);
    const QList<QList<PdfWord>> pages = pdfWords(pdf);
    ASSERT_EQ(pages.size(), 1);
    // The column under the head "Grievance" (the title's word stands above).
    PdfWord head;
    for (const PdfWord &w : pages.first())
        if (w.text == QLatin1String("Grievance") && w.yMin > head.yMin)
            head = w;
    QMap<double, QString> column;
    for (const PdfWord &w : pages.first())
        if (w.yMin > head.yMin + 1 && qAbs(w.xMin - head.xMin) < 1)
            column.insert(w.yMin, w.text);
    QStringList numbers;
    for (const auto &[due, number] : expectedList(QStringLiteral("kowal")))
        numbers << QString::number(number);
    EXPECT_EQ(column.values(), numbers);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().value(0).prompt.toStdString();

    key(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w; }));
}

// The list is read a page at a time: opened, and at each key typed, it reads
// one page however the view lays it out; PageDown from the filter box walks
// on, reading the next pages as the steward comes to the end, until every
// row is there in order.
TEST_F(DeadlineWindowsTest, EachKeyReadsOnePageAndPageDownTheRest)
{
    fill(260, 17);
    QList<QPair<QDate, qint64>> shop; // every complaint with an employee
    for (const auto &row : expectedList())
        if (employeeOf.contains(row.second))
            shop << row;
    ASSERT_GT(shop.size(), DeadlineList::PageRows);
    DeadlinesWindow::Hooks hooks;
    hooks.today = [] { return QDate(2025, 1, 15); };
    QPointer<DeadlinesWindow> w = DeadlineCommands::openDeadlines(cdb, hooks, nullptr);
    ASSERT_TRUE(w);
    show(w);
    DeadlineListModel *model = w->model();
    for (const QString &text : {QStringLiteral("s"), QStringLiteral("sh"), QStringLiteral("sho"),
                                QStringLiteral("shop")}) {
        key(Qt::Key(text.back().toUpper().unicode()));
        QCoreApplication::processEvents();
        EXPECT_EQ(w->filterBox()->text(), text);
        EXPECT_EQ(model->rowCount(), DeadlineList::PageRows) << text.toStdString();
    }
    for (int i = 0; i < 40 && model->rowCount() < shop.size(); ++i)
        key(Qt::Key_PageDown);
    QList<QPair<QDate, qint64>> shown;
    for (int r = 0; r < model->rowCount(); ++r)
        shown.append({model->at(r).due, model->at(r).grievanceNumber});
    EXPECT_EQ(shown, shop);
    w->close();
}
