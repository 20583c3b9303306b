#include "deadlines/TimeLimitsWindow.h"

#include "deadlines/DateBox.h"
#include "deadlines/DeadlineTexts.h"
#include "deadlines/DeadlineWidgets.h"
#include "deadlines/DeadlinesLayout.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/MousePointer.h"
#include "platform/Twips.h"
#include "records/CaseDatabase.h"
#include "records/DeadlineSchema.h"
#include "records/DeadlineSql.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace DeadlineTexts;
using DeadlineWidgets::choices;

namespace
{

QPushButton *button(const char *text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

QList<QWidget *> TimeLimitsWindow::Row::widgets() const
{
    return {name, acts, days, unit, from, moves};
}

TimeLimitsWindow::TimeLimitsWindow(std::shared_ptr<CaseDatabase> db, QWidget *owner)
    : QDialog(owner), m_db(std::move(db))
{
    setObjectName(QStringLiteral("frmTimeLimits"));
    setWindowTitle(QString::fromUtf8(LimitsTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(Twips::toPixels(DeadlinesLayout::LimitsWidth),
           Twips::toPixels(DeadlinesLayout::LimitsHeight));

    auto *layout = new QVBoxLayout(this);
    auto *stepsLabel = new QLabel(QString::fromUtf8(StepsLabel), this);
    layout->addWidget(stepsLabel);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    m_stepsArea = new QWidget(scroll);
    m_grid = new QGridLayout(m_stepsArea);
    for (int c = 0; c < int(std::size(LimitColumns)); ++c)
        m_grid->addWidget(new QLabel(QString::fromUtf8(LimitColumns[c]), m_stepsArea), 0, c);
    m_grid->setColumnStretch(0, 1);
    scroll->setWidget(m_stepsArea);
    layout->addWidget(scroll, 3);

    auto *stepButtons = new QHBoxLayout;
    QPushButton *add = button(AddStep, "cmdAddStep", this);
    QPushButton *remove = button(RemoveStep, "cmdRemoveStep", this);
    QPushButton *up = button(MoveUp, "cmdMoveUp", this);
    QPushButton *down = button(MoveDown, "cmdMoveDown", this);
    for (QPushButton *b : {add, remove, up, down})
        stepButtons->addWidget(b);
    stepButtons->addStretch();
    layout->addLayout(stepButtons);

    auto *holidaysLabel = new QLabel(QString::fromUtf8(HolidaysLabel), this);
    layout->addWidget(holidaysLabel);
    auto *holidayRow = new QHBoxLayout;
    m_holidays = new QListWidget(this);
    m_holidays->setObjectName(QStringLiteral("lstHolidays"));
    holidaysLabel->setBuddy(m_holidays);
    holidayRow->addWidget(m_holidays, 1);
    auto *holidayTools = new QGridLayout;
    auto *dateLabel = new QLabel(QString::fromUtf8(HolidayDate), this);
    m_holidayDate = new DateBox(this);
    m_holidayDate->setObjectName(QStringLiteral("dtHoliday"));
    dateLabel->setBuddy(m_holidayDate);
    QPushButton *addDay = button(AddHoliday, "cmdAddHoliday", this);
    QPushButton *removeDay = button(RemoveHoliday, "cmdRemoveHoliday", this);
    auto *yearLabel = new QLabel(QString::fromUtf8(YearLabel), this);
    m_year = new QSpinBox(this);
    m_year->setObjectName(QStringLiteral("spnYear"));
    m_year->setRange(2000, 2199);
    m_year->setValue(QDate::currentDate().year() + 1);
    yearLabel->setBuddy(m_year);
    QPushButton *addYear = button(AddYear, "cmdAddYear", this);
    holidayTools->addWidget(dateLabel, 0, 0);
    holidayTools->addWidget(m_holidayDate, 0, 1);
    holidayTools->addWidget(addDay, 0, 2);
    holidayTools->addWidget(removeDay, 1, 2);
    holidayTools->addWidget(yearLabel, 2, 0);
    holidayTools->addWidget(m_year, 2, 1);
    holidayTools->addWidget(addYear, 2, 2);
    holidayTools->setRowStretch(3, 1);
    holidayRow->addLayout(holidayTools);
    layout->addLayout(holidayRow, 2);

    auto *note = new QLabel(QString::fromUtf8(LimitsNote), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *saveButton =
        buttons->addButton(QString::fromUtf8(Save), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("cmdSave"));
    buttons->addButton(QString::fromUtf8(Cancel), QDialogButtonBox::RejectRole);
    saveButton->setDefault(true);
    layout->addWidget(buttons);

    connect(add, &QPushButton::clicked, this, &TimeLimitsWindow::addStep);
    connect(remove, &QPushButton::clicked, this, &TimeLimitsWindow::removeStep);
    connect(up, &QPushButton::clicked, this, [this] { moveStep(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveStep(1); });
    connect(addDay, &QPushButton::clicked, this, &TimeLimitsWindow::addHoliday);
    connect(removeDay, &QPushButton::clicked, this, &TimeLimitsWindow::removeHoliday);
    connect(addYear, &QPushButton::clicked, this, &TimeLimitsWindow::addYearsHolidays);
    connect(buttons, &QDialogButtonBox::accepted, this, &TimeLimitsWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The row a step button works on: the one the steward was last in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (int r = 0; r < m_rows.size(); ++r)
            if (m_rows.at(r).widgets().contains(now))
                m_current = r;
    });

    load(DeadlineStore::readLimits(*m_db));
    if (!m_rows.isEmpty())
        stepsLabel->setBuddy(m_rows.first().name);
    Forms::add(this);
}

TimeLimitsWindow::~TimeLimitsWindow()
{
    Forms::remove(this);
}

void TimeLimitsWindow::load(const OfficeLimits &office)
{
    m_version = office.version;
    for (const TimeLimit &l : office.limits)
        m_rows << makeRow(l);
    layRows();
    setHolidays(office.holidays);
}

TimeLimitsWindow::Row TimeLimitsWindow::makeRow(const TimeLimit &limit)
{
    Row r;
    r.id = limit.id;
    r.name = new QLineEdit(limit.step, m_stepsArea);
    r.name->setMaxLength(DeadlineSchema::StepLength);
    r.acts = choices(Actors, m_stepsArea);
    r.acts->setCurrentIndex(int(limit.acts));
    r.days = new QSpinBox(m_stepsArea);
    r.days->setRange(0, DeadlineSql::MaxDays);
    r.days->setValue(limit.days);
    r.unit = choices(Units, m_stepsArea);
    r.unit->setCurrentIndex(limit.workingDays ? 0 : 1);
    r.from = choices(FromWhat, m_stepsArea);
    r.from->setCurrentIndex(int(limit.from));
    r.moves = new QCheckBox(QString::fromUtf8(MovesOn), m_stepsArea);
    r.moves->setChecked(limit.nextWorkingDay);
    return r;
}

// Puts the rows in the grid in their order, and the tab order with them.
void TimeLimitsWindow::layRows()
{
    QWidget *previous = nullptr;
    for (int r = 0; r < m_rows.size(); ++r) {
        const Row &row = m_rows.at(r);
        const QList<QWidget *> widgets = row.widgets();
        for (int c = 0; c < widgets.size(); ++c) {
            m_grid->addWidget(widgets.at(c), r + 1, c);
            // A layout shows a widget added to a window on screen only later.
            widgets.at(c)->show();
            widgets.at(c)->setAccessibleName(QStringLiteral("%1 %2: %3")
                                                 .arg(QString::fromUtf8(LimitColumns[0]))
                                                 .arg(r + 1)
                                                 .arg(QString::fromUtf8(LimitColumns[c])));
            widgets.at(c)->setObjectName(QStringLiteral("limit_%1_%2").arg(r).arg(c));
            if (previous)
                setTabOrder(previous, widgets.at(c));
            previous = widgets.at(c);
        }
    }
    m_grid->setRowStretch(int(m_rows.size()) + 1, 1);
}

void TimeLimitsWindow::setHolidays(const QList<QDate> &days)
{
    QList<QDate> sorted = days;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    m_holidays->clear();
    for (const QDate &d : std::as_const(sorted)) {
        auto *item = new QListWidgetItem(QLocale().toString(d, QStringLiteral("ddd d MMM yyyy")));
        item->setData(Qt::UserRole, d);
        m_holidays->addItem(item);
    }
}

TimeLimit TimeLimitsWindow::limitOf(const Row &r) const
{
    TimeLimit l;
    l.id = r.id;
    l.step = r.name->text().trimmed();
    l.acts = StepActor(r.acts->currentIndex());
    l.days = r.days->value();
    l.workingDays = r.unit->currentIndex() == 0;
    l.from = ::CountedFrom(r.from->currentIndex());
    l.nextWorkingDay = r.moves->isChecked();
    return l;
}

OfficeLimits TimeLimitsWindow::edited() const
{
    OfficeLimits o;
    o.version = m_version;
    for (const Row &r : m_rows)
        o.limits << limitOf(r);
    for (int i = 0; i < m_holidays->count(); ++i)
        o.holidays << m_holidays->item(i)->data(Qt::UserRole).toDate();
    return o;
}

void TimeLimitsWindow::addStep()
{
    const int at = m_current < 0 ? int(m_rows.size()) : m_current + 1;
    TimeLimit l;
    l.step = QString::fromUtf8(NewStep);
    m_rows.insert(at, makeRow(l));
    layRows();
    m_current = at;
    m_rows.at(at).name->setFocus(Qt::OtherFocusReason);
    m_rows.at(at).name->selectAll();
}

void TimeLimitsWindow::removeStep()
{
    if (m_current < 0 || m_current >= m_rows.size())
        return;
    const Row gone = m_rows.takeAt(m_current);
    for (QWidget *w : gone.widgets())
        delete w;
    layRows();
    m_current = std::min(m_current, int(m_rows.size()) - 1);
    if (m_current >= 0)
        m_rows.at(m_current).name->setFocus(Qt::OtherFocusReason);
}

void TimeLimitsWindow::moveStep(int by)
{
    const int to = m_current + by;
    if (m_current < 0 || to < 0 || to >= m_rows.size())
        return;
    m_rows.swapItemsAt(m_current, to);
    layRows();
    m_current = to;
    m_rows.at(to).name->setFocus(Qt::OtherFocusReason);
}

void TimeLimitsWindow::addHoliday()
{
    const QDate day = m_holidayDate->value();
    if (!day.isValid())
        return;
    QList<QDate> days = edited().holidays;
    days << day;
    setHolidays(days);
    m_holidayDate->setValue({});
}

void TimeLimitsWindow::removeHoliday()
{
    const int row = m_holidays->currentRow();
    if (row < 0)
        return;
    delete m_holidays->takeItem(row);
    m_holidays->setCurrentRow(std::min(row, m_holidays->count() - 1));
}

void TimeLimitsWindow::addYearsHolidays()
{
    QList<QDate> days = edited().holidays;
    const QDate first(m_year->value(), FixedHolidays[0].month, FixedHolidays[0].day);
    for (const FixedHoliday &h : FixedHolidays)
        days << QDate(m_year->value(), h.month, h.day);
    setHolidays(days);
    // On the year's first, for the steward to go through and edit.
    for (int i = 0; i < m_holidays->count(); ++i)
        if (m_holidays->item(i)->data(Qt::UserRole).toDate() == first)
            m_holidays->setCurrentRow(i);
    m_holidays->setFocus(Qt::OtherFocusReason);
}

void TimeLimitsWindow::save()
{
    try {
        MousePointer::set(MousePointer::Hourglass);
        DeadlineStore::saveLimits(*m_db, edited());
        MousePointer::set(MousePointer::Default);
    } catch (const DataError &e) {
        MousePointer::set(MousePointer::Default);
        Dialogs::instance().message(e.description(), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Exclamation, QString::fromUtf8(LimitsTitle));
        return;
    }
    Q_EMIT saved();
    accept();
}
