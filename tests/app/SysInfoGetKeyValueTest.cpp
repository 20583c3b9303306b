#include "app/sysinfo/SysInfo.h"
#include "app/sysinfo/SysInfoMemoryRegistry.h"

#include <gtest/gtest.h>

namespace
{

const QByteArray keyPath = "SOFTWARE\\Quillmark\\Test";
constexpr qint32 root = SysInfoRegistry::LocalMachine;

struct Stored {
    enum Kind { Nothing, KeyOnly, Text, RawBytes, Number } kind;
    quint32 type = 0;
    QByteArray bytes{};
    quint32 number = 0;
};

struct ReadCase {
    const char *name;
    Stored stored;
    const char *entry; // KeyVal on entry
    bool expectedResult;
    QByteArray expected; // KeyVal on return
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class GetKeyValueTest : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(GetKeyValueTest, ConvertsTheValueAndClosesTheKey)
{
    const ReadCase &c = GetParam();
    SysInfoMemoryRegistry registry;
    switch (c.stored.kind) {
    case Stored::Nothing:
        break;
    case Stored::KeyOnly:
        registry.setValue(root, keyPath, "Other", 1, QByteArray("x\0", 2));
        break;
    case Stored::Text:
        registry.setText(root, keyPath, "Value", c.stored.bytes);
        break;
    case Stored::RawBytes:
        registry.setValue(root, keyPath, "Value", c.stored.type, c.stored.bytes);
        break;
    case Stored::Number:
        registry.setNumber32(root, keyPath, "Value", c.stored.number);
        break;
    }

    QString keyVal = QString::fromUtf8(c.entry);
    const bool result =
        GetKeyValue(registry, root, QString::fromLatin1(keyPath), QStringLiteral("Value"), keyVal);

    EXPECT_EQ(result, c.expectedResult);
    EXPECT_EQ(keyVal, QString::fromLatin1(c.expected));
    EXPECT_EQ(registry.openCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueTest,
    ::testing::Values(
        ReadCase{"TextDropsItsTerminatingZero",
                 {Stored::Text, 1, "0123456789"},
                 "old",
                 true,
                 "0123456789"},
        ReadCase{"TextWithoutTerminatorKeptWhole",
                 {Stored::RawBytes, 1, "C:\\Tools\\msinfo32.exe"},
                 "",
                 true,
                 "C:\\Tools\\msinfo32.exe"},
        ReadCase{"TextFillingTheWholeBuffer",
                 {Stored::RawBytes, 1, QByteArray(1023, 'a') + QByteArray("\0", 1)},
                 "",
                 true,
                 QByteArray(1023, 'a')},
        ReadCase{"TextLongerThanTheBufferFails",
                 {Stored::RawBytes, 1, QByteArray(1024, 'a') + QByteArray("\0", 1)},
                 "old",
                 false,
                 ""},
        ReadCase{
            "NumberHighestByteFirst", {Stored::Number, 4, {}, 0x12345678u}, "", true, "&h12345678"},
        ReadCase{
            "NumberSmallGetsLeadingZeros", {Stored::Number, 4, {}, 5u}, "", true, "&h00000005"},
        ReadCase{"NumberUsesUpperCaseDigits",
                 {Stored::Number, 4, {}, 0xDEADBEEFu},
                 "",
                 true,
                 "&hDEADBEEF"},
        ReadCase{"NumberAppendsToTheEntryText",
                 {Stored::Number, 4, {}, 0x0A0B0C0Du},
                 "AB",
                 true,
                 "&hAB0A0B0C0D"},
        ReadCase{"ExpandableTextLeavesEntryAlone",
                 {Stored::RawBytes, 2, "%windir%\\x.exe"},
                 "kept",
                 true,
                 "kept"},
        ReadCase{"MissingKeyClearsEntry", {Stored::Nothing}, "old", false, ""},
        ReadCase{"MissingValueClearsEntry", {Stored::KeyOnly}, "old", false, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GetKeyValueFailure, EmptyTextValueThrowsAndStillClosesTheKey)
{
    SysInfoMemoryRegistry registry;
    registry.setValue(root, keyPath, "Value", SysInfoRegistry::TypeText, {});
    QString keyVal = QStringLiteral("old");
    EXPECT_THROW(
        GetKeyValue(registry, root, QString::fromLatin1(keyPath), QStringLiteral("Value"), keyVal),
        SysInfoFailure);
    EXPECT_EQ(registry.openCount(), 0);
}

TEST(GetKeyValueFailure, NumberShorterThanFourBytesThrows)
{
    SysInfoMemoryRegistry registry;
    registry.setValue(root, keyPath, "Value", SysInfoRegistry::TypeNumber32, "\x01\x02");
    QString keyVal;
    EXPECT_THROW(
        GetKeyValue(registry, root, QString::fromLatin1(keyPath), QStringLiteral("Value"), keyVal),
        SysInfoFailure);
}

// A standard user may read HKEY_LOCAL_MACHINE but not write it: the lookup
// must ask for no more than reading.
TEST(GetKeyValueAccess, ReadsAKeyThatRefusesWriting)
{
    SysInfoMemoryRegistry registry;
    registry.setText(root, keyPath, "Value", "C:\\msinfo32.exe");
    registry.restrictAccess(root, keyPath, SysInfoRegistry::KeyRead);
    QString keyVal;
    EXPECT_TRUE(
        GetKeyValue(registry, root, QString::fromLatin1(keyPath), QStringLiteral("Value"), keyVal));
    EXPECT_EQ(keyVal, QStringLiteral("C:\\msinfo32.exe"));
}

} // namespace
