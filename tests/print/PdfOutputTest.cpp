#include "CupsJobs.h"
#include "PdfText.h"
#include "print/BackSide.h"
#include "print/CupsJobSurface.h"
#include "print/CupsQueue.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormLogo.h"
#include "print/FrontSide.h"
#include "print/QPainterSurface.h"

#include "QtPrinting.h"
#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace
{

// A quarter inch margin: the origin x = 0 lies 18 + 28 = 46 points from the
// paper's left edge, y = 0 at 18 points from its top.
constexpr double marginPt = 18;
constexpr double originXPt = marginPt + 560 / 20.0;

std::unique_ptr<QPrinter> letterPdf(const QString &file)
{
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                 QMarginsF(marginPt, marginPt, marginPt, marginPt),
                                 QPageLayout::Point));
    p->setOutputFileName(file);
    return p;
}

FrontSideData filledIn()
{
    FrontSideData d;
    const char *values[FrontSideData::fieldCount] = {
        "Jordan",    "Assembly",  "22:00",   "000123",  "555-0100", "555-0199", "1990", "1995",
        "Machinist", "Mill Road", "Sunday",  "G7",      "000123",   "",         "",     "",
        "Nov30",     "Nov28",     "Foreman", "Backpay", "Nov27",    "Art12"};
    for (int i = 0; i < FrontSideData::fieldCount; ++i)
        d.fields[size_t(i)] = QString::fromUtf8(values[i]);
    d.caseFacts = QStringLiteral("Sent home early without notice.\r\nSecond paragraph follows.");
    d.logo = formLogo();
    return d;
}

class PdfOutput : public ::testing::Test
{
  protected:
    QList<PdfWord> render(bool front)
    {
        const QString file = dir.filePath(front ? "front.pdf" : "back.pdf");
        QPainterSurface s(letterPdf(file));
        s.setScaleLeft(-560);
        front ? drawFrontSide(s, filledIn()) : drawBackSide(s);
        EXPECT_TRUE(s.endDoc()) << s.lastError().toStdString();
        const QList<QList<PdfWord>> pages = pdfWords(file);
        EXPECT_EQ(pages.size(), 1) << "one page";
        return pages.value(0);
    }

    QTemporaryDir dir;
};

TEST_F(PdfOutput, FrontSideTextsStandInTheirOrder)
{
    using P = Place;
    QList<PdfWord> found;
    const QStringList missing = missingInOrder(render(true),
                                               {{"First", P::Below},
                                                {"Step", P::RightOnSameLine},
                                                {"QWU", P::Below},
                                                {"INSTRUCTIONS", P::Below},
                                                {"This", P::Below},
                                                {"receive", P::Below},
                                                {"MUTUAL", P::Below},
                                                {"PART", P::Below},
                                                {"1", P::RightOnSameLine},
                                                {"Employee's:", P::Below},
                                                {"Name", P::Below},
                                                {"Jordan", P::RightOnSameLine},
                                                {"Dept.", P::RightOnSameLine},
                                                {"Assembly", P::RightOnSameLine},
                                                {"Shift", P::RightOnSameLine},
                                                {"22:00", P::RightOnSameLine},
                                                {"File", P::Below},
                                                {"000123", P::RightOnSameLine},
                                                {"Seniority", P::Below},
                                                {"CO:", P::RightOnSameLine},
                                                {"1990", P::RightOnSameLine},
                                                {"Cl:", P::RightOnSameLine},
                                                {"1995", P::RightOnSameLine},
                                                {"Address", P::Below},
                                                {"Complaint", P::Below},
                                                {"Applicable", P::Below},
                                                {"Art12", P::RightOnSameLine},
                                                {"Remedy", P::Below},
                                                {"Supervisor", P::Below},
                                                {"Foreman", P::RightOnSameLine},
                                                {"(date)", P::RightOnSameLine},
                                                {"Nov28", P::RightOnSameLine},
                                                {"Case", P::Below},
                                                {"papers", P::Below},
                                                {"Sent", P::Below},
                                                {"notice.", P::RightOnSameLine},
                                                {"Second", P::Below},
                                                {"follows.", P::RightOnSameLine},
                                                {"Steward's", P::Below},
                                                {"Employee's", P::RightOnSameLine},
                                                {"TVF", P::Below}},
                                               &found);
    EXPECT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
    ASSERT_GE(found.size(), 11);
    // Fixed points: the title at x = 5600, y = 200; the field rows at x = 0.
    EXPECT_NEAR(found[0].xMin, originXPt + 5600 / 20.0, 1.5);
    EXPECT_NEAR(found[0].yMin, marginPt + 200 / 20.0, 2.0);
    EXPECT_NEAR(found[10].xMin, originXPt, 1.5);
}

TEST_F(PdfOutput, BackSideTextsStandInTheirOrder)
{
    using P = Place;
    QList<PdfWord> found;
    const QStringList missing = missingInOrder(render(false),
                                               {{"PART", P::Below},
                                                {"II", P::RightOnSameLine},
                                                {"Supervisor", P::RightOnSameLine},
                                                {"Complaint", P::Below},
                                                {"Name", P::Below},
                                                {"Occured", P::Below},
                                                {"Received", P::Below},
                                                {"(name)", P::Below},
                                                {"(date)", P::RightOnSameLine},
                                                {"Case", P::Below},
                                                {"position)", P::RightOnSameLine},
                                                {"Answer:", P::Below},
                                                {"Supervisor's", P::Below},
                                                {"Date", P::RightOnSameLine}},
                                               &found);
    EXPECT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
    ASSERT_EQ(found.size(), 14);
    EXPECT_NEAR(found[0].xMin, originXPt, 1.5);
    EXPECT_NEAR(found.last().xMin, originXPt + 5256 / 20.0, 1.5);
}

TEST(QPainterSurfaceMetrics, ArialTenIsAboutTwoHundredTwentyFourTwipsHigh)
{
    QTemporaryDir dir;
    QPainterSurface s(letterPdf(dir.filePath("m.pdf")));
    EXPECT_TRUE(QPainterSurface::isArialCompatible(s.resolvedFamily()))
        << s.resolvedFamily().toStdString();
    s.print(QString(), false);
    EXPECT_NEAR(s.currentY(), 224, 3);
    s.print(QStringLiteral("MMMM"), true);
    // Arial's M is 0.833 em: 4 x 166.6 twips at 10 points.
    EXPECT_NEAR(s.currentX(), 4 * 166.6, 4);
}

TEST(QPainterSurfaceCopies, PdfFileHoldsOneCopy)
{
    QTemporaryDir dir;
    QPainterSurface s(letterPdf(dir.filePath("c.pdf")));
    EXPECT_FALSE(s.setCopies(2));
    EXPECT_TRUE(s.setCopies(1));
    EXPECT_EQ(s.copies(), 1);
}

TEST(QPainterSurfaceFailure, UnwritableFileIsReportedAtEndDoc)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString file = blocker.fileName() + "/side.pdf";
    QPainterSurface s(letterPdf(file));
    drawBackSide(s); // every drawing step fails and is skipped
    EXPECT_FALSE(s.endDoc());
    EXPECT_TRUE(s.lastError().contains(file)) << s.lastError().toStdString();
}

struct NameCase {
    const char *name;
    PrintSide side;
    const char *fileNumber;
    const char *expected;
};

class PdfFileName : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(PdfFileName, NamesSideNumberAndTimeSafely)
{
    const QDateTime when(QDate(2026, 12, 7), QTime(14, 5, 33));
    EXPECT_EQ(DefaultPrinterProvider::pdfFileName(GetParam().side,
                                                  QString::fromUtf8(GetParam().fileNumber), when),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, PdfFileName,
    ::testing::Values(
        NameCase{"Plain", PrintSide::Front, "000123",
                 "Front side - 000123 - 2026-12-07 14.05.33.pdf"},
        NameCase{"BackWithoutNumber", PrintSide::Back, "", "Back side - 2026-12-07 14.05.33.pdf"},
        NameCase{"BlanksOnly", PrintSide::Back, "   ", "Back side - 2026-12-07 14.05.33.pdf"},
        NameCase{"SlashesAddNoFolders", PrintSide::Front, "../../etc/passwd",
                 "Front side - _.._etc_passwd - 2026-12-07 14.05.33.pdf"},
        NameCase{"ReservedCharacters", PrintSide::Front, "a:b*c?\"d<e>f|g\\h",
                 "Front side - a_b_c__d_e_f_g_h - 2026-12-07 14.05.33.pdf"},
        NameCase{"LineBreaks", PrintSide::Front, "12\r\n34",
                 "Front side - 12__34 - 2026-12-07 14.05.33.pdf"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PdfFallback, WritesTheSideIntoTheFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("Documents/Quillmark Wizard");
    QString error;
    auto surface = DefaultPrinterProvider::openPdfFile(folder, PrintSide::Back, "000123", error);
    ASSERT_TRUE(surface) << error.toStdString();
    surface->setScaleLeft(-560);
    drawBackSide(*surface);
    ASSERT_TRUE(surface->endDoc()) << surface->lastError().toStdString();
    const QStringList files = QDir(folder).entryList({"Back side - 000123 - *.pdf"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QList<QList<PdfWord>> pages = pdfWords(folder + "/" + files[0]);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(
        missingInOrder(pages[0], {{"PART", Place::Below}, {"Answer:", Place::Below}}).isEmpty());
}

TEST(PdfFallback, FolderThatCannotBeMadeIsTheCause)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    QString error;
    EXPECT_FALSE(DefaultPrinterProvider::openPdfFile(blocker.fileName() + "/Quillmark Wizard",
                                                     PrintSide::Front, "1", error));
    EXPECT_TRUE(error.contains(blocker.fileName())) << error.toStdString();
}

TEST(CupsQueue, UnknownQueueIsRefusedWithTheCause)
{
    QTemporaryDir dir;
    QFile pdf(dir.filePath("x.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n%%EOF\n");
    pdf.close();
    const CupsQueue::Submission s = CupsQueue::submit(QStringLiteral("No-Such-Queue-For-Quillmark"),
                                                      pdf.fileName(), QStringLiteral("test"), 1);
    EXPECT_EQ(s.jobId, 0);
    EXPECT_FALSE(s.error.isEmpty());
}

TEST(FormLogo, IsAOneBitPictureOfTheFormsSize)
{
    const QImage logo = formLogo();
    EXPECT_EQ(logo.size(), QSize(422, 361));
    EXPECT_EQ(logo.depth(), 1);
    // Neither blank nor solid.
    int black = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            black += qGray(logo.pixel(x, y)) < 128;
    const double share = double(black) / (422 * 361);
    EXPECT_GT(share, 0.1);
    EXPECT_LT(share, 0.6);
}

// Characters outside the Basic Multilingual Plane reach the paper whole, with
// their real width: the case facts line sets the next word where Qt sets it
// when it draws the whole text at once (half characters measure as two
// replacement glyphs and push it far to the right).
TEST_F(PdfOutput, CaseFactsKeepCharactersBeyondTheBasicPlane)
{
    const QString text = QStringLiteral("Sum ") +
                         QString::fromUtf8("\xF0\x9D\x90\x80\xF0\x9D\x90\x81") + // U+1D400 U+1D401
                         QStringLiteral(" owed");
    const QString file = dir.filePath("plane.pdf");
    QPainterSurface s(letterPdf(file));
    s.setScaleLeft(-560);
    FrontSideData d = filledIn();
    d.caseFacts = text;
    drawFrontSide(s, d);
    s.newPage();
    s.setFontSize(10);
    s.setFontBold(false);
    s.print(text, false);
    ASSERT_TRUE(s.endDoc()) << s.lastError().toStdString();
    const QList<QList<PdfWord>> pages = pdfWords(file);
    ASSERT_EQ(pages.size(), 2);
    double offsets[2] = {};
    for (int page = 0; page < 2; ++page) {
        QList<PdfWord> found;
        ASSERT_TRUE(missingInOrder(pages[page],
                                   {{"Sum", Place::Below}, {"owed", Place::RightOnSameLine}},
                                   &found)
                        .isEmpty());
        offsets[page] = found[1].xMin - found[0].xMin;
    }
    EXPECT_NEAR(offsets[0], offsets[1], 1.0);
}

// A disk that fills while the document is written: Qt's PDF engine still
// reports success, so the file itself must show that it is not whole. The
// file size limit makes the writes fail as a full file system would, for any
// user and without a mount.
class FullDisk
{
  public:
    explicit FullDisk(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_before);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_before); }

  private:
    rlimit m_before{};
};

constexpr rlim_t roomForPartOfAPage = 8000;

TEST(PdfOnAFullDisk, IsNotHandedToThePrintSystem)
{
    const QString queue = QPrinterInfo::defaultPrinterName();
    if (queue.isEmpty() || !isCupsPdfQueue(queue))
        GTEST_SKIP() << "no cups-pdf default printer; scripts/start-cups.sh sets one up";
    auto folder = std::make_unique<QTemporaryDir>();
    const QString file = folder->filePath(QStringLiteral("document.pdf"));
    auto pdf = std::make_unique<QPdfWriter>(file);
    pdf->setPageLayout(letterPdf(file)->pageLayout());
    CupsJobSurface s(std::move(pdf), file, std::move(folder), queue, QStringLiteral("full disk"));
    s.setScaleLeft(-560);
    drawFrontSide(s, filledIn());
    bool delivered = true;
    {
        FullDisk full(roomForPartOfAPage);
        delivered = s.endDoc();
    }
    EXPECT_FALSE(delivered);
    EXPECT_EQ(s.jobId(), 0) << "a truncated document went to the print system";
    EXPECT_TRUE(s.lastError().contains(QStringLiteral("could not be written completely")))
        << s.lastError().toStdString();
}

TEST(PdfOnAFullDisk, LeavesTheFileItWouldReplaceAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Complaint form.pdf"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the steward's earlier form");
    old.close();
    QString error;
    auto s = DefaultPrinterProvider::openPdfAt(path, DefaultPrinterProvider::filePageLayout(),
                                               QStringLiteral("form"), error);
    ASSERT_TRUE(s) << error.toStdString();
    s->setScaleLeft(-560);
    drawFrontSide(*s, filledIn());
    bool saved = true;
    {
        FullDisk full(roomForPartOfAPage);
        saved = s->endDoc();
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(s->lastError().contains(path)) << s->lastError().toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("the steward's earlier form"));
    s.reset();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Complaint form.pdf"}))
        << "no part of the failed file is left";
}

// Without a printer a side takes its name at once with an empty file; one
// given up (Cancel at the case facts question) or not written takes it away.
TEST(PdfOnAFullDisk, OrGivenUpLeavesNoEmptyFileWithoutAPrinter)
{
    for (const bool fullDisk : {false, true}) {
        QTemporaryDir dir;
        QString error;
        auto s = DefaultPrinterProvider::openPdfFile(dir.path(), PrintSide::Front, "1", error);
        ASSERT_TRUE(s) << error.toStdString();
        drawFrontSide(*s, filledIn());
        if (fullDisk) {
            FullDisk full(roomForPartOfAPage);
            EXPECT_FALSE(s->endDoc());
        }
        s.reset();
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << fullDisk;
    }
}

} // namespace
