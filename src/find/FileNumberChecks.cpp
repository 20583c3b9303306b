#include "find/FileNumberChecks.h"

#include "caseform/CaseForm.h"
#include "caseform/CaseHandlers.h"
#include "caseform/RecordBinder.h"
#include "find/FindTexts.h"
#include "jetsql/DataError.h"
#include "platform/Dialogs.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"
#include "records/ComplaintLinks.h"

#include <QRegularExpression>
#include <QTabWidget>

namespace FileNumberChecks
{

namespace
{

QString fileNumberOf(const RecordSet &rs, const QVariantList &values)
{
    return values.value(rs.fieldIndex(QStringLiteral("File Number"))).toString();
}

void say(CaseForm &f, const QString &text)
{
    if (f.setStatusText)
        f.setStatusText(text);
}

// "Bob Jones's", "Bob Jones's and Ann Lee's".
QString whose(const QStringList &names)
{
    QStringList owned;
    for (const QString &n : names)
        owned << n + QStringLiteral("'s");
    if (owned.size() < 2)
        return owned.value(0);
    const QString last = owned.takeLast();
    return owned.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// A complaint typed on the grievance page under the number that changes
// would find its row moved by the steward's own renumbering and be refused
// as changed by someone else: it is saved first.
std::function<void(QSqlQuery &)> saveGrievanceFirst(CaseForm &f, const QString &from)
{
    RecordBinder *grievances = f.Data1[CaseFields::GrievancePane];
    if (!grievances || !grievances->isEdited() ||
        f.txtFields[CaseFields::GrievanceFileNumber]->text().compare(from, Qt::CaseInsensitive) !=
            0)
        return {};
    try {
        grievances->updateRecord();
    } catch (const DataError &e) {
        // The employee's save is refused with the reason; the typing on
        // both pages stays for another try.
        // Not as a conflict of the employee's own row, which Refresh would
        // then throw away.
        const bool conflict =
            e.number() == DataErrors::WriteConflict || e.number() == DataErrors::RowDeleted;
        const int number = conflict ? DataErrors::General : e.number();
        const QString why =
            QString::fromUtf8(FindTexts::GrievanceNotSaved).arg(from, e.description());
        return [number, why](QSqlQuery &) { throw DataError(number, why); };
    }
    return {};
}

} // namespace

std::function<void(QSqlQuery &)> beforeUpdate(CaseForm &f, const RecordSet &rs, qint64 key,
                                              const QVariantList &before, const QVariantList &after)
{
    const QString from = fileNumberOf(rs, before), to = fileNumberOf(rs, after);
    // Complaints under a number that differs only in the case of its
    // letters still match it; an emptied number would strand them.
    if (from.isEmpty() || to.isEmpty() || from.compare(to, Qt::CaseInsensitive) == 0)
        return {};
    if (auto refusal = saveGrievanceFirst(f, from))
        return refusal;
    const CaseDatabase &db = rs.database();
    QList<qint64> complaints;
    QStringList others;
    try {
        complaints = ComplaintLinks::complaintsUnder(db, from);
        if (!complaints.isEmpty())
            others = ComplaintLinks::employeesWith(db, from, key);
    } catch (const DataError &e) {
        say(f, QString::fromUtf8(FindTexts::CheckFailed).arg(e.description()));
        return {};
    }
    if (complaints.isEmpty())
        return {};
    const QString count = QString::number(complaints.size());
    const QString question =
        others.isEmpty()
            ? QString::fromUtf8(FindTexts::RenumberQuestion).arg(count, from, to)
            : QString::fromUtf8(FindTexts::RenumberShared).arg(count, from, to, whose(others));
    const auto answer =
        Dialogs::instance().message(question, Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
    if (answer != Dialogs::Answer::Yes)
        return {};
    return ComplaintLinks::moveComplaints(db, from, to, complaints);
}

void afterSave(CaseForm &f, const RecordSet &rs, qint64 key, const QVariantList &before,
               const QVariantList &stored, bool added)
{
    const QString number = fileNumberOf(rs, stored);
    const QString was = fileNumberOf(rs, before);
    if (number.isEmpty() || (!added && number == was))
        return;
    // The grievance page in view shows the complaints of the number it was
    // opened with: shown again, it follows complaints that moved.
    RecordBinder *grievances = f.Data1[CaseFields::GrievancePane];
    if (!added && f.SSTab2 && f.SSTab2->currentIndex() == CaseFields::GrievancePane && grievances &&
        !grievances->isEdited())
        CaseHandlers::SSTab2_Click(f, CaseFields::GrievancePane);
    static const QRegularExpression sixDigits(QStringLiteral("^[0-9]{6}$"));
    QStringList notices;
    if (!sixDigits.match(number).hasMatch())
        notices << QString::fromUtf8(FindTexts::NotSixDigits).arg(number);
    try {
        const QStringList others = ComplaintLinks::employeesWith(rs.database(), number, key);
        if (!others.isEmpty())
            notices << QString::fromUtf8(FindTexts::DuplicateNumber)
                           .arg(number, others.join(QStringLiteral(", ")));
    } catch (const DataError &e) {
        notices << QString::fromUtf8(FindTexts::CheckFailed).arg(e.description());
    }
    if (!notices.isEmpty())
        say(f, notices.join(QStringLiteral("  ")));
}

void afterDelete(CaseForm &f, const RecordSet &rs, qint64 key, const QVariantList &values)
{
    const QString number = fileNumberOf(rs, values);
    if (number.isEmpty())
        return;
    try {
        const QList<qint64> left = ComplaintLinks::complaintsUnder(rs.database(), number);
        if (left.isEmpty())
            return;
        const QStringList others = ComplaintLinks::employeesWith(rs.database(), number, key);
        say(f, others.isEmpty()
                   ? QString::fromUtf8(FindTexts::LeftBehind).arg(left.size()).arg(number)
                   : QString::fromUtf8(FindTexts::LeftWithOther)
                         .arg(left.size())
                         .arg(number, others.first()));
    } catch (const DataError &e) {
        say(f, QString::fromUtf8(FindTexts::CheckFailed).arg(e.description()));
    }
}

void watch(CaseForm &f)
{
    RecordBinder *pane = f.Data1[CaseFields::EmployeePane];
    pane->onBeforeSave = [&f](int, const QVariantList &before, const QVariantList &after) {
        RecordSet *rs = f.Data1[CaseFields::EmployeePane]->rs();
        if (auto work = beforeUpdate(f, *rs, rs->hasCurrent() ? rs->bookmark() : -1, before, after))
            rs->setAlsoWrite(std::move(work));
    };
    pane->onSaved = [&f](int, qint64 key, const QVariantList &before, const QVariantList &stored,
                         bool added) {
        afterSave(f, *f.Data1[CaseFields::EmployeePane]->rs(), key, before, stored, added);
    };
}

void cmdDelete_Click(CaseForm &f, const std::function<void()> &deleteCommand)
{
    RecordBinder *pane = f.Data1[CaseFields::EmployeePane];
    qint64 key = -1;
    QVariantList values;
    if (pane->rs() && pane->rs()->hasCurrent() && !pane->isOnNewRecord()) {
        key = pane->rs()->bookmark();
        values = pane->rs()->valuesOf(key);
    }
    deleteCommand();
    if (key < 0 || !pane->rs() || !pane->rs()->valuesOf(key).isEmpty())
        return; // nothing was deleted
    afterDelete(f, *pane->rs(), key, values);
}

} // namespace FileNumberChecks
