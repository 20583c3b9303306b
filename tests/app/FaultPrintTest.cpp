// Printing from the real window with the print system stopped, or running
// but with no default printer, and with copies boxes holding what a steward
// might type: the page is never lost and never announced as sent when it was
// not; the PDF it becomes is named with its full path; no copies text stops
// the program, and a file, which holds one copy, raises no copies question.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"

#include "app/StatusBar.h"
#include "print/DefaultPrinterProvider.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <iostream>

using namespace CaseFields;

namespace
{

struct CopiesText {
    const char *name;
    const char *text;
    bool noDefault; // the print system runs, but no printer is the default
};

class FaultPrint : public MainWindowTest, public ::testing::WithParamInterface<CopiesText>
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The print system stopped: its scheduler's socket answers nobody.
        // Each ctest test is a process of its own, so the program's first
        // question to the print system comes after this.
        m_cupsBefore = qgetenv("CUPS_SERVER");
        if (GetParam().noDefault)
            qputenv("PRINTER", "No-Such-Printer-For-Quillmark");
        else
            qputenv("CUPS_SERVER", QByteArray(m_stopped.path().toUtf8() + "/cups.sock"));
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        qunsetenv("PRINTER");
        if (m_cupsBefore.isEmpty())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", m_cupsBefore);
    }
    static QStringList documents()
    {
        return QDir(DefaultPrinterProvider::pdfFolder())
            .entryList({QStringLiteral("*.pdf")}, QDir::Files);
    }
    void setCopies(TextBox *box, const QString &text)
    {
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box->editor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box->editor(), Qt::Key_Delete);
        QTest::keyClicks(box->editor(), text);
        ASSERT_EQ(box->text(), text);
    }
    // One print command; checks that the page went somewhere or the steward
    // was told it did not.
    void printAndCheck(QPushButton *button)
    {
        const QStringList before = documents();
        dialogs.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        QStringList made = documents();
        for (const QString &b : before)
            made.removeAll(b);
        bool toldNothingPrinted = false, toldCopies = false;
        for (const auto &m : dialogs.messages()) {
            toldNothingPrinted |= m.prompt.startsWith(QStringLiteral("Nothing was printed: "));
            toldCopies |= m.prompt ==
                          QStringLiteral("Your print driver does not support a 'Copies'property!");
        }
        EXPECT_EQ(made.size() + (toldNothingPrinted ? 1 : 0), 1)
            << "one document, or a message that there is none";
        for (const QString &f : made) {
            QFile pdf(DefaultPrinterProvider::pdfFolder() + QLatin1Char('/') + f);
            ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
            EXPECT_TRUE(pdf.read(5) == "%PDF-") << f.toStdString();
            EXPECT_GT(pdf.size(), 1000);
            const QString status = windowStatusBar(*window)->panelText(1);
            EXPECT_TRUE(
                status.startsWith(QStringLiteral("No printer received the ")) &&
                status.endsWith(QStringLiteral("; it was saved as a PDF: ") + pdf.fileName()))
                << status.toStdString();
        }
        EXPECT_FALSE(toldCopies) << "a file holds one copy";
        if (toldNothingPrinted) {
            EXPECT_FALSE(windowStatusBar(*window)->panelText(1).contains(
                QStringLiteral("sent to the printer")));
        }
        for (const auto &m : dialogs.messages())
            std::cout << "message: " << m.prompt.toStdString() << "\n";
        std::cout << "documents: " << made.join(QStringLiteral(", ")).toStdString() << std::endl;
    }

    QTemporaryDir m_stopped;
    QByteArray m_cupsBefore;
};

TEST_P(FaultPrint, BothSidesPrintOrSayTheyDidNotWhateverTheCopiesBoxHolds)
{
    db.insert(QStringLiteral("Employee"),
              {{QStringLiteral("Name"), QStringLiteral("Pat Doe")},
               {QStringLiteral("File Number"), QStringLiteral("000123")}});
    db.insert(QStringLiteral("Complaints"),
              {{QStringLiteral("File Number"), QStringLiteral("000123")},
               {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")}});
    start();
    const QString copies = QString::fromUtf8(GetParam().text);
    setCopies(windowBox(*window, "txtBackCopies"), copies);
    printAndCheck(windowButton(*window, "cmdPrintBack"));

    clickTab(GrievancePane);
    ASSERT_EQ(windowTabs(*window)->currentIndex(), 1);
    setCopies(windowBox(*window, "txtCopies"), copies);
    printAndCheck(windowButton(*window, "cmdPrintGrievance"));
    EXPECT_EQ(field(RemedySought)->text(), QStringLiteral("Back pay"))
        << "printing leaves the record alone";
}

INSTANTIATE_TEST_SUITE_P(
    Copies, FaultPrint,
    ::testing::Values(CopiesText{"FortyThousand", "40000", false}, CopiesText{"Two", "2", false},
                      CopiesText{"MinusOne", "-1", false}, CopiesText{"Letters", "abc", false},
                      CopiesText{"OneETen", "1e10", false}, CopiesText{"Empty", "", false},
                      CopiesText{"TwoWithoutADefault", "2", true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
