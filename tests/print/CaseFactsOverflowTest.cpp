// Case facts too long for the form's ruled lines: the front side job asks
// first, and prints the rest on continuation pages, leaves it out or prints
// nothing, as the steward answers.
#include "PrintJobFixture.h"
#include "print/PrintJobs.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

namespace
{

using Kind = RecordedOp::Kind;

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
        OverflowCase{"LeftOut", paragraphs(14), Dialogs::Answer::No, threeDoNotFit, 1, false},
        OverflowCase{"Cancelled", paragraphs(14), Dialogs::Answer::Cancel, threeDoNotFit, 0, false},
        OverflowCase{"TwoContinuationPages", paragraphs(11 + 29), Dialogs::Answer::Yes,
                     "29 lines of the case facts do not fit on the form's 11 ruled lines.\n\r"
                     "Put them on a continuation page? No leaves them out; Cancel stops.",
                     3, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
