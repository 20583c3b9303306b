// The temporary PDF made for a CUPS job holds the case's details: it is the
// owner's alone while it exists and gone as soon as CUPS has answered,
// whether it took the job or refused it.
#include "print/BackSide.h"
#include "print/CupsJobSurface.h"
#include "print/DefaultPrinterProvider.h"

#include "QtPrinting.h"

#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

QString modeOf(const QString &path)
{
    struct stat st {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    return QString::number(st.st_mode & 07777, 8);
}

// A queue that writes PDF files, so an accepted job never reaches paper.
bool isCupsPdfQueue(const QString &queue)
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-v"), queue});
    lpstat.waitForFinished(30000);
    return lpstat.readAllStandardOutput().contains("cups-pdf:");
}

struct SpoolCase {
    const char *name;
    const char *queue;
    bool accepted;
};

class PrintSpool : public ::testing::TestWithParam<SpoolCase>
{
};

TEST_P(PrintSpool, TemporaryPdfIsPrivateAndGoneOnceCupsAnswered)
{
    const SpoolCase &c = GetParam();
    if (c.accepted && !isCupsPdfQueue(QString::fromUtf8(c.queue)))
        GTEST_SKIP() << "no cups-pdf queue " << c.queue << "; scripts/start-cups.sh sets one up";
    // The rights a file gets when nobody asks for less.
    const mode_t umaskBefore = ::umask(022);
    const auto restore = qScopeGuard([umaskBefore] { ::umask(umaskBefore); });

    QString error;
    const QString queue = QString::fromUtf8(c.queue);
    const auto surface =
        DefaultPrinterProvider::openCups(queue, DefaultPrinterProvider::lookUp({queue, {}}).layout,
                                         QStringLiteral("Quillmark spool test"), error);
    ASSERT_TRUE(surface) << error.toStdString();
    const auto *job = dynamic_cast<CupsJobSurface *>(surface.get());
    ASSERT_TRUE(job);
    surface->setScaleLeft(-560);
    drawBackSide(*surface);
    // A page is drawn into the file once it is complete: starting a second
    // one puts the first on disk, where its rights can be seen.
    surface->newPage();
    const QString file = job->spoolFile();
    const QString folder = QFileInfo(file).absolutePath();
    EXPECT_EQ(modeOf(file), QStringLiteral("600"));
    EXPECT_EQ(modeOf(folder), QStringLiteral("700"));

    EXPECT_EQ(surface->endDoc(), c.accepted) << surface->lastError().toStdString();
    EXPECT_EQ(job->jobId() > 0, c.accepted);
    // The surface lives on (the job frame still writes its status texts);
    // the page must not.
    EXPECT_EQ(modeOf(file), QStringLiteral("missing"));
    EXPECT_EQ(modeOf(folder), QStringLiteral("missing"));
}

INSTANTIATE_TEST_SUITE_P(Answers, PrintSpool,
                         ::testing::Values(SpoolCase{"TakenByCups", "PDF", true},
                                           SpoolCase{"RefusedByCups", "No-Such-Queue-For-Quillmark",
                                                     false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
