#include "caseform/CaseForm.h"

#include "platform/TextBox.h"

#include <QTabWidget>

int CaseForm::pageOf(const QWidget *w) const
{
    if (!SSTab2)
        return -1;
    for (int i = 0; i < SSTab2->count(); ++i) {
        const QWidget *page = SSTab2->widget(i);
        if (page && (w == page || page->isAncestorOf(w)))
            return i;
    }
    return -1;
}

void CaseForm::focus(TextBox *box) const
{
    if (!box)
        return;
    const int page = pageOf(box);
    if (page >= 0 && SSTab2->currentIndex() != page)
        return;
    box->setFocus(Qt::OtherFocusReason);
}
