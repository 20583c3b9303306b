#include "app/CommandLine.h"
#include "records/CaseDatabase.h"

#include <gtest/gtest.h>

namespace
{

using CommandLine::Action;

struct LineCase {
    const char *name;
    QStringList arguments; // after the program's name
    Action action;
    const char *database;
    const char *errorPart;
};

class CommandLineParse : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(CommandLineParse, GivesTheRequestedAction)
{
    const LineCase &c = GetParam();
    const CommandLine::Request r =
        CommandLine::parse(QStringList{QStringLiteral("quillmark-wizard")} + c.arguments);
    EXPECT_EQ(r.action, c.action);
    EXPECT_EQ(r.database, QString::fromUtf8(c.database));
    if (*c.errorPart)
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.errorPart))) << r.error.toStdString();
    else
        EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
}

const QString Db = QStringLiteral("/srv/cases/Quillmark.db");

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineParse,
    ::testing::Values(
        LineCase{"NoOptionsStartsAsAlways", {}, Action::Start, "", ""},
        LineCase{"DatabaseSeparateValue",
                 {"--database", Db},
                 Action::Start,
                 "/srv/cases/Quillmark.db",
                 ""},
        LineCase{"DatabaseJoinedValue",
                 {"--database=" + Db},
                 Action::Start,
                 "/srv/cases/Quillmark.db",
                 ""},
        LineCase{"DatabaseWithSpaces",
                 {"--database", "/home/ann/My Cases/q.db"},
                 Action::Start,
                 "/home/ann/My Cases/q.db",
                 ""},
        LineCase{"LastDatabaseCounts",
                 {"--database", "a.db", "--database", "b.db"},
                 Action::Start,
                 "b.db",
                 ""},
        LineCase{"HelpLong", {"--help"}, Action::ShowHelp, "", ""},
        LineCase{"HelpShort", {"-h"}, Action::ShowHelp, "", ""},
        LineCase{"VersionLong", {"--version"}, Action::ShowVersion, "", ""},
        LineCase{"VersionShort", {"-v"}, Action::ShowVersion, "", ""},
        // Help answers even where the rest of the line is wrong, or carries
        // options of the window system that only QApplication knows.
        LineCase{"HelpBesideUnknownOption", {"--frobnicate", "--help"}, Action::ShowHelp, "", ""},
        LineCase{"VersionBesideQtOption",
                 {"-platform", "offscreen", "--version"},
                 Action::ShowVersion,
                 "",
                 ""},
        LineCase{"QtWordOptionIsNoVersionRequest", {"-reverse"}, Action::Refuse, "", "reverse"},
        LineCase{"QtWordOptionIsNoHelpRequest",
                 {"-stylesheet", "a.qss"},
                 Action::Refuse,
                 "",
                 "stylesheet"},
        LineCase{"HelpAsDatabaseValueIsAFileName",
                 {"--database", "--help"},
                 Action::Start,
                 "--help",
                 ""},
        LineCase{"UnknownOptionRefused", {"--frobnicate"}, Action::Refuse, "", "frobnicate"},
        LineCase{"MissingValueRefused", {"--database"}, Action::Refuse, "", "database"},
        LineCase{"EmptyValueRefused", {"--database="}, Action::Refuse, "", "--database"},
        LineCase{"BlankValueRefused", {"--database", "  "}, Action::Refuse, "", "--database"},
        LineCase{"FileUriIsItsPath",
                 {"--database", "file:///srv/cases/My%20Cases.db"},
                 Action::Start,
                 "/srv/cases/My Cases.db",
                 ""},
        LineCase{"ColonInAFileNameIsAPath",
                 {"--database", "cases:2026.db"},
                 Action::Start,
                 "cases:2026.db",
                 ""},
        LineCase{"ServerUriTakenAsItStands",
                 {"--database", "postgresql://steward@office/cases?sslmode=require"},
                 Action::Start,
                 "postgresql://steward@office/cases?sslmode=require",
                 ""},
        LineCase{"OtherUriRefusedNotMadeAFile",
                 {"--database", "https://office/cases"},
                 Action::Refuse,
                 "",
                 "https://office/cases"},
        LineCase{"StrayArgumentRefused", {"cases.db"}, Action::Refuse, "", "cases.db"},
        LineCase{"ImportAccessWithItsAnswers",
                 {"--import-access", "old.mdb", "--database", Db, "--skip-known-employees",
                  "--renumber-collisions"},
                 Action::ImportAccess,
                 "/srv/cases/Quillmark.db",
                 ""},
        LineCase{"ImportAccessBothAnswersRefused",
                 {"--import-access", "old.mdb", "--skip-known-employees", "--add-known-employees"},
                 Action::Refuse,
                 "",
                 "cannot be given together"},
        LineCase{"AnswerWithoutImportRefused",
                 {"--renumber-collisions"},
                 Action::Refuse,
                 "",
                 "go with --import-access only"},
        LineCase{
            "ImportAccessNeedsItsFile", {"--import-access"}, Action::Refuse, "", "import-access"}),
    [](const auto &info) { return std::string(info.param.name); });

// The option is the command-line form of the variable: it wins over it, and
// the variable still counts without it.
class DatabaseLocation : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_had = qEnvironmentVariableIsSet("QUILLMARK_DATABASE");
        m_old = qgetenv("QUILLMARK_DATABASE");
    }
    void TearDown() override
    {
        if (m_had)
            qputenv("QUILLMARK_DATABASE", m_old);
        else
            qunsetenv("QUILLMARK_DATABASE");
    }
    bool m_had = false;
    QByteArray m_old;
};

TEST_F(DatabaseLocation, OptionWinsThenVariableThenDefault)
{
    qputenv("QUILLMARK_DATABASE", "/from/variable.db");
    const auto withOption = CommandLine::parse(
        {QStringLiteral("qw"), QStringLiteral("--database"), QStringLiteral("/from/option.db")});
    EXPECT_EQ(CommandLine::databaseLocation(withOption), QStringLiteral("/from/option.db"));

    const auto plain = CommandLine::parse({QStringLiteral("qw")});
    EXPECT_EQ(CommandLine::databaseLocation(plain), QStringLiteral("/from/variable.db"));

    qunsetenv("QUILLMARK_DATABASE");
    EXPECT_EQ(CommandLine::databaseLocation(plain), CaseDatabase::defaultPath());
    EXPECT_TRUE(CommandLine::databaseLocation(plain).endsWith(QStringLiteral("/Quillmark.db")));
}

TEST(CommandLineTexts, HelpNamesTheProgramAndEveryOption)
{
    const QString help = CommandLine::helpText(QStringLiteral("/usr/bin/quillmark-wizard"));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: /usr/bin/quillmark-wizard [options]\n")))
        << help.toStdString();
    for (const char *part :
         {"--help", "--version", "--database <PATH-OR-URI>", "QUILLMARK_DATABASE"})
        EXPECT_TRUE(help.contains(QLatin1String(part))) << part;
}

TEST(CommandLineTexts, VersionIsTheBuildsVersion)
{
    EXPECT_EQ(CommandLine::versionText(), QStringLiteral("Quillmark Wizard 1.0.0\n"));
}

} // namespace
