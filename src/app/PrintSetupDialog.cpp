#include "app/PrintSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPrinterInfo>

namespace
{

// Without any printer the pages become PDF files, on these papers.
const QPageSize::PageSizeId filePapers[] = {QPageSize::Letter, QPageSize::A4, QPageSize::Legal};

} // namespace

PrintSetupDialog::PrintSetupDialog(const PrinterChoice &current, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintSetup"));
    setWindowTitle(QStringLiteral("Print Setup"));

    m_printers = new QComboBox(this);
    m_printers->setObjectName(QStringLiteral("printer"));
    const QString systemDefault = QPrinterInfo::defaultPrinterName();
    m_printers->addItem(systemDefault.isEmpty()
                            ? QStringLiteral("System default printer (none: pages are saved as "
                                             "PDF files)")
                            : QStringLiteral("System default printer (%1)").arg(systemDefault),
                        QString());
    for (const QString &name : QPrinterInfo::availablePrinterNames())
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
        printer = QPrinterInfo::defaultPrinterName();
    m_paperSizes.clear();
    if (printer.isEmpty()) {
        for (const QPageSize::PageSizeId id : filePapers)
            m_paperSizes.append(QPageSize(id));
    } else {
        QPrinterInfo info = QPrinterInfo::printerInfo(printer);
        if (info.isNull())
            info = QPrinterInfo::printerInfo(printer.section(QLatin1Char('/'), 0, 0));
        m_paperSizes = info.supportedPageSizes();
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
