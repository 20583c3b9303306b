// A private file is made new or not at all: a name already taken, by a file
// or by a link someone placed there, is refused, and whatever it points to
// stays exactly as it was.
#include "platform/core/PrivateFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

struct TakenName {
    const char *name;
    const char *linkTo; // nullptr: the name is the existing file itself
};

class PrivateFileName : public ::testing::TestWithParam<TakenName>
{
};

TEST_P(PrivateFileName, TakenNameIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("someone's.pdf"));
    QFile other(existing);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("kept");
    other.close();
    ASSERT_EQ(::chmod(QFile::encodeName(existing).constData(), 0604), 0);

    QString path = existing;
    if (GetParam().linkTo) {
        path = dir.filePath(QStringLiteral("Back side.pdf"));
        ASSERT_TRUE(QFile::link(dir.filePath(QString::fromUtf8(GetParam().linkTo)), path));
    }
    QString error;
    EXPECT_FALSE(PrivateFiles::createFile(path, &error));
    EXPECT_FALSE(error.isEmpty());

    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "kept");
    struct stat st {
    };
    ASSERT_EQ(::stat(QFile::encodeName(existing).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("absent"))));
}

INSTANTIATE_TEST_SUITE_P(Names, PrivateFileName,
                         ::testing::Values(TakenName{"ExistingFile", nullptr},
                                           TakenName{"LinkToAFile", "someone's.pdf"},
                                           TakenName{"LinkToNothing", "absent"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
