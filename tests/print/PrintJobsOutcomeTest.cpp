// What the print jobs tell the steward about where the page went, the copies
// under another locale, and case facts too long for the form.
#include "PrintJobFixture.h"
#include "print/PrintJobs.h"

#include "QtPrinting.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace
{

using Kind = RecordedOp::Kind;

// Without a printer the document becomes a PDF file: the steward is told
// that no printer received it and where the file is, and a file, which
// holds one copy, raises no copies question and claims no copies.
struct SavedFileCase {
    const char *name;
    PrintSide side;
    const char *copies;
    const char *status;
};

class SavedAsFile : public PrintJobTest, public ::testing::WithParamInterface<SavedFileCase>
{
};

TEST_P(SavedAsFile, SaysWhereTheFileIsAndThatNoPrinterReceivedIt)
{
    const SavedFileCase &c = GetParam();
    const QString file = QStringLiteral("/home/steward/Documents/Quillmark Wizard/side.pdf");
    printers.setSavesToFile(file);
    window.copies = window.backCopies = QString::fromUtf8(c.copies);
    if (c.side == PrintSide::Front)
        runFrontSideJob(window, printers);
    else
        runBackSideJob(window, printers);

    const RecordedDocument &doc = onlyDocument();
    EXPECT_TRUE(doc.delivered);
    EXPECT_TRUE(doc.ofKind(Kind::Copies).isEmpty()) << "a file has no copies";
    EXPECT_TRUE(dialogs.messages().isEmpty());
    ASSERT_FALSE(window.status.isEmpty());
    EXPECT_EQ(window.status.last(), QString::fromUtf8(c.status) + file);
    for (const QString &s : window.status)
        EXPECT_FALSE(s.contains(QStringLiteral("sent to the printer"))) << s.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Sides, SavedAsFile,
    ::testing::Values(
        SavedFileCase{"FrontTwoCopies", PrintSide::Front, "2",
                      "No printer received the grievance for: Pat Doe; it was saved as a PDF: "},
        SavedFileCase{"FrontOneCopy", PrintSide::Front, "1",
                      "No printer received the grievance for: Pat Doe; it was saved as a PDF: "},
        SavedFileCase{"BackThreeCopies", PrintSide::Back, "3",
                      "No printer received the back side; it was saved as a PDF: "}),
    [](const auto &info) { return std::string(info.param.name); });

// The copies box reads the same under a desktop locale whose decimal mark
// is a comma.
TEST_F(PrintJobTest, CopiesReadTheSameUnderAGermanLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "the locale de_DE.UTF-8 is missing; scripts/setup.sh generates it";
    window.copies = QStringLiteral("1.5");
    runFrontSideJob(window, printers);
    std::setlocale(LC_NUMERIC, before.c_str());

    EXPECT_EQ(onlyDocument().copies, std::optional<qint16>(2));
    ASSERT_EQ(window.status.size(), 2);
    EXPECT_EQ(window.status[1],
              QStringLiteral("1.5 Copies of grievance for: Pat Doe were sent to the printer."));
}

// Case facts of `lines` paragraphs "L1", "L2", ...: one ruled line each.
QString paragraphs(int lines, const QString &after = {})
{
    QStringList p;
    for (int i = 1; i <= lines; ++i)
        p << QStringLiteral("L%1").arg(i);
    return p.join(QStringLiteral("\r\n")) + after;
}

struct OverflowCase {
    const char *name;
    QString caseFacts;
    Dialogs::Answer answer;
    const char *prompt; // empty: no question
    int pages;          // 0: nothing printed
    bool lastLinePrinted;
};

class CaseFactsOverflowJob : public PrintJobTest, public ::testing::WithParamInterface<OverflowCase>
{
};

TEST_P(CaseFactsOverflowJob, AsksFirstAndPrintsTheRestOnAContinuationPage)
{
    const OverflowCase &c = GetParam();
    window.caseFacts = c.caseFacts;
    window.status << QStringLiteral("before");
    dialogs.queueAnswer(c.answer);
    const bool printed = runFrontSideJob(window, printers);

    if (*c.prompt) {
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages()[0].prompt, QString::fromUtf8(c.prompt));
        EXPECT_EQ(dialogs.messages()[0].buttons, Dialogs::Buttons::YesNoCancel);
    } else {
        EXPECT_TRUE(dialogs.messages().isEmpty());
    }
    EXPECT_EQ(MousePointer::current(), MousePointer::Default);
    EXPECT_EQ(printed, c.pages > 0);
    if (c.pages == 0) {
        EXPECT_FALSE(onlyDocument().ended) << "nothing goes to the printer";
        EXPECT_EQ(window.status, QStringList({"before"}));
        return;
    }
    const RecordedDocument &doc = onlyDocument();
    EXPECT_EQ(doc.pageCount(), c.pages);
    const QStringList texts = doc.printedTexts();
    const QString last = c.caseFacts.section(QStringLiteral("\r\n"), -1);
    EXPECT_EQ(texts.join(QString()).contains(last), c.lastLinePrinted);
    EXPECT_EQ(texts.contains(QStringLiteral("Case Facts (continued)")), c.pages > 1);
    if (c.pages > 1) {
        // The continuation page names the employee and the file.
        const auto heading = texts.indexOf(QStringLiteral("Case Facts (continued)"));
        EXPECT_EQ(texts.mid(heading, 5),
                  QStringList({"Case Facts (continued)", "Name", "Pat Doe", "File No.", "000123"}));
    }
}

const char *const threeDoNotFit =
    "3 lines of the case facts do not fit on the form's 11 ruled lines.\n\r"
    "Put them on a continuation page? No leaves them out; Cancel stops.";

INSTANTIATE_TEST_SUITE_P(
    Lines, CaseFactsOverflowJob,
    ::testing::Values(
        OverflowCase{"ElevenLinesFit", paragraphs(11), Dialogs::Answer::Cancel, "", 1, true},
        OverflowCase{"TrailingBlankLinesFit", paragraphs(11, "\r\n\r\n\r\n"),
                     Dialogs::Answer::Cancel, "", 1, true},
        OverflowCase{"OneLineOver", paragraphs(12), Dialogs::Answer::Yes,
                     "1 line of the case facts does not fit on the form's 11 ruled lines.\n\r"
                     "Put it on a continuation page? No leaves it out; Cancel stops.",
                     2, true},
        OverflowCase{"ContinuationPage", paragraphs(14), Dialogs::Answer::Yes, threeDoNotFit, 2,
                     true},
        OverflowCase{"LeftOut", paragraphs(14), Dialogs::Answer::No, threeDoNotFit, 1, false},
        OverflowCase{"Cancelled", paragraphs(14), Dialogs::Answer::Cancel, threeDoNotFit, 0, false},
        OverflowCase{"TwoContinuationPages", paragraphs(11 + 29), Dialogs::Answer::Yes,
                     "29 lines of the case facts do not fit on the form's 11 ruled lines.\n\r"
                     "Put them on a continuation page? No leaves them out; Cancel stops.",
                     3, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
