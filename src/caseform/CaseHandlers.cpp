#include "caseform/CaseHandlers.h"

#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"
#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "platform/TextBox.h"

#include <QScopedValueRollback>
#include <QTabWidget>

namespace CaseHandlers
{

using namespace CaseFields;

namespace
{
// The classic prompts break their lines with LF CR, in that order.
const QString LfCr = QStringLiteral("\n\r");
const QString FileNumberTitle =
    QStringLiteral("A File Number must be entered before entering a grievance!");
} // namespace

void reportFailure(const DataError &e)
{
    Dialogs::instance().message(e.description(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}

QString employeeLookupSource(const QString &typed)
{
    return QStringLiteral("SELECT * FROM Employee WHERE [File Number] LIKE ") +
           JetSql::quoteString(typed + QLatin1Char('*')) + QLatin1Char(' ');
}

QString complaintsSource(const QString &fileNumber)
{
    return QStringLiteral("SELECT * FROM Complaints WHERE [File Number] = ") +
           JetSql::quoteString(fileNumber);
}

void cmdAdd_Click(CaseForm &f, int Index)
{
    try {
        f.Data1[Index]->addNew();
    } catch (const DataError &e) {
        reportFailure(e);
        return;
    }
    if (Index == EmployeePane) {
        f.focus(f.txtFields[Name]);
        return;
    }
    if (f.txtFields[FileNumber]->text().isEmpty()) {
        const auto answer = Dialogs::instance().message(
            QStringLiteral("The File Number field is blank, do you want ") + LfCr +
                QStringLiteral("to enter a file number now?"),
            Dialogs::Buttons::YesNo, Dialogs::Icon::None, FileNumberTitle);
        if (answer == Dialogs::Answer::Yes) {
            f.SSTab2->setCurrentIndex(EmployeePane);
            f.focus(f.txtFields[FileNumber]);
            f.SSTab2->setTabText(GrievancePane, QStringLiteral("Grievance Information"));
            return;
        }
        Dialogs::instance().message(
            QStringLiteral("The File Number field is blank. If you enter a") + LfCr +
                QStringLiteral("grievance with no file number it will get lost!"),
            Dialogs::Buttons::Ok, Dialogs::Icon::None, FileNumberTitle);
    }
    f.Data1[GrievancePane]->presetField(TextBoxBinding::of(f.txtFields[GrievanceFileNumber]),
                                        f.txtFields[FileNumber]->text());
    f.focus(f.txtFields[ContractProvisions]);
}

void cmdDelete_Click(CaseForm &f, int Index)
{
    const auto answer = Dialogs::instance().message(
        QStringLiteral("Delete this record?"), Dialogs::Buttons::YesNo, Dialogs::Icon::None,
        QStringLiteral("This action has no un-do feature!"));
    if (answer != Dialogs::Answer::Yes)
        return;
    RecordBinder *pane = f.Data1[Index];
    // Each step that cannot run is passed over. A missing record is no
    // news to the steward, but a database that refused the delete is.
    auto step = [](const auto &work) {
        try {
            work();
        } catch (const DataError &e) {
            if (e.number() != DataErrors::NoCurrentRecord)
                reportFailure(e);
        }
    };
    auto rs = [pane] { return pane->rs(); };
    if (!rs())
        return;
    if (!rs()->isBOF() || rs()->isEOF()) {
        step([&] { pane->deleteCurrent(); });
        if (!rs()->isBOF() || rs()->isEOF())
            step([&] { pane->moveNext(); });
    }
    if (rs()->isEOF())
        step([&] { pane->addNew(); });
}

void cmdRefresh_Click(CaseForm &f, int Index)
{
    try {
        f.Data1[Index]->refresh();
    } catch (const DataError &e) {
        reportFailure(e);
    }
}

void cmdUpdate_Click(CaseForm &f, int Index)
{
    RecordBinder *pane = f.Data1[Index];
    try {
        const qint64 before = pane->rs() ? pane->rs()->lastModified() : -1;
        pane->updateRecord();
        // LastModified is the record this Update wrote. An unchanged record
        // is not written, and the pane already stands on it: an older
        // LastModified would carry the steward off to another record.
        const qint64 written = pane->rs() ? pane->rs()->lastModified() : -1;
        if (written >= 0 && written != before)
            pane->setBookmark(written);
    } catch (const DataError &e) {
        reportFailure(e);
    }
}

void cmdReset_Click(CaseForm &f)
{
    f.Data1[EmployeePane]->setRecordSource(QStringLiteral("SELECT * FROM Employee"));
    try {
        f.Data1[EmployeePane]->refresh();
    } catch (const DataError &e) {
        reportFailure(e);
        return;
    }
    f.txtFileNumber->setText(QString());
    f.lookupText = QString(); // as at start: the empty box, every employee shown
}

void Data1_Error(CaseForm &, int, int, const QString &text, int &Response)
{
    Dialogs::instance().message(QStringLiteral("Data error event hit err:") + text);
    Response = 0;
}

void Data1_Reposition(CaseForm &f, int Index)
{
    MousePointer::set(MousePointer::Default);
    RecordBinder *pane = f.Data1[Index];
    if (!pane || !pane->rs())
        return;
    pane->setCaption(QStringLiteral("Record: ") +
                     QString::number(pane->rs()->absolutePosition() + 1));
}

void Data1_Validate(CaseForm &, int, int, bool &)
{
    MousePointer::set(MousePointer::Hourglass);
}

void Data1_MouseDown(CaseForm &f, int)
{
    f.focus(f.txtFields[ContractProvisions]);
}

void txtFileNumber_KeyUp(CaseForm &f, int, Qt::KeyboardModifiers)
{
    // A key that leaves the text as it was (Shift, an arrow) asks nothing
    // new, and rerunning the lookup would save the record on screen first:
    // a name typed on the blank record that a lookup left would be filed
    // with no file number, where no lookup finds it.
    const QString typed = f.txtFileNumber->text();
    if (f.lookupText && *f.lookupText == typed)
        return;
    RecordBinder *pane = f.Data1[EmployeePane];
    pane->setRecordSource(employeeLookupSource(typed));
    pane->takeSavedRecord();
    try {
        pane->refresh();
        f.lookupText = typed;
    } catch (const DataError &e) {
        f.lookupText.reset(); // the next key runs it again
        reportFailure(e);
    }
    // The lookup saved the record on screen before it ran: say where it went.
    const QString saved = pane->takeSavedRecord();
    if (!saved.isEmpty() && f.setStatusText)
        f.setStatusText(QStringLiteral("Saved before the lookup: ") + saved);
    f.focus(f.txtFileNumber);
}

void SSTab2_Click(CaseForm &f, int)
{
    if (f.SSTab2->currentIndex() != GrievancePane) {
        f.SSTab2->setTabText(GrievancePane, QStringLiteral("Grievance Information"));
        return;
    }
    if (f.txtFields[FileNumber]->text().isEmpty()) {
        const auto answer = Dialogs::instance().message(
            QStringLiteral("The File Number field is blank do you want ") + LfCr +
                QStringLiteral("to go to the next page anyway?"),
            Dialogs::Buttons::YesNo, Dialogs::Icon::None, FileNumberTitle);
        if (answer == Dialogs::Answer::No) {
            f.SSTab2->setCurrentIndex(EmployeePane);
            f.focus(f.txtFields[FileNumber]);
            return;
        }
    }
    RecordBinder *pane = f.Data1[GrievancePane];
    pane->setRecordSource(complaintsSource(f.txtFields[FileNumber]->text()));
    try {
        pane->refresh();
    } catch (const DataError &e) {
        // The pane still shows the complaint it could not save (or could not
        // leave): giving it this employee's number or name would file it
        // under the wrong employee.
        reportFailure(e);
        return;
    }
    if (pane->rs() && pane->rs()->isBOF() && pane->rs()->isEOF())
        pane->presetField(TextBoxBinding::of(f.txtFields[GrievanceFileNumber]),
                          f.txtFields[FileNumber]->text());
    f.SSTab2->setTabText(GrievancePane,
                         QStringLiteral("Grievance For: ") + f.txtFields[Name]->text());
}

namespace
{
QString trimSpaces(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}
} // namespace

namespace
{
// The form whose split is writing the pieces, and the form whose join is
// writing the editor: neither rule runs inside the other. The focus alone
// cannot tell them apart, because the editor keeps the focus while the
// grievance pane loads another record when a command is given by its access
// key or the tab widget hands the focus back to the editor; skipping the
// join then left the previous record's facts in the editor, and the next
// keystroke split them into the record just loaded.
const CaseForm *splitting = nullptr;
const CaseForm *joining = nullptr;
} // namespace

void txtFields_Change(CaseForm &f, int Index)
{
    if (f.txtCaseFacts && splitting != &f) {
        const QScopedValueRollback<const CaseForm *> guard(joining, &f);
        f.txtCaseFacts->setText(trimSpaces(f.txtFields[CaseFacts1]->text() +
                                           f.txtFields[CaseFacts2]->text() +
                                           f.txtFields[CaseFacts3]->text()));
    }
    if (Index == Name && f.setStatusText)
        f.setStatusText(QStringLiteral("Preparing grievance for: ") + f.txtFields[Name]->text());
}

namespace
{
constexpr qsizetype PieceLength = 255;
constexpr int Pieces = 3;

// Where a piece of at most PieceLength units that starts at `from` ends.
// Never between the two halves of a character outside the Basic
// Multilingual Plane: each half alone is stored as an invalid sequence.
qsizetype pieceEnd(const QString &t, qsizetype from)
{
    qsizetype end = std::min(from + PieceLength, t.size());
    if (end > from && end < t.size() && t.at(end - 1).isHighSurrogate() &&
        t.at(end).isLowSurrogate())
        --end;
    return end;
}
} // namespace

QStringList splitCaseFacts(const QString &t)
{
    QStringList pieces;
    qsizetype from = 0;
    for (int i = 0; i < Pieces; ++i) {
        const qsizetype end = pieceEnd(t, from);
        pieces << t.mid(from, end - from);
        from = end;
    }
    return pieces;
}

int caseFactsLength(const QString &t)
{
    // Each piece starts at its own 255-unit boundary; a pair moved to the
    // next piece leaves one unit of the previous piece unused.
    qsizetype from = 0;
    for (int i = 0; i < Pieces; ++i) {
        const qsizetype end = pieceEnd(t, from);
        if (end == t.size())
            return int(i * PieceLength + (end - from));
        from = end;
    }
    return int(Pieces * PieceLength + (t.size() - from));
}

void txtCaseFacts_Change(CaseForm &f)
{
    // Text dropped onto the editor (or entered any other way by the steward)
    // changes it without giving it the focus; it must reach the pieces all
    // the same, or it is never stored.
    if (joining == &f || (!f.txtCaseFacts->isActiveControl() && !f.txtCaseFacts->isUserChange()))
        return;
    const QScopedValueRollback<const CaseForm *> guard(splitting, &f);
    const QStringList pieces = splitCaseFacts(f.txtCaseFacts->text());
    f.txtFields[CaseFacts1]->setText(pieces.at(0));
    f.txtFields[CaseFacts2]->setText(pieces.at(1));
    f.txtFields[CaseFacts3]->setText(pieces.at(2));
}

} // namespace CaseHandlers
