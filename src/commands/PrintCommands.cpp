#include "commands/PrintCommands.h"

#include "commands/MainPrintHost.h"
#include "commands/PrintPreviewDialog.h"
#include "commands/PrintSetupDialog.h"
#include "platform/Dialogs.h"
#include "print/DefaultPrinterProvider.h"

#include <QPrinter>

PrintCommands::PrintCommands(CaseForm &form, QImage logo, QStatusBar *statusBar, QWidget *parent)
    : m_parent(parent), m_defaultPrinters(std::make_unique<DefaultPrinterProvider>()),
      m_printers(m_defaultPrinters.get()),
      m_host(std::make_unique<MainPrintHost>(form, std::move(logo), statusBar))
{
}

PrintCommands::~PrintCommands() = default;

void PrintCommands::setPrinterProvider(PrinterProvider *printers)
{
    m_printers = printers ? printers : m_defaultPrinters.get();
}

QPageLayout PrintCommands::filePageLayout() const
{
    return DefaultPrinterProvider::filePageLayout(m_defaultPrinters->choice().paper);
}

void PrintCommands::printFront()
{
    runFrontSideJob(*m_host, *m_printers);
}

void PrintCommands::printBack()
{
    runBackSideJob(*m_host, *m_printers);
}

void PrintCommands::preview()
{
    // Nothing to show when the steward stopped waiting for the print system.
    std::unique_ptr<QPrinter> printer = m_defaultPrinters->previewPrinter();
    if (!printer)
        return;
    // Printing from the preview prints both sides, as their two commands do.
    showPrintPreview(
        *m_host, std::move(printer),
        [this] {
            if (runFrontSideJob(*m_host, *m_printers))
                runBackSideJob(*m_host, *m_printers);
        },
        m_parent);
}

void PrintCommands::savePdf()
{
    runSaveFormJob(*m_host, filePageLayout());
}

void PrintCommands::setup()
{
    std::optional<PrinterCatalog> printers =
        PrintSetupDialog::lookUpPrinters(m_defaultPrinters->choice());
    if (!printers)
        return;
    PrintSetupDialog dialog(m_defaultPrinters->choice(), std::move(*printers), m_parent);
    if (Dialogs::instance().exec(dialog) == QDialog::Accepted)
        m_defaultPrinters->setChoice(dialog.choice());
}
