#include "deadlines/StepsWindow.h"

#include "deadlines/DateBox.h"
#include "deadlines/DeadlineFormat.h"
#include "deadlines/DeadlineSettings.h"
#include "deadlines/DeadlineTexts.h"
#include "deadlines/DeadlineWidgets.h"
#include "deadlines/DeadlinesLayout.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/Twips.h"
#include "records/CaseDatabase.h"
#include "records/DeadlineSchema.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace DeadlineTexts;
using DeadlineWidgets::choices;

namespace
{

QString actorText(StepActor acts)
{
    return QString::fromUtf8(Actors[int(acts)]).toLower();
}

} // namespace

StepsWindow::StepsWindow(std::shared_ptr<CaseDatabase> db, const ComplaintFacts &facts,
                         QWidget *owner, QDate today)
    : QDialog(owner), m_db(std::move(db)), m_facts(facts), m_today(today)
{
    setObjectName(QStringLiteral("frmSteps"));
    setWindowTitle(QString::fromUtf8(StepsTitleOf).arg(facts.grievanceNumber));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(Twips::toPixels(DeadlinesLayout::StepsWidth),
           Twips::toPixels(DeadlinesLayout::StepsHeight));
    m_rules = DeadlineStore::readRules(*m_db);
    m_stored = DeadlineStore::readComplaint(*m_db, facts.grievanceNumber);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(ComplaintOf)
                                     .arg(facts.grievanceNumber)
                                     .arg(facts.fileNumber, facts.employee.isEmpty()
                                                                ? QString::fromUtf8(NoEmployee)
                                                                : facts.employee),
                                 this));
    auto *form = new QFormLayout;
    m_status = choices(Statuses, this);
    m_status->setObjectName(QStringLiteral("cboStatus"));
    m_violation = new DateBox(this);
    m_violation->setObjectName(QStringLiteral("dtViolation"));
    m_learned = new DateBox(this);
    m_learned->setObjectName(QStringLiteral("dtLearned"));
    m_order = choices(Orders, this);
    m_order->setObjectName(QStringLiteral("cboDateOrder"));
    m_order->setCurrentIndex(int(DeadlineSettings::numericOrder()));
    form->addRow(QString::fromUtf8(StatusLabel), m_status);
    form->addRow(QString::fromUtf8(ViolationLabel), m_violation);
    form->addRow(QString::fromUtf8(LearnedLabel), m_learned);
    form->addRow(QString::fromUtf8(OrderLabel), m_order);
    layout->addLayout(form);
    m_learned->setToolTip(QString::fromUtf8(LearnedNote));

    auto *stepsLabel = new QLabel(QString::fromUtf8(StepsTaken), this);
    layout->addWidget(stepsLabel);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    auto *area = new QWidget(scroll);
    auto *grid = new QGridLayout(area);
    addRows(grid, area);
    scroll->setWidget(area);
    layout->addWidget(scroll, 1);
    if (!m_rows.isEmpty())
        stepsLabel->setBuddy(m_rows.first().done);

    auto *nextRow = new QFormLayout;
    m_next = new QLabel(this);
    m_next->setObjectName(QStringLiteral("lblNext"));
    m_next->setWordWrap(true);
    nextRow->addRow(QString::fromUtf8(NextLabel), m_next);
    layout->addLayout(nextRow);
    m_proposal = new QLabel(this);
    m_proposal->setWordWrap(true);
    layout->addWidget(m_proposal);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *saveButton =
        buttons->addButton(QString::fromUtf8(SaveSteps), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("cmdSave"));
    saveButton->setDefault(true);
    buttons->addButton(QString::fromUtf8(Cancel), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    load();
    connect(buttons, &QDialogButtonBox::accepted, this, &StepsWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_status, &QComboBox::currentIndexChanged, this, &StepsWindow::showNext);
    for (DateBox *box : {m_violation, m_learned})
        connect(box, &DateBox::valueChanged, this, &StepsWindow::showNext);
    for (const Row &r : std::as_const(m_rows))
        connect(r.done, &DateBox::valueChanged, this, &StepsWindow::showNext);
    connect(m_order, &QComboBox::currentIndexChanged, this, [this](int order) {
        DeadlineSettings::setNumericOrder(NumericOrder(order));
        propose();
    });
    showNext();
    Forms::add(this);
}

StepsWindow::~StepsWindow()
{
    Forms::remove(this);
}

void StepsWindow::addRows(QGridLayout *grid, QWidget *area)
{
    for (int c = 0; c < int(std::size(StepColumns)); ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(StepColumns[c]), area), 0, c);
    for (int i = 0; i < m_rules.limits.size(); ++i) {
        const TimeLimit &l = m_rules.limits.at(i);
        Row r;
        r.limit = l.id;
        const QString step = QStringLiteral("%1 (%2)").arg(l.step, actorText(l.acts));
        r.due = new QLabel(area);
        r.done = new DateBox(area);
        r.outcome = choices(Outcomes, area);
        r.outcome->setEditable(true);
        r.outcome->lineEdit()->setMaxLength(DeadlineSchema::OutcomeLength);
        r.note = new QLineEdit(area);
        r.note->setMaxLength(DeadlineSchema::NoteLength);
        r.done->setAccessibleName(step + QStringLiteral(": ") + QString::fromUtf8(StepColumns[2]));
        r.outcome->setAccessibleName(step + QStringLiteral(": ") +
                                     QString::fromUtf8(StepColumns[3]));
        r.note->setAccessibleName(step + QStringLiteral(": ") + QString::fromUtf8(StepColumns[4]));
        r.done->setObjectName(QStringLiteral("dtDone_%1").arg(i));
        r.outcome->setObjectName(QStringLiteral("cboOutcome_%1").arg(i));
        r.note->setObjectName(QStringLiteral("txtNote_%1").arg(i));
        grid->addWidget(new QLabel(step, area), i + 1, 0);
        grid->addWidget(r.due, i + 1, 1);
        grid->addWidget(r.done, i + 1, 2);
        grid->addWidget(r.outcome, i + 1, 3);
        grid->addWidget(r.note, i + 1, 4);
        m_rows << r;
    }
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(int(m_rows.size()) + 1, 1);
}

void StepsWindow::load()
{
    m_status->setCurrentIndex(int(m_stored.status));
    m_violation->setValue(m_stored.violation);
    m_learned->setValue(m_stored.learned);
    for (Row &r : m_rows)
        for (const StepRecord &s : std::as_const(m_stored.steps))
            if (s.limit == r.limit) {
                r.done->setValue(s.done);
                r.outcome->setCurrentText(s.outcome);
                r.note->setText(s.note);
            }
    if (m_stored.version == 0)
        propose();
}

void StepsWindow::propose()
{
    if (m_stored.version != 0)
        return;
    const NumericOrder order = NumericOrder(m_order->currentIndex());
    // The first filing and the first answer are what the complaint's
    // "Contact Date" and "Supervisor's Oral Answer Date" record.
    DateBox *firstFiling = nullptr, *firstAnswer = nullptr;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        DateBox *&first =
            m_rules.limits.at(i).acts == StepActor::UnionFiles ? firstFiling : firstAnswer;
        if (!first)
            first = m_rows.at(i).done;
    }
    QStringList proposed, unread;
    auto offer = [&](DateBox *box, const QString &text, const char *boxName) {
        if (!box || text.trimmed().isEmpty())
            return;
        const QDate d = DateBoxReading::read(text, order);
        // A date proposed before and not changed since follows the order
        // chosen now; one the steward typed stays.
        const QDate before = box->property("proposed").toDate();
        const bool free = box->isEmpty() || (before.isValid() && box->value() == before);
        if (free)
            box->setValue(d);
        box->setProperty("proposed", free ? d : QDate());
        if (!d.isValid())
            unread << QStringLiteral("%1 \"%2\"").arg(QString::fromUtf8(boxName), text.trimmed());
        else
            proposed << QString::fromUtf8(boxName);
    };
    offer(m_violation, m_facts.dateOfViolation, "Date of Violation");
    offer(firstFiling, m_facts.contactDate, "Contact Date");
    offer(firstAnswer, m_facts.oralAnswerDate, "Supervisor's Oral Answer Date");
    QStringList notes;
    if (!proposed.isEmpty())
        notes << QString::fromUtf8(Proposed).arg(proposed.join(QStringLiteral(", ")));
    if (!unread.isEmpty())
        notes << QString::fromUtf8(NotRead).arg(unread.join(QStringLiteral(", ")));
    m_proposal->setText(notes.join(QLatin1Char(' ')));
}

ComplaintSteps StepsWindow::edited() const
{
    ComplaintSteps c = m_stored;
    c.status = GrievanceStatus(m_status->currentIndex());
    c.violation = m_violation->value();
    c.learned = m_learned->value();
    c.steps.clear();
    // A step recorded under a limit the window does not show stays.
    for (const StepRecord &s : m_stored.steps) {
        bool shown = false;
        for (const Row &r : m_rows)
            shown = shown || r.limit == s.limit;
        if (!shown)
            c.steps << s;
    }
    for (const Row &r : m_rows)
        c.steps.append({r.limit, r.done->value(), r.outcome->currentText().trimmed(),
                        r.note->text().trimmed()});
    return c;
}

void StepsWindow::showNext()
{
    const ComplaintSteps c = edited();
    const ComplaintProgress p = c.progress();
    const QList<QDate> dues = DeadlinePlan::dues(m_rules.limits, p, m_rules.calendar);
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        m_rows.at(i).due->setText(DeadlineFormat::day(dues.at(i)));
    const NextDeadline next = DeadlinePlan::next(m_rules.limits, p, m_rules.calendar);
    if (next.isSet()) {
        const TimeLimit &l = m_rules.limits.at(next.index);
        m_next->setText(QString::fromUtf8(NextIs).arg(
            l.step, actorText(l.acts), DeadlineFormat::day(next.due),
            DeadlineFormat::daysLeft(m_rules.calendar, m_today, next.due, l.workingDays)));
    } else if (c.status != GrievanceStatus::Open) {
        m_next->setText(QString::fromUtf8(NextClosed));
    } else if (!c.violation.isValid()) {
        m_next->setText(QString::fromUtf8(NextNoDate));
    } else {
        m_next->setText(QString::fromUtf8(NextNone));
    }
}

QString StepsWindow::nextText() const
{
    return m_next->text();
}

QString StepsWindow::proposalText() const
{
    return m_proposal->text();
}

void StepsWindow::save()
{
    try {
        m_stored = DeadlineStore::saveComplaint(*m_db, edited());
    } catch (const DataError &e) {
        Dialogs::instance().message(e.description(), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Exclamation, QString::fromUtf8(StepsTitle));
        return;
    }
    Q_EMIT saved(m_stored.grievanceNumber);
    accept();
}
