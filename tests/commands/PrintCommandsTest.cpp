// The File menu's print commands on the case session: the preview shows the
// pages exactly as they print, Save Form as PDF writes both sides into one
// file, and the case facts continue on a page of their own exactly when they
// overflow the form.
#include "commands/PrintCommands.h"
#include "commands/CommandFixture.h"
#include "commands/PrintPreviewDialog.h"
#include "commands/PrintSetupDialog.h"
#include "commands/PrintedCaseRecords.h"
#include "platform/TextBox.h"
#include "print/CupsJobs.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormLogo.h"
#include "print/PdfText.h"
#include "print/QtPrinting.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

constexpr int dpi = 144;

// The session over a fresh database holding one filled-in employee and
// complaint whose file number no other test's print-out carries, on the
// grievance page; dialogs are scripted.
struct PrintedCase {
    explicit PrintedCase(const char *tag,
                         const QString &caseFacts =
                             QStringLiteral("Sent home early without notice.\r\nSecond paragraph."))
        : number(insertPrintedCase(db, tag, caseFacts))
    {
        s.open(db.path());
        s.showPage(1);
        s.form.txtCopies->setText(QStringLiteral("1"));
    }

    // Print Setup, as the steward uses it: the printer (its name in the list)
    // and, when given, the paper (its name in the list).
    void chooseInPrintSetup(const QString &printer, const QString &paper = {})
    {
        dialogs.queueDialog([&](QDialog &dialog) {
            auto &setup = dynamic_cast<PrintSetupDialog &>(dialog);
            setup.printerBox()->setCurrentIndex(setup.printerBox()->findData(printer));
            if (!paper.isEmpty())
                setup.paperBox()->setCurrentIndex(setup.paperBox()->findText(paper));
            return int(QDialog::Accepted);
        });
        print.setup();
    }

    TempCaseDb db;
    QString number;
    ScriptedDialogs dialogs;
    CommandSession s;
    PrintCommands print{s.form, formLogo(), s.statusBar, &s.window};
};

// The pages the preview holds, rendered from its own scene, whose units are
// the preview printer's device pixels.
QList<QImage> previewPages(PrintPreviewDialog &dialog)
{
    QGraphicsView *view = dialog.previewWidget()->findChild<QGraphicsView *>();
    if (!view || !view->scene())
        return {};
    QList<QGraphicsItem *> items = view->scene()->items();
    std::sort(items.begin(), items.end(),
              [](auto *a, auto *b) { return a->scenePos().y() < b->scenePos().y(); });
    const double scale = double(dpi) / QPrinter(QPrinter::HighResolution).resolution();
    QList<QImage> pages;
    for (QGraphicsItem *item : std::as_const(items)) {
        // A page item's bounds hold the paper and a border for its shadow.
        const QRectF bounds = item->boundingRect();
        const double border = -bounds.left();
        const QRectF paper = item->mapRectToScene(
            QRectF(0, 0, bounds.width() - 2 * border, bounds.height() - 2 * border));
        QImage image(qRound(paper.width() * scale), qRound(paper.height() * scale),
                     QImage::Format_Grayscale8);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view->scene()->render(&painter, QRectF(image.rect()), paper);
        pages << image;
    }
    return pages;
}

// The share of pixels of `a` that no pixel of `b` within one pixel matches
// to a quarter of the gray scale: two renderers place an edge up to a pixel
// apart, while a page laid out differently moves whole texts and rules.
double unmatchedShare(const QImage &a, const QImage &b)
{
    const int w = std::min(a.width(), b.width());
    const int h = std::min(a.height(), b.height());
    qint64 unmatched = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int va = a.constScanLine(y)[x];
            bool matched = false;
            for (int ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1) && !matched; ++ny)
                for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1) && !matched; ++nx)
                    matched = std::abs(va - int(b.constScanLine(ny)[nx])) <= 64;
            unmatched += !matched;
        }
    }
    return double(unmatched) / (double(w) * h);
}

double differingShare(const QImage &a, const QImage &b)
{
    return std::max(unmatchedShare(a, b), unmatchedShare(b, a));
}

// Case facts of `lines` paragraphs, one ruled line each.
QString paragraphs(int lines)
{
    QStringList p;
    for (int i = 1; i <= lines; ++i)
        p << QStringLiteral("Paragraph %1 of the case facts.").arg(i);
    return p.join(QStringLiteral("\r\n"));
}

struct PreviewCase {
    const char *name;
    int paragraphs;
    int frontPages; // the front side and its continuation pages
};

class PreviewAndPrint : public ::testing::TestWithParam<PreviewCase>
{
};

// On A4, where the page is scaled to fit, so that a preview that laid its
// pages out otherwise than the printer would show.
TEST_P(PreviewAndPrint, PreviewPagesEqualThePrintedPages)
{
    const PreviewCase &c = GetParam();
    if (!isCupsPdfQueue(QStringLiteral("Quillmark-A4")))
        GTEST_SKIP() << "no cups-pdf queue Quillmark-A4; scripts/start-cups.sh sets one up";
    PrintedCase printed("PREVIEW", paragraphs(c.paragraphs));
    printed.chooseInPrintSetup(QStringLiteral("Quillmark-A4"));

    QList<QImage> preview;
    QString pageText;
    printed.dialogs.queueDialog([&](QDialog &dialog) {
        auto &p = dynamic_cast<PrintPreviewDialog &>(dialog);
        p.show();
        preview = previewPages(p);
        pageText = p.pageText();
        p.printAction()->trigger();
        return p.result();
    });
    printed.print.preview();
    EXPECT_EQ(pageText, QStringLiteral("Page 1 of %1").arg(c.frontPages + 1));
    ASSERT_EQ(preview.size(), c.frontPages + 1);

    // Printing from the preview printed both sides, the front asking about
    // the case facts only when they overflow.
    int overflowQuestions = 0;
    for (const auto &m : printed.dialogs.messages())
        overflowQuestions += m.title == QStringLiteral("Case Facts");
    EXPECT_EQ(overflowQuestions, c.frontPages > 1 ? 1 : 0);
    const PrintedJob front = waitForJob(cupsPdfFolder(), "Front_side_-_" + printed.number);
    const PrintedJob back = waitForJob(cupsPdfFolder(), "Back_side_-_" + printed.number);
    ASSERT_FALSE(front.file.isEmpty());
    ASSERT_FALSE(back.file.isEmpty());
    const QList<QImage> paper = pdfPages(front.file, dpi) + pdfPages(back.file, dpi);
    ASSERT_EQ(paper.size(), preview.size());
    for (qsizetype i = 0; i < paper.size(); ++i) {
        EXPECT_NEAR(preview[i].width(), paper[i].width(), 1) << "page " << i + 1;
        EXPECT_NEAR(preview[i].height(), paper[i].height(), 1) << "page " << i + 1;
        // Matching pages leave about 0.05 % unmatched; a page scaled 0.8 %
        // otherwise leaves 2 to 4 %.
        EXPECT_LT(differingShare(preview[i], paper[i]), 0.002) << "page " << i + 1;
        // The measure tells pages apart: each differs from the next one.
        if (i + 1 < paper.size()) {
            EXPECT_GT(differingShare(preview[i], paper[i + 1]), 0.01) << "page " << i + 1;
        }
    }
    if (c.frontPages > 1) {
        const QList<QList<PdfWord>> words = pdfWords(front.file);
        ASSERT_EQ(words.size(), 2);
        QList<Anchor> continued = {{"Case", Place::Below},
                                   {"(continued)", Place::RightOnSameLine},
                                   {"Pat", Place::Below},
                                   {printed.number, Place::RightOnSameLine}};
        for (int k = 12; k <= c.paragraphs; ++k)
            continued << Anchor{"Paragraph", Place::Below}
                      << Anchor{QString::number(k), Place::RightOnSameLine};
        EXPECT_TRUE(missingInOrder(words[1], continued).isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Facts, PreviewAndPrint,
                         ::testing::Values(PreviewCase{"FitTheForm", 11, 1},
                                           PreviewCase{"Overflow", 13, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SaveFormAsPdf, WritesBothSidesIntoTheFileTheStewardNames)
{
    QTemporaryDir dir;
    PrintedCase printed("SAVE");
    const QString path = dir.filePath(QStringLiteral("Pat Doe complaint"));
    printed.dialogs.queueSaveFileName(path);
    printed.print.savePdf();

    ASSERT_EQ(printed.dialogs.fileDialogs().size(), 1);
    EXPECT_TRUE(printed.dialogs.fileDialogs()[0].prompt.endsWith(
        QStringLiteral("/Complaint form - ") + printed.number + QStringLiteral(".pdf")));
    EXPECT_TRUE(printed.dialogs.messages().isEmpty());
    const QString file = path + QStringLiteral(".pdf");
    EXPECT_EQ(printed.s.status(),
              QStringLiteral("The form for: Pat Doe was saved as a PDF: ") + file);
    const QList<QList<PdfWord>> pages = pdfWords(file);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(
        missingInOrder(pages[0], {{"First", Place::Below}, {"TVF", Place::Below}}).isEmpty());
    EXPECT_TRUE(missingInOrder(pages[1], {{"PART", Place::Below}, {"II", Place::RightOnSameLine}})
                    .isEmpty());

    // Cancelled: nothing is written, nothing is said.
    printed.dialogs.clear();
    printed.print.savePdf();
    EXPECT_TRUE(printed.dialogs.messages().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QFileInfo(file).fileName()}));
    // Its folder is the steward's alone. The same name typed again: the
    // file it becomes is replaced only on Yes; No goes back to the dialog.
    EXPECT_EQ(QFileInfo(DefaultPrinterProvider::pdfFolder()).permissions(),
              QFileDevice::Permissions(0x7700)); // rwx------
    for (const Dialogs::Answer answer : {Dialogs::Answer::No, Dialogs::Answer::Yes}) {
        QFile::resize(file, 0);
        printed.dialogs.clear();
        printed.dialogs.queueSaveFileName(path);
        printed.dialogs.queueAnswer(answer);
        printed.print.savePdf();
        ASSERT_EQ(printed.dialogs.messages().size(), 1);
        EXPECT_EQ(printed.dialogs.messages()[0].prompt,
                  "Pat Doe complaint.pdf already exists.\nDo you want to replace it?");
        EXPECT_EQ(printed.dialogs.fileDialogs().size(), answer == Dialogs::Answer::Yes ? 1 : 2);
        EXPECT_EQ(QFileInfo(file).size() > 0, answer == Dialogs::Answer::Yes);
    }
}

} // namespace
