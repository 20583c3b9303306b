#include "find/FileNumberChecks.h"

#include "caseform/CaseForm.h"
#include "caseform/RecordBinder.h"
#include "find/FindTexts.h"
#include "jetsql/DataError.h"
#include "platform/Dialogs.h"
#include "records/CaseDatabase.h"
#include "records/CaseSearch.h"
#include "records/ComplaintLinks.h"

#include <QRegularExpression>

namespace FileNumberChecks
{

namespace
{

QString fileNumberOf(const RecordSet &rs, const QVariantList &values)
{
    return values.value(rs.fieldIndex(QStringLiteral("File Number"))).toString();
}

// The question comes before the save's transaction opens: nothing stays
// locked while the steward thinks.
void beforeSave(CaseForm &f, const QVariantList &before, const QVariantList &after)
{
    RecordBinder *pane = f.Data1[0];
    RecordSet *rs = pane->rs();
    const QString from = fileNumberOf(*rs, before), to = fileNumberOf(*rs, after);
    // Complaints under a number that differs only in the case of its
    // letters still match it; an emptied number would strand them.
    if (from.isEmpty() || to.isEmpty() || from.compare(to, Qt::CaseInsensitive) == 0)
        return;
    int count = 0;
    try {
        count = CaseSearch(pane->database()).complaintsUnder(from);
    } catch (const DataError &) {
        return; // the save itself meets the fault and reports it
    }
    if (count == 0)
        return;
    const auto answer = Dialogs::instance().message(
        QString::fromUtf8(FindTexts::RenumberQuestion).arg(count).arg(from, to),
        Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
    if (answer == Dialogs::Answer::Yes)
        rs->setAlsoWrite(ComplaintLinks::moveComplaints(from, to));
}

void saved(CaseForm &f, qint64 key, const QVariantList &before, const QVariantList &stored,
           bool added)
{
    RecordBinder *pane = f.Data1[0];
    const QString number = fileNumberOf(*pane->rs(), stored);
    if (number.isEmpty() || (!added && number == fileNumberOf(*pane->rs(), before)))
        return;
    static const QRegularExpression sixDigits(QStringLiteral("^[0-9]{6}$"));
    QStringList notices;
    if (!sixDigits.match(number).hasMatch())
        notices << QString::fromUtf8(FindTexts::NotSixDigits).arg(number);
    try {
        const QStringList others = CaseSearch(pane->database()).employeesWith(number, key);
        if (!others.isEmpty())
            notices << QString::fromUtf8(FindTexts::DuplicateNumber)
                           .arg(number, others.join(QStringLiteral(", ")));
    } catch (const DataError &) {
        // A notice that cannot be read is left out; the save stands.
    }
    if (!notices.isEmpty() && f.setStatusText)
        f.setStatusText(notices.join(QStringLiteral("  ")));
}

} // namespace

void watch(CaseForm &f)
{
    RecordBinder *pane = f.Data1[0];
    pane->onBeforeSave = [&f](int, const QVariantList &before, const QVariantList &after) {
        beforeSave(f, before, after);
    };
    pane->onSaved = [&f](int, qint64 key, const QVariantList &before, const QVariantList &stored,
                         bool added) { saved(f, key, before, stored, added); };
}

void cmdDelete_Click(CaseForm &f, const std::function<void()> &deleteCommand)
{
    RecordBinder *pane = f.Data1[0];
    qint64 key = -1;
    QString number;
    if (pane->rs() && pane->rs()->hasCurrent() && !pane->isOnNewRecord()) {
        key = pane->rs()->bookmark();
        number = fileNumberOf(*pane->rs(), pane->rs()->valuesOf(key));
    }
    deleteCommand();
    if (key < 0 || number.isEmpty() || !pane->rs() || !pane->rs()->valuesOf(key).isEmpty())
        return; // nothing was deleted, or it had no number
    try {
        const CaseSearch search(pane->database());
        const int left = search.complaintsUnder(number);
        if (left == 0 || !f.setStatusText)
            return;
        const QStringList others = search.employeesWith(number, key);
        f.setStatusText(others.isEmpty()
                            ? QString::fromUtf8(FindTexts::LeftBehind).arg(left).arg(number)
                            : QString::fromUtf8(FindTexts::LeftWithOther)
                                  .arg(left)
                                  .arg(number, others.first()));
    } catch (const DataError &) {
        // Only a notice; the delete is done.
    }
}

} // namespace FileNumberChecks
