#pragma once

#include <QDialog>
#include <QPageLayout>
#include <QPrinter>
#include <functional>
#include <memory>

class PrintHost;
class PrinterSurface;
class QLabel;
class QPrintPreviewWidget;

// Print Preview: the pages of the complaint form as they will print, drawn
// by the same render function as the printed ones on a page laid out like
// the printer's, with zoom, paging and printing from there: the dialog is
// accepted when the steward chooses Print.
class PrintPreviewDialog : public QDialog
{
    Q_OBJECT
  public:
    using Render = std::function<void(PrinterSurface &)>;

    // `printer` only lays the pages out; it never prints. Made for a
    // printer, a QPrinter asks the print system about it: make it on the
    // print system's thread (DefaultPrinterProvider::previewPrinter).
    PrintPreviewDialog(std::unique_ptr<QPrinter> printer, Render render, QWidget *parent = nullptr);
    // On a PDF printer laid out as `layout`.
    PrintPreviewDialog(const QPageLayout &layout, Render render, QWidget *parent = nullptr);

    QPrintPreviewWidget *previewWidget() const { return m_preview; }
    QAction *printAction() const { return m_printAction; }
    QString pageText() const;

  private:
    void updatePageText();

    std::unique_ptr<QPrinter> m_printer;
    Render m_render;
    QPrintPreviewWidget *m_preview = nullptr;
    QLabel *m_page = nullptr;
    QAction *m_printAction = nullptr;
};

// mnuFilePrintPreview_Click: both sides of the current complaint, with the
// continuation page the case facts may need, laid out by `printer`; `print`
// runs when the steward prints from the preview, once it has closed.
void showPrintPreview(PrintHost &host, std::unique_ptr<QPrinter> printer,
                      std::function<void()> print, QWidget *parent);
