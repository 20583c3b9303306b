// The reader against mdb-export, an independent reader of the same files:
// every sample file's tables, and every row of each, value by value; the
// text the old program's boxes showed; and a reader program that crashes,
// hangs or meets a damaged file, reported as such with nothing handed on.
#include "access/AccessSamples.h"

#include "access/AccessReader.h"
#include "access/AccessText.h"
#include "safekeeping/CsvReader.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace
{

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// mdb-export's rows, with dates in the reader's own form and binary data
// left out; an empty unquoted field is an empty value.
QList<AccessRow> exported(const QString &file, const QString &table)
{
    const QString iso = QStringLiteral("%Y-%m-%d %H:%M:%S");
    QByteArray csv = run(QStringLiteral("mdb-export"),
                         {QStringLiteral("-D"), iso, QStringLiteral("-T"), iso,
                          QStringLiteral("-b"), QStringLiteral("strip"), file, table});
    QList<AccessRow> rows;
    bool header = true;
    CsvReader reader([&](const CsvRow &row) {
        if (std::exchange(header, false))
            return true;
        AccessRow values;
        for (const CsvField &f : row)
            values << AccessValue{f.null, false, f.null ? QString() : QString::fromUtf8(f.bytes)};
        rows << values;
        return true;
    });
    QBuffer buffer(&csv);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_TRUE(reader.read(buffer)) << reader.error().toStdString();
    return rows;
}

AccessReader::Options raw()
{
    AccessReader::Options o;
    o.raw = true;
    return o;
}

class AccessReaderOracle : public ::testing::TestWithParam<const char *>
{
};

TEST_P(AccessReaderOracle, EveryTableAndRowAsMdbExportReadsThem)
{
    SKIP_WITHOUT_SAMPLES(GetParam());
    if (const QString why = AccessSamples::missingTools(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString file = AccessSamples::file(GetParam());
    const QByteArray before = run(QStringLiteral("sha256sum"), {file});

    QStringList expectedTables =
        QString::fromUtf8(run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), file}))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const AccessListing listing = AccessReader(file).tables();
    ASSERT_TRUE(listing.ok) << listing.error.toStdString();
    const QString version = QString::fromUtf8(run(QStringLiteral("mdb-ver"), {file})).trimmed();
    EXPECT_TRUE(listing.format.startsWith(version.startsWith(QLatin1String("JET"))
                                              ? QStringLiteral("Jet ") + version.mid(3)
                                              : QStringLiteral("ACE")))
        << version.toStdString() << " read as " << listing.format.toStdString();
    QStringList tables;
    for (const AccessTable &t : listing.tables)
        tables << t.name;
    EXPECT_EQ(tables, expectedTables);

    for (const AccessTable &t : listing.tables) {
        SCOPED_TRACE(t.name.toStdString());
        const QList<AccessRow> expected = exported(file, t.name);
        EXPECT_EQ(t.rows, expected.size()) << "the table's own count";
        QList<AccessRow> got;
        AccessTable columns;
        const AccessReadResult r =
            AccessReader(file, raw())
                .rows(
                    t.name,
                    [&](const AccessRow &row, qint64 number, QString *) {
                        EXPECT_EQ(number, got.size() + 1);
                        got << row;
                        return true;
                    },
                    nullptr, [&](const AccessTable &table) { columns = table; });
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(columns.columnNames(), t.columnNames());
        ASSERT_EQ(got.size(), expected.size());
        for (int i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].size(), expected[i].size()) << "row " << i + 1;
            for (int c = 0; c < got[i].size(); ++c) {
                const AccessValue &g = got[i][c], &e = expected[i][c];
                // No box shows binary data: the reader leaves it empty.
                if (t.columns[c].binary()) {
                    EXPECT_TRUE(g.null);
                    continue;
                }
                EXPECT_EQ(g.null, e.null)
                    << "row " << i + 1 << " " << t.columns[c].name.toStdString();
                EXPECT_FALSE(g.cut);
                EXPECT_EQ(g.text.toStdString(), e.text.toStdString())
                    << "row " << i + 1 << " " << t.columns[c].name.toStdString();
            }
        }
    }
    EXPECT_EQ(run(QStringLiteral("sha256sum"), {file}), before) << "the file was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Samples, AccessReaderOracle,
    ::testing::Values("testV1997.mdb", "test2V1997.mdb", "overflowTestV1997.mdb", "test2V2000.mdb",
                      "fixedTextTestV2000.mdb", "testUnicodeCompV2003.mdb", "empty.mdb"),
    [](const auto &info) {
        return QString::fromLatin1(info.param).section('.', 0, 0).toStdString();
    });

// The boxes' text, by type, in two locales; the second row of a real Jet 3
// table read through the whole path.
struct Shown {
    const char *name;
    int type;
    const char *stored;
    const char *locale;
    const char *expected;
};

class AccessShown : public ::testing::TestWithParam<Shown>
{
};

TEST_P(AccessShown, AsTheOldBoxesShowedIt)
{
    const Shown &s = GetParam();
    AccessColumn c;
    c.type = s.type;
    EXPECT_EQ(AccessText::shown(c, QString::fromUtf8(s.stored), QLocale(QLatin1String(s.locale)))
                  .toStdString(),
              s.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, AccessShown,
    ::testing::Values(
        Shown{"Yes", AccessColumn::YesNo, "1", "en_US", "True"},
        Shown{"No", AccessColumn::YesNo, "0", "de_DE", "False"},
        Shown{"CurrencyTrailingZeros", AccessColumn::Currency, "3.5000", "en_US", "3.5"},
        Shown{"CurrencyWhole", AccessColumn::Currency, "-12.0000", "de_DE", "-12"},
        Shown{"CurrencyComma", AccessColumn::Currency, "1234.5600", "de_DE", "1234,56"},
        Shown{"Double", AccessColumn::Double, "444.555", "de_DE", "444,555"},
        Shown{"DoubleLarge", AccessColumn::Double, "1234567.25", "en_US", "1234567.25"},
        Shown{"Single", AccessColumn::Single, "0.1000000015", "en_US", "0.1"},
        Shown{"Long", AccessColumn::LongInteger, "-333333333", "de_DE", "-333333333"},
        Shown{"DateOnly", AccessColumn::DateTime, "1974-09-21 00:00:00", "en_US", "9/21/74"},
        Shown{"DateOnlyGerman", AccessColumn::DateTime, "1974-09-21 00:00:00", "de_DE", "21.09.74"},
        Shown{"DateAndTime", AccessColumn::DateTime, "2009-11-05 23:41:28", "en_US",
              "11/5/09 11:41:28 PM"},
        Shown{"TimeAlone", AccessColumn::DateTime, "1899-12-30 08:30:00", "de_DE", "08:30:00"},
        Shown{"Text", AccessColumn::Text, "ϰαὶ τότ' 0.50", "de_DE", "ϰαὶ τότ' 0.50"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AccessReaderShown, ARealRowAsTheBoxesShowedIt)
{
    SKIP_WITHOUT_SAMPLES("testV1997.mdb");
    AccessReader::Options o;
    o.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QList<AccessRow> rows;
    const AccessReadResult r =
        AccessReader(AccessSamples::file("testV1997.mdb"), o)
            .rows(QStringLiteral("Table1"), [&](const AccessRow &row, qint64, QString *) {
                rows << row;
                return true;
            });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(rows.size(), 2);
    QStringList shown;
    for (const AccessValue &v : rows[1])
        shown << v.text;
    EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(),
              "abcdefg|hijklmnop|2|222|333333333|444.555|9/21/74|3.5|True");
}

// The reader program made to crash or to hang half way through a table
// (read a thousand times over, so that it is still writing), and files
// that are no Access database at all.
enum class Fault { Crash, Hang, Empty, NotAccess, Missing };

std::string faultName(Fault f)
{
    static const char *const names[] = {"Crash", "Hang", "Empty", "NotAccess", "Missing"};
    return names[int(f)];
}

class AccessReaderFault : public ::testing::TestWithParam<Fault>
{
};

TEST_P(AccessReaderFault, ReportedAndNothingHandedOnAfterIt)
{
    SKIP_WITHOUT_SAMPLES("test2V2000.mdb");
    QTemporaryDir dir;
    QString file = AccessSamples::file("test2V2000.mdb");
    if (GetParam() == Fault::Empty || GetParam() == Fault::NotAccess) {
        file = dir.filePath(QStringLiteral("Quillmark.mdb"));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (GetParam() == Fault::NotAccess)
            f.write(QByteArray("Name,File Number\nAnn,000123\n").repeated(300));
    } else if (GetParam() == Fault::Missing) {
        file = dir.filePath(QStringLiteral("gone.mdb"));
    }
    AccessReader::Options o;
    o.repeat = 1000;
    o.silenceMs = 2000;
    AccessReader reader(file, o);
    qint64 after = 0;
    const AccessReadResult r =
        reader.rows(QStringLiteral("MSP_PROJECTS"), [&](const AccessRow &, qint64 n, QString *) {
            if (n == 2)
                ::kill(pid_t(reader.readerProcessId()),
                       GetParam() == Fault::Crash ? SIGSEGV : SIGSTOP);
            after += n > 2;
            return true;
        });
    EXPECT_FALSE(r.ok);
    const std::string error = r.error.toStdString();
    switch (GetParam()) {
    case Fault::Crash:
        EXPECT_TRUE(r.damaged);
        EXPECT_EQ(error, "\"test2V2000.mdb\" is damaged: reading it made the reader fail. "
                         "Nothing was imported.");
        break;
    case Fault::Hang:
        EXPECT_TRUE(r.damaged);
        EXPECT_NE(error.find("stopped for more than 2 seconds"), std::string::npos) << error;
        break;
    default:
        EXPECT_FALSE(r.damaged);
        EXPECT_NE(error.find("cannot be read as an Access database"), std::string::npos) << error;
    }
    // Rows already in the pipe may still arrive, never a whole table more.
    EXPECT_LT(after, 15 * 200);
    EXPECT_EQ(reader.readerProcessId(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, AccessReaderFault,
                         ::testing::Values(Fault::Crash, Fault::Hang, Fault::Empty,
                                           Fault::NotAccess, Fault::Missing),
                         [](const auto &info) { return faultName(info.param); });

} // namespace
