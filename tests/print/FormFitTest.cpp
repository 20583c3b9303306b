// Everything the form draws lands inside the paper's printable area, read
// from the ink of the rendered pages: also a case facts line whose last word
// runs ten capitals past the rule, on A4 and on Letter, and a value typed
// longer than its underline.
#include "CupsJobs.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormDocument.h"
#include "print/FormLogo.h"
#include "print/QPainterSurface.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

constexpr double marginPt = 18;
constexpr int dpi = 150;

// A line of narrow letters whose closing space is the character that takes
// the line past the look-ahead's start (x = 9500): the ten capitals after
// it are then printed in one go, past the rule's end.
QString wideWord(const PrinterSurface &surface)
{
    QString lead;
    while (surface.measure(lead + QStringLiteral("i "), QStringLiteral("Arial"), 10, false) <= 9500)
        lead += QLatin1Char('i');
    return lead + QStringLiteral(" WWWWWWWWWW");
}

struct FitCase {
    const char *name;
    QPageSize::PageSizeId paper;
    const char *remedy; // a value printed on a row that runs to the form's edge
    bool continuation;
};

class FormFit : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(FormFit, EverythingDrawnLiesInsideThePrintableArea)
{
    const FitCase &c = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("form.pdf"));
    const QPageLayout layout(QPageSize(c.paper), QPageLayout::Portrait,
                             QMarginsF(marginPt, marginPt, marginPt, marginPt), QPageLayout::Point);
    QString error;
    auto surface = DefaultPrinterProvider::openPdfAt(file, layout, QStringLiteral("fit"), error);
    ASSERT_TRUE(surface) << error.toStdString();
    FrontSideData d;
    for (QString &f : d.fields)
        f = QStringLiteral("WWW");
    d.fields[CaseFields::RemedySought] = QString::fromUtf8(c.remedy);
    // More lines than the form has: the rest go on the continuation page.
    d.caseFacts = QStringList(14, wideWord(*surface)).join(QStringLiteral("\r\n"));
    d.logo = formLogo();
    drawForm(*surface, d, {true, c.continuation, true});
    ASSERT_TRUE(surface->endDoc()) << surface->lastError().toStdString();

    const QList<QImage> pages = pdfPages(file, dpi);
    ASSERT_EQ(pages.size(), c.continuation ? 3 : 2);
    const QRectF printable = layout.paintRect(QPageLayout::Point).adjusted(-0.5, -0.5, 0.5, 0.5);
    double widest = 0;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QRectF ink = inkBounds(pages[i], dpi);
        EXPECT_TRUE(printable.contains(ink))
            << "page " << i + 1 << ": ink from " << ink.left() << " to " << ink.right()
            << " pt, printable " << printable.left() << " to " << printable.right();
        widest = std::max(widest, ink.right());
    }
    // Scaled down only as far as needed: the farthest ink reaches the edge.
    EXPECT_GT(widest, printable.right() - 3);
}

INSTANTIATE_TEST_SUITE_P(
    Papers, FormFit,
    ::testing::Values(FitCase{"A4", QPageSize::A4, "Back pay", false},
                      FitCase{"Letter", QPageSize::Letter, "Back pay", false},
                      FitCase{"LetterWithContinuation", QPageSize::Letter, "Back pay", true},
                      FitCase{"A4LongValue", QPageSize::A4,
                              // The field's 100 characters.
                              "BACK PAY FOR EVERY SHIFT WORKED SINCE THE DAY THE SCHEDULE WAS "
                              "CHANGED WITHOUT NOTICE, AND ALL COSTS",
                              false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
