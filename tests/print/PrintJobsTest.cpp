#include "print/PrintJobs.h"
#include "PrintJobFixture.h"
#include "platform/MousePointer.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

namespace
{

using Kind = RecordedOp::Kind;

const QString blankPrompt =
    QStringLiteral("This record has blank fields\n\rDo you want to print anyway?");
const QString copiesPrompt =
    QStringLiteral("Your print driver does not support a 'Copies'property!");
const QString copiesTitle = QStringLiteral("Press the print once button for each copy desired");

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
    const char *completion;                           // empty: nothing is printed
    Dialogs::Answer manyCopies = Dialogs::Answer::Ok; // Ok: not asked
};

class FrontSideCopies : public PrintJobTest, public ::testing::WithParamInterface<CopiesCase>
{
};

// The completion text names the copies the printer was given, which a
// number it refuses leaves at its own setting; more than 99 are sent only
// when the steward says so.
TEST_P(FrontSideCopies, SetTheCopiesAndSayHowManyWereSent)
{
    const CopiesCase &c = GetParam();
    window.copies = QString::fromUtf8(c.text);
    printers.setRefuseCopies(c.refuse);
    const bool asked = c.manyCopies != Dialogs::Answer::Ok;
    if (asked)
        dialogs.queueAnswer(c.manyCopies);
    const bool printed = *c.completion;
    EXPECT_EQ(runFrontSideJob(window, printers), printed);

    const RecordedDocument &doc = onlyDocument();
    if (c.copies < 0)
        EXPECT_FALSE(doc.copies.has_value());
    else
        EXPECT_EQ(doc.copies, std::optional<qint16>(qint16(c.copies)));
    EXPECT_EQ(doc.delivered, printed);
    QStringList prompts;
    for (const auto &m : dialogs.messages())
        prompts << m.prompt;
    EXPECT_EQ(prompts, (asked ? QStringList{QStringLiteral("Send %1 copies of the grievance for "
                                                           "Pat Doe to the printer?")
                                                .arg(c.copies)}
                              : QStringList{}) +
                           (c.driverMessage ? QStringList{copiesPrompt} : QStringList{}));
    if (c.driverMessage) {
        EXPECT_EQ(dialogs.messages().last().title, copiesTitle);
        EXPECT_EQ(dialogs.messages().last().buttons, Dialogs::Buttons::Ok);
        EXPECT_EQ(dialogs.messages().last().icon, Dialogs::Icon::None);
    }
    EXPECT_EQ(MousePointer::current(), MousePointer::Default);
    EXPECT_EQ(window.status.value(1), QString::fromUtf8(c.completion));
    EXPECT_EQ(window.status.size(), printed ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrontSideCopies,
    ::testing::Values(CopiesCase{"Two", "2", false, 2, false,
                                 "2 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"One", "1", false, 1, false,
                                 "1 Copy of grievance for: Pat Doe was sent to the printer."},
                      // This printer takes 0 copies; a real one refuses them.
                      CopiesCase{"Empty", "", false, 0, false,
                                 "0 Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"OnePointFiveRoundsToTwo", "1.5", false, 2, false,
                                 "2 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"TwoPointFiveRoundsToEven", "2.5", false, 2, false,
                                 "2 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"BeyondSixteenBits", "40000", false, -1, true,
                                 "1 Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"RefusedOneIsSilent", "1", true, -1, false,
                                 "1 Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"RefusedThreeAsksForSingleCopies", "3", true, -1, true,
                                 "1 Copy of grievance for: Pat Doe was sent to the printer."},
                      CopiesCase{"NinetyNineAreNotQuestioned", "99", false, 99, false,
                                 "99 Copies of grievance for: Pat Doe were sent to the printer."},
                      CopiesCase{"HundredAreSentWhenTheStewardSaysYes", "99.5", false, 100, false,
                                 "100 Copies of grievance for: Pat Doe were sent to the printer.",
                                 Dialogs::Answer::Yes},
                      CopiesCase{"HundredAreNotSentWhenTheStewardSaysNo", "100", false, 100, false,
                                 "", Dialogs::Answer::No}),
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
