#include "print/PrintJobs.h"
#include "FakeMainWindow.h"
#include "platform/MousePointer.h"
#include "platform/ScriptedDialogs.h"
#include "print/RecordingPrinterProvider.h"

#include "QtPrinting.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace
{

using Kind = RecordedOp::Kind;

const QString blankPrompt =
    QStringLiteral("This record has blank fields\n\rDo you want to print anyway?");
const QString copiesPrompt =
    QStringLiteral("Your print driver does not support a 'Copies'property!");
const QString copiesTitle = QStringLiteral("Press the print once button for each copy desired");

class PrintJobTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        MousePointer::set(MousePointer::Default);
        printers.setSetUp(
            [this](RecordingSurface &) { pointerWhileOpen = MousePointer::current(); });
    }
    void TearDown() override { MousePointer::set(MousePointer::Default); }

    const RecordedDocument &onlyDocument() const
    {
        EXPECT_EQ(printers.opened().size(), 1);
        return *printers.opened().at(0).document;
    }

    ScriptedDialogs dialogs;
    FakeMainWindow window;
    RecordingPrinterProvider printers;
    int pointerWhileOpen = -1;
};

TEST_F(PrintJobTest, FrontSidePrintsTheWindowsValuesUnderAnHourglass)
{
    runFrontSideJob(window, printers);
    ASSERT_EQ(printers.opened().size(), 1);
    EXPECT_EQ(printers.opened()[0].side, PrintSide::Front);
    EXPECT_EQ(printers.opened()[0].fileNumber, QStringLiteral("000123"));
    const RecordedDocument &doc = onlyDocument();
    EXPECT_TRUE(doc.delivered);
    const QStringList texts = doc.printedTexts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Pat Doe")));
    EXPECT_TRUE(texts.contains(QStringLiteral("S")) && texts.contains(QStringLiteral(".")) &&
                texts.contains(QStringLiteral("y")))
        << "the case facts are printed character by character";
    // The origin is shifted before anything is drawn.
    const auto firstDrawing = std::find_if(doc.ops.begin(), doc.ops.end(), [](const RecordedOp &o) {
        return o.kind == Kind::Print || o.kind == Kind::Line || o.kind == Kind::Picture;
    });
    const auto scale = std::find_if(doc.ops.begin(), doc.ops.end(),
                                    [](const RecordedOp &o) { return o.kind == Kind::ScaleLeft; });
    ASSERT_NE(scale, doc.ops.end());
    EXPECT_DOUBLE_EQ(scale->x1, -560);
    EXPECT_LT(scale - doc.ops.begin(), firstDrawing - doc.ops.begin());

    EXPECT_EQ(pointerWhileOpen, MousePointer::Hourglass);
    EXPECT_EQ(MousePointer::current(), MousePointer::Default);
    EXPECT_EQ(window.status,
              QStringList({"Sending grievance for: Pat Doe to the default printer.",
                           "1 Copy of grievance for: Pat Doe was sent to the printer."}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

struct CopiesCase {
    const char *name;
    const char *text;
    bool refuse;
    int copies; // -1: the setting stays as it was
    bool driverMessage;
    const char *completion;
};

class FrontSideCopies : public PrintJobTest, public ::testing::WithParamInterface<CopiesCase>
{
};

TEST_P(FrontSideCopies, SetTheCopiesAndSayHowManyWereSent)
{
    const CopiesCase &c = GetParam();
    window.copies = QString::fromUtf8(c.text);
    printers.setRefuseCopies(c.refuse);
    runFrontSideJob(window, printers);

    const RecordedDocument &doc = onlyDocument();
    if (c.copies < 0)
        EXPECT_FALSE(doc.copies.has_value());
    else
        EXPECT_EQ(doc.copies, std::optional<qint16>(qint16(c.copies)));
    EXPECT_TRUE(doc.delivered) << "the form is printed either way";
    if (c.driverMessage) {
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages()[0].prompt, copiesPrompt);
        EXPECT_EQ(dialogs.messages()[0].title, copiesTitle);
        EXPECT_EQ(dialogs.messages()[0].buttons, Dialogs::Buttons::Ok);
        EXPECT_EQ(dialogs.messages()[0].icon, Dialogs::Icon::None);
    } else {
        EXPECT_TRUE(dialogs.messages().isEmpty());
    }
    ASSERT_EQ(window.status.size(), 2);
    EXPECT_EQ(window.status[1], QString::fromUtf8(c.completion));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrontSideCopies,
    ::testing::Values(CopiesCase{"Two", "2", false, 2, false,
                                 "2 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"One", "1", false, 1, false,
                                 "1 Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"Empty", "", false, 0, false,
                                 " Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"OnePointFiveRoundsToTwo", "1.5", false, 2, false,
                                 "1.5 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"TwoPointFiveRoundsToEven", "2.5", false, 2, false,
                                 "2.5 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{
                          "BeyondSixteenBits", "40000", false, -1, true,
                          "40000 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"RefusedOneIsSilent", "1", true, -1, false,
                                 "1 Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"RefusedThreeAsksForSingleCopies", "3", true, -1, true,
                                 "3 Copies of grievance for: Pat Doe were sent to the printer."}),
    [](const auto &info) { return std::string(info.param.name); });

struct BlankCase {
    const char *name;
    std::vector<int> blank;
    Dialogs::Answer answer;
    bool asked;
};

class BlankFields : public PrintJobTest, public ::testing::WithParamInterface<BlankCase>
{
};

TEST_P(BlankFields, AskOnceAndPrintOnlyOnYes)
{
    const BlankCase &c = GetParam();
    for (int i : c.blank)
        window.fields[i].clear();
    window.status << QStringLiteral("Preparing grievance for: Pat Doe");
    dialogs.queueAnswer(c.answer);
    runFrontSideJob(window, printers);

    if (c.asked) {
        ASSERT_EQ(dialogs.messages().size(), 1) << "one question only";
        EXPECT_EQ(dialogs.messages()[0].prompt, blankPrompt);
        EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Blank Field Warning!"));
        EXPECT_EQ(dialogs.messages()[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(dialogs.messages()[0].icon, Dialogs::Icon::None);
    } else {
        EXPECT_TRUE(dialogs.messages().isEmpty());
    }
    const bool prints = !c.asked || c.answer == Dialogs::Answer::Yes;
    EXPECT_EQ(printers.openAttempts(), prints ? 1 : 0);
    if (!prints) {
        EXPECT_EQ(window.status, QStringList({"Preparing grievance for: Pat Doe"}));
        EXPECT_EQ(MousePointer::current(), MousePointer::Default);
    } else {
        EXPECT_EQ(window.status.size(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BlankFields,
    ::testing::Values(BlankCase{"AllFilled", {}, Dialogs::Answer::No, false},
                      BlankCase{"OnlyUnprintedGrievanceFieldsEmpty",
                                {12, 13, 14, 15},
                                Dialogs::Answer::No,
                                false},
                      BlankCase{"GrievanceNumberEmptyYes", {11}, Dialogs::Answer::Yes, true},
                      BlankCase{"GrievanceNumberEmptyNo", {11}, Dialogs::Answer::No, true},
                      BlankCase{"FirstAndLastEmptyYes", {0, 21}, Dialogs::Answer::Yes, true},
                      BlankCase{"SeveralEmptyNo", {2, 5, 16}, Dialogs::Answer::No, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PrintJobTest, SpacesAreNotBlank)
{
    window.fields[7] = QStringLiteral(" ");
    runFrontSideJob(window, printers);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

struct BackCopiesCase {
    const char *name;
    const char *text;
    int copies; // -1: the setting stays as it was
};

class BackSideCopies : public PrintJobTest, public ::testing::WithParamInterface<BackCopiesCase>
{
};

TEST_P(BackSideCopies, PrintSilently)
{
    window.backCopies = QString::fromUtf8(GetParam().text);
    window.copies = QStringLiteral("7");
    window.fields[0].clear(); // no question on this side
    runBackSideJob(window, printers);

    const RecordedDocument &doc = onlyDocument();
    EXPECT_EQ(printers.opened()[0].side, PrintSide::Back);
    if (GetParam().copies < 0)
        EXPECT_FALSE(doc.copies.has_value());
    else
        EXPECT_EQ(doc.copies, std::optional<qint16>(qint16(GetParam().copies)));
    EXPECT_TRUE(doc.delivered);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(window.status.isEmpty());
    EXPECT_EQ(pointerWhileOpen, MousePointer::Default);
    EXPECT_FALSE(doc.printedTexts().contains(QStringLiteral("000123")));
}

INSTANTIATE_TEST_SUITE_P(Texts, BackSideCopies,
                         ::testing::Values(BackCopiesCase{"Three", "3", 3},
                                           BackCopiesCase{"TwoPointFiveToEven", "2.5", 2},
                                           BackCopiesCase{"ThreePointFiveToEven", "3.5", 4},
                                           BackCopiesCase{"NumberThenWord", "4 copies", 4},
                                           BackCopiesCase{"Empty", "", 0},
                                           BackCopiesCase{"Letter", "x", 0},
                                           BackCopiesCase{"BeyondSixteenBits", "40000", -1}),
                         [](const auto &info) { return std::string(info.param.name); });

struct FailureCase {
    const char *name;
    PrintSide side;
    const char *openFailure;
    const char *endDocFailure;
};

class DeliveryFailure : public PrintJobTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(DeliveryFailure, TellsTheStewardNothingWasPrinted)
{
    const FailureCase &c = GetParam();
    const QString cause = QString::fromUtf8(*c.openFailure ? c.openFailure : c.endDocFailure);
    printers.setOpenFailure(QString::fromUtf8(c.openFailure));
    printers.setEndDocFailure(QString::fromUtf8(c.endDocFailure));
    if (c.side == PrintSide::Front)
        runFrontSideJob(window, printers);
    else
        runBackSideJob(window, printers);

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0].prompt, QStringLiteral("Nothing was printed: ") + cause);
    EXPECT_EQ(MousePointer::current(), MousePointer::Default);
    for (const QString &s : window.status)
        EXPECT_FALSE(s.contains(QStringLiteral("sent to the printer"))) << s.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, DeliveryFailure,
    ::testing::Values(
        FailureCase{"FrontNoPrinter", PrintSide::Front, "no printer could be opened.", ""},
        FailureCase{"FrontJobRefused", PrintSide::Front, "",
                    "the print system refused the job (not accepting jobs)."},
        FailureCase{"BackNoPrinter", PrintSide::Back, "no printer could be opened.", ""},
        FailureCase{"BackJobRefused", PrintSide::Back, "",
                    "the print system refused the job (not accepting jobs)."}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace
{

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
