// Both print jobs through the real default printer: CUPS with a cups-pdf
// queue (scripts/start-cups.sh sets one up), read back from the PDFs that
// cups-pdf writes.
#include "app/StatusBar.h"
#include <QPushButton>
#include <QAction>
#include "app/frmMain.h"
#include "platform/TextBox.h"
#include "records/CaseSchema.h"
#include "support/CaseFixture.h"
#include "PdfText.h"
#include "platform/ScriptedDialogs.h"
#include "print/DefaultPrinterProvider.h"

#include "QtPrinting.h"

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

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool isCupsPdfQueue(const QString &queue)
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-v"), queue})
        .contains(QLatin1String("cups-pdf:"));
}

// Where cups-pdf puts its files: the Out setting of its configuration.
QString cupsPdfFolder()
{
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        static const QRegularExpression out(QStringLiteral("^Out\\s+(\\S+)\\s*$"),
                                            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = out.match(QString::fromUtf8(conf.readAll()));
        if (m.hasMatch() && !m.captured(1).contains(QLatin1Char('$')))
            return m.captured(1);
    }
    return QStringLiteral("/var/spool/cups-pdf/quillmark");
}

// The attributes CUPS keeps for a job, "name" -> "value".
QMap<QString, QString> jobAttributes(int job)
{
    const QString out =
        run(QStringLiteral("ipptool"),
            {QStringLiteral("-tv"), QStringLiteral("ipp://localhost/jobs/%1").arg(job),
             QStringLiteral("/usr/share/cups/ipptool/get-job-attributes.test")});
    QMap<QString, QString> attributes;
    static const QRegularExpression line(QStringLiteral("^\\s+([\\w-]+) \\([^)]*\\) = (.*)$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        attributes.insert(m.captured(1), m.captured(2).trimmed());
    }
    return attributes;
}

struct PrintedJob {
    QString file;
    int id = 0;
    QMap<QString, QString> attributes;
};

// cups-pdf names a file after the job's title, with its job id at the end.
// The job counts as printed once CUPS calls it completed.
PrintedJob waitForJob(const QString &folder, const QString &titlePrefix)
{
    PrintedJob job;
    static const QRegularExpression id(QStringLiteral("job_(\\d+)\\.pdf$"));
    (void)QTest::qWaitFor(
        [&] {
            const QStringList files =
                QDir(folder).entryList({titlePrefix + QStringLiteral("*job_*.pdf")}, QDir::Files);
            if (files.isEmpty())
                return false;
            job.file = folder + QLatin1Char('/') + files.first();
            job.id = id.match(files.first()).captured(1).toInt();
            job.attributes = jobAttributes(job.id);
            return job.attributes.value(QStringLiteral("job-state")) == QLatin1String("completed");
        },
        90000);
    return job;
}

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
    for (int i = 0; i < CaseSchema::BoundFieldCount; ++i) {
        const CaseSchema::BoundField &f = CaseSchema::boundField(i);
        if (i == 11)
            continue;
        (f.pane == 0 ? employee : complaint)
            .insert(QString::fromUtf8(f.field), QStringLiteral("F%1").arg(i));
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
    window.form().SSTab2->setCurrentIndex(1);
    window.form().txtCopies->setText(QStringLiteral("2"));
    window.form().txtBackCopies->setText(QStringLiteral("3"));
    QTest::mouseClick(window.cmdPrintGrievance, Qt::LeftButton);
    window.mnuPrintBack->trigger();
    for (const auto &m : dialogs.messages())
        ADD_FAILURE() << "message: " << m.prompt.toStdString();
    EXPECT_EQ(window.sbStatusBar()->panelText(1),
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

} // namespace
