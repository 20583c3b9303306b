#pragma once

#include "print/DefaultPrinterProvider.h"

#include <QDialog>
#include <QList>
#include <QPageSize>

class QComboBox;

// Print Setup: the printer and paper the print commands use for the rest of
// this session. "System default printer" follows whatever the system calls
// its default; the program starts with it every time.
class PrintSetupDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit PrintSetupDialog(const PrinterChoice &current, QWidget *parent = nullptr);

    PrinterChoice choice() const;
    QComboBox *printerBox() const { return m_printers; }
    QComboBox *paperBox() const { return m_papers; }

  private:
    void fillPapers(const std::optional<QPageSize> &select);

    QComboBox *m_printers = nullptr;
    QComboBox *m_papers = nullptr;
    QList<QPageSize> m_paperSizes; // the paper box's items after the first
};
