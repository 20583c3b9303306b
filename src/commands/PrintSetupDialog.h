#pragma once

#include "print/DefaultPrinterProvider.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPageSize>
#include <QStringList>

class QComboBox;

// What Print Setup offers, as the print system told it.
struct PrinterCatalog {
    QString systemDefault; // empty: there is none
    QStringList printers;
    QHash<QString, QList<QPageSize>> papers; // by printer, as far as asked
};

// Print Setup: the printer and paper the print commands use for the rest of
// this session. "System default printer" follows whatever the system calls
// its default; the program starts with it every time.
class PrintSetupDialog : public QDialog
{
    Q_OBJECT
  public:
    // The printers, and the papers of the one `current` names, asked on the
    // print system's thread; nothing when the steward stopped waiting.
    static std::optional<PrinterCatalog> lookUpPrinters(const PrinterChoice &current);

    PrintSetupDialog(const PrinterChoice &current, PrinterCatalog catalog,
                     QWidget *parent = nullptr);

    PrinterChoice choice() const;
    QComboBox *printerBox() const { return m_printers; }
    QComboBox *paperBox() const { return m_papers; }

  private:
    void fillPapers(const std::optional<QPageSize> &select);

    PrinterCatalog m_catalog;
    QComboBox *m_printers = nullptr;
    QComboBox *m_papers = nullptr;
    QList<QPageSize> m_paperSizes; // the paper box's items after the first
};
