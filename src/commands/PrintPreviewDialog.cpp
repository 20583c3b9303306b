#include "commands/PrintPreviewDialog.h"

#include "platform/Dialogs.h"
#include "print/PrintJobs.h"
#include "print/QPainterSurface.h"

#include <QAction>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace
{

struct Command {
    const char *text;
    QKeySequence::StandardKey key;
};

// The toolbar, in order; the page label stands after the paging commands.
enum CommandId { Print, ZoomIn, ZoomOut, FitWidth, FitPage, Previous, Next, Close };
const Command commands[] = {
    {"Print", QKeySequence::Print},
    {"Zoom In", QKeySequence::ZoomIn},
    {"Zoom Out", QKeySequence::ZoomOut},
    {"Fit Width", QKeySequence::UnknownKey},
    {"Fit Page", QKeySequence::UnknownKey},
    {"Previous Page", QKeySequence::MoveToPreviousPage},
    {"Next Page", QKeySequence::MoveToNextPage},
    {"Close", QKeySequence::Close},
};

// The preview takes most of the screen's height.
constexpr double screenShare = 0.85;

// The preview printer only lays the pages out; it never prints, so a PDF
// printer with the target's paper and margins measures exactly as the
// print job's does.
std::unique_ptr<QPrinter> pdfPrinter(const QPageLayout &layout)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageLayout(layout);
    return printer;
}
} // namespace

PrintPreviewDialog::PrintPreviewDialog(const QPageLayout &layout, Render render, QWidget *parent)
    : PrintPreviewDialog(pdfPrinter(layout), std::move(render), parent)
{
}

PrintPreviewDialog::PrintPreviewDialog(std::unique_ptr<QPrinter> printer, Render render,
                                       QWidget *parent)
    : QDialog(parent), m_printer(std::move(printer)), m_render(std::move(render))
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));

    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setZoomMode(QPrintPreviewWidget::FitInView);
    // The form's rules are half a point thick, thinner than a screen pixel
    // at most zooms: drawn without antialiasing they vanish from the page.
    if (auto *view = m_preview->findChild<QGraphicsView *>())
        view->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                             QPainter::TextAntialiasing);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) {
        QPainterSurface surface(*printer);
        m_render(surface);
        surface.endDoc();
    });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this,
            &PrintPreviewDialog::updatePageText);

    auto *bar = new QToolBar(this);
    QAction *actions[std::size(commands)] = {};
    for (size_t i = 0; i < std::size(commands); ++i) {
        actions[i] = bar->addAction(QString::fromLatin1(commands[i].text));
        actions[i]->setShortcut(QKeySequence(commands[i].key));
        if (i == Previous || i == Close)
            bar->addSeparator();
        if (i == Next) {
            m_page = new QLabel(this);
            m_page->setContentsMargins(8, 0, 8, 0);
            bar->addWidget(m_page);
        }
    }
    m_printAction = actions[Print];
    connect(actions[Print], &QAction::triggered, this, &QDialog::accept);
    connect(actions[ZoomIn], &QAction::triggered, m_preview, [this] { m_preview->zoomIn(); });
    connect(actions[ZoomOut], &QAction::triggered, m_preview, [this] { m_preview->zoomOut(); });
    connect(actions[FitWidth], &QAction::triggered, m_preview, &QPrintPreviewWidget::fitToWidth);
    connect(actions[FitPage], &QAction::triggered, m_preview, &QPrintPreviewWidget::fitInView);
    connect(actions[Previous], &QAction::triggered, m_preview, [this] {
        m_preview->setCurrentPage(m_preview->currentPage() - 1);
        updatePageText();
    });
    connect(actions[Next], &QAction::triggered, m_preview, [this] {
        m_preview->setCurrentPage(m_preview->currentPage() + 1);
        updatePageText();
    });
    connect(actions[Close], &QAction::triggered, this, &QDialog::reject);

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(bar);
    box->addWidget(m_preview, 1);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const int height = int(screen->availableGeometry().height() * screenShare);
        resize(int(height * 0.8), height);
    }
}

QString PrintPreviewDialog::pageText() const
{
    return m_page->text();
}

void PrintPreviewDialog::updatePageText()
{
    m_page->setText(
        QStringLiteral("Page %1 of %2").arg(m_preview->currentPage()).arg(m_preview->pageCount()));
}

void showPrintPreview(PrintHost &host, std::unique_ptr<QPrinter> printer,
                      std::function<void()> print, QWidget *parent)
{
    PrintPreviewDialog dialog(
        std::move(printer), [&host](PrinterSurface &surface) { drawPreview(surface, host); },
        parent);
    const bool printing = Dialogs::instance().exec(dialog) == QDialog::Accepted;
    tellFontWarningOnce(host);
    // The preview is closed by now: the print job may ask its questions.
    if (printing && print)
        print();
}
