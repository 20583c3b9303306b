// The reader gives each row's fields exactly as written, however the bytes
// arrive, and refuses what is not CSV instead of guessing.
#include "safekeeping/CsvReader.h"

#include <gtest/gtest.h>

namespace
{

struct Reading {
    const char *name;
    QByteArray input;
    // Rows with fields joined by '|'; a NULL field as "<null>".
    QStringList rows;
    bool ok = true;
};

QStringList readAll(const QByteArray &input, qsizetype chunk, bool *ok)
{
    QStringList rows;
    CsvReader reader([&](const CsvRow &row) {
        QStringList fields;
        for (const CsvField &f : row)
            fields << (f.null ? QStringLiteral("<null>") : QString::fromUtf8(f.bytes));
        rows << fields.join(QLatin1Char('|'));
        return true;
    });
    bool fed = true;
    for (qsizetype at = 0; fed && at < input.size(); at += chunk)
        fed = reader.feed(input.constData() + at, std::min(chunk, input.size() - at));
    *ok = fed && reader.finish();
    return rows;
}

class CsvReading : public ::testing::TestWithParam<Reading>
{
};

TEST_P(CsvReading, GivesTheFieldsAsWrittenInAnyChunks)
{
    for (qsizetype chunk :
         {qsizetype(1), qsizetype(2), qsizetype(7), GetParam().input.size() + 1}) {
        bool ok = false;
        const QStringList rows = readAll(GetParam().input, chunk, &ok);
        EXPECT_EQ(ok, GetParam().ok) << "chunks of " << chunk;
        if (GetParam().ok) {
            EXPECT_EQ(rows, GetParam().rows) << "chunks of " << chunk;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CsvReading,
    ::testing::Values(
        Reading{"NullEmptyAndSpaces", "a,,\"\", b ,\" c \"\r\n", {"a|<null>|| b | c "}},
        Reading{"LineBreaksInsideQuotes", "\"1\r\n2\",\"3\n4\",\"5\r6\"\r\n", {"1\r\n2|3\n4|5\r6"}},
        Reading{"AnyLineEnd", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        Reading{"BlankLinesSkipped", "\r\na\r\n\r\n\r\nb\r\n\r\n", {"a", "b"}},
        Reading{"TrailingCommaIsNull", "a,\r\n,\r\n", {"a|<null>", "<null>|<null>"}},
        Reading{"DoubledQuotes", "\"say \"\"hi\"\"\",\"\"\"\"\r\n", {"say \"hi\"|\""}},
        Reading{"ByteOrderMarkDropped", "\xEF\xBB\xBFName,x\r\n", {"Name|x"}},
        Reading{"ByteOrderMarkOnlyAtTheStart",
                "a\r\n\xEF\xBB\xBF"
                "b\r\n",
                {"a", "\xEF\xBB\xBF"
                      "b"}},
        Reading{"HalfAMarkIsData",
                "\xEF\xBB"
                "x\r\n",
                {"\xEF\xBB"
                 "x"}},
        Reading{"QuoteInsideUnquoted", "ab\"c\r\n", {}, false},
        Reading{"TextAfterClosingQuote", "\"ab\"c,d\r\n", {}, false},
        Reading{"SpaceAfterClosingQuote", "\"ab\" ,d\r\n", {}, false},
        Reading{"QuoteNeverClosed", "a,\"bc\r\n", {}, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
