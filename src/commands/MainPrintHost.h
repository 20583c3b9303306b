#pragma once

#include "print/PrintJobs.h"

#include <QImage>

struct CaseForm;
class QStatusBar;

// The print jobs' view of the main window: the boxes they print from, the
// logo of Picture1 and the status bar they report on. A notice shows on the
// status bar for a while and then gives the panels back, so the completion
// text under it is not lost.
class MainPrintHost : public PrintHost
{
  public:
    MainPrintHost(CaseForm &form, QImage logo, QStatusBar *statusBar)
        : m_form(form), m_logo(std::move(logo)), m_statusBar(statusBar)
    {
    }

    QString fieldText(int index) const override;
    QString copiesText() const override;
    QString backCopiesText() const override;
    QString caseFactsText() const override;
    QImage logo() const override { return m_logo; }
    void setStatusText(const QString &text) override;
    void showNotice(const QString &text) override;

  private:
    CaseForm &m_form;
    QImage m_logo;
    QStatusBar *m_statusBar = nullptr;
};
