// Both print jobs through the real default printer: CUPS with a cups-pdf
// queue (scripts/start-cups.sh sets one up), read back from the PDFs that
// cups-pdf writes.
#include "PrintedCase.h"
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "platform/TextBox.h"
#include "print/CupsJobs.h"
#include "print/DefaultPrinterProvider.h"
#include "print/PdfText.h"
#include "print/PrintJobs.h"
#include "records/CaseSchema.h"
#include "support/CaseFixture.h"
#include "support/FakeMainWindow.h"
#include "support/MainWindowParts.h"
#include "support/ScriptedDialogs.h"
#include <QAction>
#include <QPushButton>

#include "print/QtPrinting.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

// Rows of labelled fields and writing rows lie 210 + 30 twips plus one line
// of Arial 10 apart.
double rowDistance(double lineHeightPt)
{
    return (210 + 30) / 20.0 + lineHeightPt;
}

TEST(CupsEndToEnd, BothSidesReachTheDefaultPrinterWithTheirCopies)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        GTEST_SKIP() << "no CUPS default printer; scripts/start-cups.sh sets one up";
    if (!isCupsPdfQueue(printer.printerName()))
        GTEST_SKIP()
            << "the default printer is not a cups-pdf queue; this test would print on paper";

    // The real main window over a database holding one filled-in employee
    // and complaint; the print commands run exactly as the steward clicks them.
    TempCaseDb db;
    const QString number = QStringLiteral("E2E%1x%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    QVariantMap employee, complaint;
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i) {
        const auto f = CaseFields::Field(i);
        if (f == CaseFields::GrievanceNumber)
            continue;
        (CaseFields::paneOf(f) == CaseFields::EmployeePane ? employee : complaint)
            .insert(QString::fromUtf8(CaseSchema::fieldName(f)), QStringLiteral("F%1").arg(i));
    }
    employee.insert(QStringLiteral("Name"), QStringLiteral("Pat Doe"));
    employee.insert(QStringLiteral("File Number"), number);
    complaint.insert(QStringLiteral("File Number"), number);
    complaint.insert(QStringLiteral("Case Facts1"),
                     QStringLiteral("Sent home early without notice.\r\nSecond paragraph."));
    complaint.remove(QStringLiteral("Case Facts2"));
    complaint.remove(QStringLiteral("Case Facts3"));
    db.insert(QStringLiteral("Employee"), employee);
    db.insert(QStringLiteral("Complaints"), complaint);

    ScriptedDialogs dialogs;
    frmMain window;
    window.Form_Load(db.path());
    window.show();
    windowTabs(window)->setCurrentIndex(1);
    windowBox(window, "txtCopies")->setText(QStringLiteral("2"));
    windowBox(window, "txtBackCopies")->setText(QStringLiteral("3"));
    QTest::mouseClick(windowButton(window, "cmdPrintGrievance"), Qt::LeftButton);
    windowAction(window, "mnuPrintBack")->trigger();
    for (const auto &m : dialogs.messages())
        ADD_FAILURE() << "message: " << m.prompt.toStdString();
    EXPECT_EQ(windowStatusBar(window)->panelText(1),
              QStringLiteral("2 Copies of grievance for: Pat Doe were sent to the printer."));

    const QString folder = cupsPdfFolder();
    const PrintedJob front = waitForJob(folder, QStringLiteral("Front_side_-_") + number);
    const PrintedJob back = waitForJob(folder, QStringLiteral("Back_side_-_") + number);
    ASSERT_FALSE(front.file.isEmpty()) << "no PDF for the front side in " << folder.toStdString();
    ASSERT_FALSE(back.file.isEmpty()) << "no PDF for the back side in " << folder.toStdString();
    EXPECT_EQ(front.attributes.value(QStringLiteral("job-state")), QStringLiteral("completed"));
    EXPECT_EQ(front.attributes.value(QStringLiteral("copies")), QStringLiteral("2"));
    EXPECT_EQ(back.attributes.value(QStringLiteral("copies")), QStringLiteral("3"));

    using P = Place;
    const QList<QList<PdfWord>> backPages = pdfWords(back.file);
    ASSERT_EQ(backPages.size(), 1);
    QList<PdfWord> b;
    const QStringList backMissing = missingInOrder(backPages[0],
                                                   {{"PART", P::Below},
                                                    {"II", P::RightOnSameLine},
                                                    {"Complaint", P::Below},
                                                    {"Name", P::Below},
                                                    {"Occured", P::Below},
                                                    {"Received", P::Below},
                                                    {"(name)", P::Below},
                                                    {"(date)", P::RightOnSameLine},
                                                    {"Case", P::Below},
                                                    {"Answer:", P::Below},
                                                    {"Supervisor's", P::Below},
                                                    {"Date", P::RightOnSameLine}},
                                                   &b);
    EXPECT_TRUE(backMissing.isEmpty()) << backMissing.join(", ").toStdString();
    // "PART II" stands two lines of Arial 10 above "Complaint Information".
    const double lineHeight = b.size() == 12 ? (b[2].yMin - b[0].yMin) / 2 : 0;
    if (b.size() == 12) {
        EXPECT_NEAR(lineHeight, 224 / 20.0, 0.5) << "Arial 10 line height";
        EXPECT_NEAR(b[0].xMin, b[3].xMin, 1.0) << "headings and rows start at x 0";
        EXPECT_NEAR(b[4].yMin - b[3].yMin, rowDistance(lineHeight), 1.5) << "row gap";
        EXPECT_NEAR(b[11].xMin - b[10].xMin, 5256 / 20.0, 1.5) << "date caption at x 5256";
    }

    const QList<QList<PdfWord>> frontPages = pdfWords(front.file);
    ASSERT_EQ(frontPages.size(), 1);
    QList<PdfWord> f;
    const QStringList frontMissing = missingInOrder(frontPages[0],
                                                    {{"First", P::Below},
                                                     {"QWU", P::Below},
                                                     {"INSTRUCTIONS", P::Below},
                                                     {"MUTUAL", P::Below},
                                                     {"PART", P::Below},
                                                     {"Name", P::Below},
                                                     {"Pat", P::RightOnSameLine},
                                                     {"File", P::Below},
                                                     {"Complaint", P::Below},
                                                     {"Case", P::Below},
                                                     {"Sent", P::Below},
                                                     {"notice.", P::RightOnSameLine},
                                                     {"Second", P::Below},
                                                     {"Steward's", P::Below},
                                                     {"TVF", P::Below}},
                                                    &f);
    EXPECT_TRUE(frontMissing.isEmpty()) << frontMissing.join(", ").toStdString();
    if (f.size() == 15) {
        EXPECT_NEAR(f[0].xMin - f[5].xMin, 5600 / 20.0, 1.5) << "title at x 5600";
        EXPECT_NEAR(f[1].xMin, f[0].xMin, 1.0) << "both title lines at x 5600";
        EXPECT_NEAR(f[7].yMin - f[5].yMin, rowDistance(lineHeight), 1.5) << "row gap";
    }
}

// The steward's default printer is an instance of a queue, set with
// `lpoptions -d PDF/quillmark`: the job goes to the queue, with the options
// saved for the instance. The instance is this test process's own, in its
// private home, so the system's default printer stays as it is for every
// other test.
TEST(CupsEndToEnd, DefaultPrinterThatIsAnInstancePrintsWithItsOptions)
{
    if (!isCupsPdfQueue(QStringLiteral("PDF")))
        GTEST_SKIP() << "no cups-pdf queue \"PDF\"; scripts/start-cups.sh sets one up";
    const QString folder = QDir::homePath() + QStringLiteral("/.cups");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile lpoptions(folder + QStringLiteral("/lpoptions"));
    ASSERT_TRUE(lpoptions.open(QIODevice::WriteOnly));
    lpoptions.write("Dest PDF/quillmark job-priority=77\nDefault PDF/quillmark\n");
    lpoptions.close();
    struct Remove {
        QFile &file;
        ~Remove() { file.remove(); }
    } remove{lpoptions};
    ASSERT_EQ(QPrinterInfo::defaultPrinterName(), QStringLiteral("PDF/quillmark"));

    ScriptedDialogs dialogs;
    FakeMainWindow host;
    host.fields[3] = QStringLiteral("INST%1x%2")
                         .arg(QCoreApplication::applicationPid())
                         .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    DefaultPrinterProvider printers;
    const bool sent = runBackSideJob(host, printers);
    for (const auto &m : dialogs.messages())
        ADD_FAILURE() << "message: " << m.prompt.toStdString();
    ASSERT_TRUE(sent);
    const PrintedJob job =
        waitForJob(cupsPdfFolder(), QStringLiteral("Back_side_-_") + host.fields[3]);
    ASSERT_FALSE(job.file.isEmpty()) << "no PDF of the job in " << cupsPdfFolder().toStdString();
    EXPECT_EQ(job.attributes.value(QStringLiteral("job-priority")), QStringLiteral("77"));
    EXPECT_TRUE(job.attributes.value(QStringLiteral("job-printer-uri"))
                    .endsWith(QLatin1String("/printers/PDF")));
}

// Office printers cannot reach the paper's last quarter inch. The form was
// laid out for Letter, where it fits exactly; A4 is narrower, and there the
// whole page is scaled down to fit, never cut. Both sides, through the
// printer and paper chosen in Print Setup.
struct PaperCase {
    const char *name;
    const char *queue;
    const char *paper; // empty: the queue's own
    QSizeF page;       // points
    bool exact;        // drawn at full size
};

class OfficePaper : public ::testing::TestWithParam<PaperCase>
{
};

TEST_P(OfficePaper, HoldsTheWholeFormWithinThePrintableArea)
{
    const PaperCase &c = GetParam();
    if (!isCupsPdfQueue(QString::fromLatin1(c.queue)))
        GTEST_SKIP() << "no cups-pdf queue " << c.queue << "; scripts/start-cups.sh sets one up";
    PrintedCase printed("PAPER");
    printed.chooseInPrintSetup(QString::fromLatin1(c.queue), QString::fromLatin1(c.paper));
    QTest::mouseClick(windowButton(*printed.window, "cmdPrintGrievance"), Qt::LeftButton);
    windowAction(*printed.window, "mnuPrintBack")->trigger();
    for (const auto &m : printed.dialogs.messages())
        ADD_FAILURE() << "message: " << m.prompt.toStdString();

    constexpr int dpi = 144;
    constexpr double marginPt = 18;
    // The instructions box spans x 0 to 10720 on the front, the bars 0 to
    // 10680 on the back; x 0 lies 560 twips right of the printable edge.
    const double formWidthPt[] = {10720 / 20.0, 10680 / 20.0};
    const char *titles[] = {"Front_side_-_", "Back_side_-_"};
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(titles[side]);
        const PrintedJob job =
            waitForJob(cupsPdfFolder(), QString::fromLatin1(titles[side]) + printed.number);
        ASSERT_FALSE(job.file.isEmpty());
        EXPECT_EQ(job.attributes.value(QStringLiteral("job-printer-uri")).section('/', -1),
                  QString::fromLatin1(c.queue));
        const QList<QImage> pages = pdfPages(job.file, dpi);
        ASSERT_EQ(pages.size(), 1);
        EXPECT_NEAR(pages[0].width() * 72.0 / dpi, c.page.width(), 1);
        EXPECT_NEAR(pages[0].height() * 72.0 / dpi, c.page.height(), 1);
        const QRectF printable(marginPt, marginPt, c.page.width() - 2 * marginPt,
                               c.page.height() - 2 * marginPt);
        const QRectF ink = inkBounds(pages[0], dpi);
        EXPECT_TRUE(printable.adjusted(-0.5, -0.5, 0.5, 0.5).contains(ink))
            << "ink " << ink.left() << "," << ink.top() << " to " << ink.right() << ","
            << ink.bottom() << " outside the printable area";
        const double scale = c.exact ? 1.0 : printable.width() / (formWidthPt[side] + 28);
        EXPECT_NEAR(ink.left(), marginPt + 28 * scale, 1);
        EXPECT_NEAR(ink.width(), formWidthPt[side] * scale, 1) << "uniform scale " << scale;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Queues, OfficePaper,
    ::testing::Values(PaperCase{"Letter", "Quillmark-Letter", "", QSizeF(612, 792), true},
                      PaperCase{"A4", "Quillmark-A4", "", QSizeF(595, 842), false},
                      PaperCase{"LetterQueueOnA4", "Quillmark-Letter", "A4", QSizeF(595, 842),
                                false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
