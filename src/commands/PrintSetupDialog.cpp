#include "commands/PrintSetupDialog.h"

#include "print/PrintSystem.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPrinterInfo>

namespace
{

// Without any printer the pages become PDF files, on these papers.
const QPageSize::PageSizeId filePapers[] = {QPageSize::Letter, QPageSize::A4, QPageSize::Legal};

// Asks the print system: call it on the print system's thread.
QList<QPageSize> papersOf(const QString &printer)
{
    QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        info = QPrinterInfo::printerInfo(printer.section(QLatin1Char('/'), 0, 0));
    return info.supportedPageSizes();
}

} // namespace

std::optional<PrinterCatalog> PrintSetupDialog::lookUpPrinters(const PrinterChoice &current)
{
    return PrintSystem::ask<PrinterCatalog>([current](const std::atomic<bool> &) {
        PrinterCatalog c;
        c.systemDefault = QPrinterInfo::defaultPrinterName();
        c.printers = QPrinterInfo::availablePrinterNames();
        const QString shown = current.printer.isEmpty() ? c.systemDefault : current.printer;
        if (!shown.isEmpty())
            c.papers.insert(shown, papersOf(shown));
        return c;
    });
}

PrintSetupDialog::PrintSetupDialog(const PrinterChoice &current, PrinterCatalog catalog,
                                   QWidget *parent)
    : QDialog(parent), m_catalog(std::move(catalog))
{
    setObjectName(QStringLiteral("PrintSetup"));
    setWindowTitle(QStringLiteral("Print Setup"));

    m_printers = new QComboBox(this);
    m_printers->setObjectName(QStringLiteral("printer"));
    const QString &systemDefault = m_catalog.systemDefault;
    m_printers->addItem(systemDefault.isEmpty()
                            ? QStringLiteral("System default printer (none: pages are saved as "
                                             "PDF files)")
                            : QStringLiteral("System default printer (%1)").arg(systemDefault),
                        QString());
    for (const QString &name : std::as_const(m_catalog.printers))
        m_printers->addItem(name, name);
    const int selected = m_printers->findData(current.printer);
    m_printers->setCurrentIndex(qMax(0, selected));

    m_papers = new QComboBox(this);
    m_papers->setObjectName(QStringLiteral("paper"));
    fillPapers(current.paper);
    connect(m_printers, &QComboBox::currentIndexChanged, this,
            [this] { fillPapers(choice().paper); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Printer:"), m_printers);
    form->addRow(QStringLiteral("P&aper:"), m_papers);
    form->addRow(buttons);
}

// The papers the selected printer takes, the one selected before kept when
// this printer takes it too.
void PrintSetupDialog::fillPapers(const std::optional<QPageSize> &select)
{
    QString printer = m_printers->currentData().toString();
    if (printer.isEmpty())
        printer = m_catalog.systemDefault;
    m_paperSizes.clear();
    if (printer.isEmpty()) {
        for (const QPageSize::PageSizeId id : filePapers)
            m_paperSizes.append(QPageSize(id));
    } else if (const auto known = m_catalog.papers.constFind(printer);
               known != m_catalog.papers.constEnd()) {
        m_paperSizes = *known;
    } else {
        // Stopped waiting: only the printer's own paper is offered.
        const std::optional<QList<QPageSize>> asked = PrintSystem::ask<QList<QPageSize>>(
            [printer](const std::atomic<bool> &) { return papersOf(printer); });
        if (asked) {
            m_paperSizes = *asked;
            m_catalog.papers.insert(printer, *asked);
        }
    }
    const QSignalBlocker quiet(m_papers);
    m_papers->clear();
    m_papers->addItem(printer.isEmpty() ? QStringLiteral("The form's own paper (Letter)")
                                        : QStringLiteral("The printer's own paper"));
    int selected = 0;
    for (qsizetype i = 0; i < m_paperSizes.size(); ++i) {
        m_papers->addItem(m_paperSizes.at(i).name());
        if (select && m_paperSizes.at(i).isEquivalentTo(*select))
            selected = int(i + 1);
    }
    m_papers->setCurrentIndex(selected);
}

PrinterChoice PrintSetupDialog::choice() const
{
    PrinterChoice c;
    c.printer = m_printers->currentData().toString();
    const int paper = m_papers->currentIndex();
    if (paper >= 1 && paper <= m_paperSizes.size())
        c.paper = m_paperSizes.at(paper - 1);
    return c;
}
