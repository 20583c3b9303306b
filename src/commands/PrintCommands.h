#pragma once

#include <QImage>
#include <QPageLayout>
#include <memory>

struct CaseForm;
class DefaultPrinterProvider;
class MainPrintHost;
class PrinterProvider;
class QStatusBar;
class QWidget;

// The File menu's print commands on the complaint the window shows: either
// side on the printer, Print Preview, Save as PDF and Print Setup. The
// printer is the system's default one (as Print Setup chose it) unless
// another provider is given.
class PrintCommands
{
  public:
    PrintCommands(CaseForm &form, QImage logo, QStatusBar *statusBar, QWidget *parent);
    ~PrintCommands();

    // Prints on `printers` from now on (null: the system's default printer
    // again). The commands do not own it.
    void setPrinterProvider(PrinterProvider *printers);
    PrinterProvider *printers() const { return m_printers; }
    // The page a PDF is laid out on: the chosen paper.
    QPageLayout filePageLayout() const;

    void printFront();
    void printBack();
    void preview();
    void savePdf();
    void setup();

  private:
    QWidget *m_parent;
    std::unique_ptr<DefaultPrinterProvider> m_defaultPrinters;
    PrinterProvider *m_printers = nullptr;
    std::unique_ptr<MainPrintHost> m_host;
};
