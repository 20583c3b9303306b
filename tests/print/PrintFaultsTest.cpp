// Printing, round three: everything drawn lies inside the printable area
// (read from the rendered ink), and a PDF counts as written only when whole
// to its end.
#include "CupsJobs.h"
#include "print/BackSide.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormDocument.h"
#include "print/FormLogo.h"
#include "print/PdfFileCheck.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

std::unique_ptr<PrinterSurface> pdfAt(const QString &path, QPageSize::PageSizeId paper)
{
    QString error;
    return DefaultPrinterProvider::openPdfAt(
        path, DefaultPrinterProvider::filePageLayout(QPageSize(paper)), "form", error);
}

QByteArray backSidePdf(const QString &path)
{
    const auto s = pdfAt(path, QPageSize::Letter);
    drawForm(*s, {}, {false, false, true});
    QFile file(path);
    return s->endDoc() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// With the continuation page or not.
class FormFit : public ::testing::TestWithParam<std::pair<QPageSize::PageSizeId, bool>>
{
};

TEST_P(FormFit, EverythingDrawnLiesInsideThePrintableArea)
{
    const auto [paper, continued] = GetParam();
    QTemporaryDir dir;
    const auto s = pdfAt(dir.filePath("form.pdf"), paper);
    // Narrow letters whose closing space passes x = 9500, where the
    // look-ahead prints the next word whole: ten capitals past the rule.
    QString wide;
    while (s->measure(wide + "i ", "Arial", 10, false) <= 9500)
        wide += QLatin1Char('i');
    FrontSideData d;
    d.fields.fill(QStringLiteral("WWW"));
    d.caseFacts = QStringList(14, wide + " WWWWWWWWWW").join("\r\n");
    d.logo = formLogo();
    drawForm(*s, d, {true, continued, true});
    ASSERT_TRUE(s->endDoc()) << s->lastError().toStdString();

    const QList<QImage> pages = pdfPages(dir.filePath("form.pdf"), 150);
    ASSERT_EQ(pages.size(), continued ? 3 : 2);
    const QRectF printable = DefaultPrinterProvider::filePageLayout(QPageSize(paper))
                                 .paintRect(QPageLayout::Point)
                                 .adjusted(-0.5, -0.5, 0.5, 0.5);
    double farthest = 0;
    for (const QImage &page : pages) {
        const QRectF ink = inkBounds(page, 150);
        EXPECT_TRUE(printable.contains(ink)) << ink.right() << " pt past " << printable.right();
        farthest = std::max(farthest, ink.right());
    }
    EXPECT_GT(farthest, printable.right() - 3) << "scaled down further than needed";
}

INSTANTIATE_TEST_SUITE_P(Papers, FormFit,
                         ::testing::Values(std::pair(QPageSize::A4, false),
                                           std::pair(QPageSize::Letter, false),
                                           std::pair(QPageSize::Letter, true)));

TEST(PdfFileCheck, OnlyAWholeFileCountsAsWritten)
{
    QTemporaryDir dir;
    const QByteArray pdf = backSidePdf(dir.filePath("whole.pdf"));
    const qsizetype end = pdf.lastIndexOf("%%EOF"), xref = pdf.lastIndexOf("startxref");
    ASSERT_TRUE(end > xref && xref > 0);
    const QByteArray offset = pdf.mid(xref + 10, pdf.indexOf('\n', xref + 10) - xref - 10);
    const struct {
        const char *name;
        QByteArray bytes;
        bool whole;
    } files[] = {
        {"whole", pdf + "\r\n", true},
        {"cut before %%EOF", pdf.left(end), false},
        {"%%EOF without its offset", pdf.left(xref) + "%%EOF\n", false},
        {"offset beside the table",
         pdf.left(xref + 10) + QByteArray::number(offset.toLongLong() + 1) + "\n%%EOF\n", false},
        {"not a PDF", "%PDX-" + pdf.mid(5), false},
    };
    for (const auto &f : files) {
        QFile file(dir.filePath("checked.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(f.bytes);
        file.close();
        EXPECT_EQ(PdfFileCheck::incompleteReason(file.fileName()).isEmpty(), f.whole) << f.name;
    }
}

} // namespace
