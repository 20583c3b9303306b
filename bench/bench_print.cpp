// Rendering cost of the two sides of the complaint form through the QPainter
// back end into a PDF printer, the work the steward waits for on each print,
// and the print preview of both sides from the command to its first page.
#include "commands/PrintPreviewDialog.h"
#include "print/BackSide.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormDocument.h"
#include "print/FormLogo.h"
#include "print/FrontSide.h"
#include "print/QPainterSurface.h"

#include <QApplication>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

// A full case facts box: 765 characters of sentences with two paragraph ends.
QString fullCaseFacts()
{
    const QString sentence = QStringLiteral(
        "The grievant was sent home two hours early on the night shift without the notice "
        "the agreement requires. ");
    QString text;
    while (text.size() < 765) {
        text += sentence;
        if (text.size() > 250 && text.size() < 360)
            text += QStringLiteral("\r\n");
    }
    return text.left(765);
}

FrontSideData fullFrontSide()
{
    FrontSideData d;
    const char *values[FrontSideData::fieldCount] = {"Jordan Q. Example",
                                                     "Assembly",
                                                     "22:00",
                                                     "000123",
                                                     "555-0100",
                                                     "555-0199",
                                                     "1990-04-02",
                                                     "1995-06-12",
                                                     "Machinist A",
                                                     "12 Mill Road, Tarnvale",
                                                     "Sat, Sun",
                                                     "G-2026-07",
                                                     "000123",
                                                     "",
                                                     "",
                                                     "",
                                                     "2026-11-30",
                                                     "2026-11-28",
                                                     "R. Foreman",
                                                     "Make whole for lost hours",
                                                     "2026-11-27",
                                                     "Art. 12.3"};
    for (int i = 0; i < FrontSideData::fieldCount; ++i)
        d.fields[size_t(i)] = QString::fromUtf8(values[i]);
    d.caseFacts = fullCaseFacts();
    d.logo = formLogo();
    return d;
}

template <typename Draw> void renderToPdf(benchmark::State &state, Draw draw)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("side.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QPainterSurface surface(printer);
        surface.setScaleLeft(-560);
        draw(surface);
        if (!surface.endDoc())
            state.SkipWithError("the PDF could not be written");
    }
}

void BM_FrontSideToPdf(benchmark::State &state)
{
    const FrontSideData data = fullFrontSide();
    renderToPdf(state, [&](QPainterSurface &s) { drawFrontSide(s, data); });
}
BENCHMARK(BM_FrontSideToPdf)->Unit(benchmark::kMillisecond);

void BM_BackSideToPdf(benchmark::State &state)
{
    renderToPdf(state, [](QPainterSurface &s) { drawBackSide(s); });
}
BENCHMARK(BM_BackSideToPdf)->Unit(benchmark::kMillisecond);

// The dialog as the preview command opens it: laid out, shown, both sides
// drawn into it.
void BM_PreviewOfBothSidesOpened(benchmark::State &state)
{
    const FrontSideData data = fullFrontSide();
    const QPageLayout layout = DefaultPrinterProvider::filePageLayout();
    for (auto _ : state) {
        PrintPreviewDialog dialog(layout, [&](PrinterSurface &s) {
            drawForm(s, data, {true, true, true});
        });
        dialog.show();
        if (dialog.previewWidget()->pageCount() != 2)
            state.SkipWithError("the preview does not hold both sides");
    }
}
BENCHMARK(BM_PreviewOfBothSidesOpened)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
