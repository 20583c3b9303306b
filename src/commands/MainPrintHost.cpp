#include "commands/MainPrintHost.h"

#include "caseform/CaseForm.h"
#include "platform/TextBox.h"

#include <QStatusBar>

namespace
{
constexpr int noticeMilliseconds = 20000;
}

QString MainPrintHost::fieldText(int index) const
{
    return m_form.txtFields[index]->text();
}

QString MainPrintHost::copiesText() const
{
    return m_form.txtCopies->text();
}

QString MainPrintHost::backCopiesText() const
{
    return m_form.txtBackCopies->text();
}

QString MainPrintHost::caseFactsText() const
{
    return m_form.txtCaseFacts->text();
}

void MainPrintHost::setStatusText(const QString &text)
{
    if (m_form.setStatusText)
        m_form.setStatusText(text);
}

void MainPrintHost::showNotice(const QString &text)
{
    if (m_statusBar)
        m_statusBar->showMessage(text, noticeMilliseconds);
}
