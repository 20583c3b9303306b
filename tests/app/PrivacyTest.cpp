// The steward's files belong to the steward alone: a first start, a PDF
// print-out and the settings give owner-only rights whatever the session's
// umask, and a database others can already read is left as it is, with a
// word to the steward.
#include "support/CaseFixture.h"
#include "support/MainWindowParts.h"
#include "support/WindowControls.h"

#include "app/Module1.h"
#include "app/StatusBar.h"
#include "platform/core/AppInfo.h"
#include "print/DefaultPrinterProvider.h"

#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>

#include <sys/stat.h>

namespace
{

std::string modeOf(const QString &path)
{
    struct stat st {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return "missing";
    return QString::number(st.st_mode & 07777, 8).toStdString();
}

// The default printer's way when there is no printer, whatever CUPS offers
// on this machine.
class PdfFallback : public PrinterProvider
{
  public:
    std::unique_ptr<PrinterSurface> open(PrintSide side, const QString &number) override
    {
        return DefaultPrinterProvider::openPdfFile(DefaultPrinterProvider::pdfFolder(), side,
                                                   number, m_error);
    }
    QString lastError() const override { return m_error; }

  private:
    QString m_error;
};

class PrivateByDefault : public ::testing::TestWithParam<mode_t>
{
};

TEST_P(PrivateByDefault, FirstStartAndPdfPrintOutAreTheOwnersAlone)
{
    // An empty home, as on a new account, under the session's umask.
    const QTemporaryDir home;
    const QByteArray homeBefore = qgetenv("HOME");
    const mode_t umaskBefore = ::umask(GetParam());
    const auto restore = qScopeGuard([&] {
        ::umask(umaskBefore);
        qputenv("HOME", homeBefore);
    });
    qputenv("HOME", home.path().toUtf8());
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("QUILLMARK_DATABASE"));

    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window(Module1::Main());
    PdfFallback printers;
    window->setPrinterProvider(&printers);
    QTest::mouseClick(windowButton(*window, "cmdPrintBack"), Qt::LeftButton);

    const QString database = CaseDatabase::defaultPath();
    const QString pdfFolder = DefaultPrinterProvider::pdfFolder();
    const QStringList pdfs = QDir(pdfFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1) << "the back side in " << pdfFolder.toStdString();
    ASSERT_TRUE(database.startsWith(home.path()) && pdfFolder.startsWith(home.path()));
    QMap<QString, std::string> expected;
    // Every folder the program made, up to the home folder.
    for (QString folder : {QFileInfo(database).absolutePath(), pdfFolder}) {
        for (; folder.startsWith(home.path() + '/'); folder = QFileInfo(folder).absolutePath())
            expected.insert(folder, "700");
    }
    for (const QString &file : {database, database + QStringLiteral("-wal"),
                                database + QStringLiteral("-shm"), pdfFolder + '/' + pdfs[0]})
        expected.insert(file, "600");
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(modeOf(it.key()), it.value()) << it.key().toStdString();

    // An export, and the backups taken on opening and closing.
    const QString exported = home.path() + QStringLiteral("/employees.csv");
    dialogs.queueDialog([](QDialog &d) { return int(d.Accepted); });
    dialogs.queueSaveFileName(exported);
    windowAction(*window, "mnuFileExport")->trigger();
    EXPECT_EQ(modeOf(exported), "600");
    window->close();
    const QString backups = QFileInfo(database).absolutePath() + QStringLiteral("/Backups");
    EXPECT_EQ(modeOf(backups), "700");
    const QStringList copies = QDir(backups).entryList({QStringLiteral("*.db")}, QDir::Files);
    EXPECT_FALSE(copies.isEmpty());
    for (const QString &copy : copies)
        EXPECT_EQ(modeOf(backups + QLatin1Char('/') + copy), "600") << copy.toStdString();
    // The settings, which say where the database is, written on closing.
    const QString settings = QSettings(AppInfo::title(), AppInfo::title()).fileName();
    EXPECT_EQ(modeOf(settings), "600") << settings.toStdString();
    EXPECT_EQ(modeOf(QFileInfo(settings).absolutePath()), "700");
}

INSTANTIATE_TEST_SUITE_P(
    Umasks, PrivateByDefault, ::testing::Values(mode_t(022), mode_t(002)), [](const auto &info) {
        return "Umask" + QStringLiteral("%1").arg(info.param, 3, 8, QLatin1Char('0')).toStdString();
    });

struct SharedCase {
    const char *name;
    mode_t file, folder;
    bool notice;
};

class SharedDatabase : public MainWindowTest, public ::testing::WithParamInterface<SharedCase>
{
};

TEST_P(SharedDatabase, IsOpenedAsItIsAndTheStewardIsTold)
{
    db.open();
    const QString folder = QFileInfo(db.path()).absolutePath();
    ASSERT_EQ(::chmod(QFile::encodeName(db.path()).constData(), GetParam().file), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), GetParam().folder), 0);
    start();

    const QString status = windowStatusBar(*window)->panelText(1);
    const QString notice = QStringLiteral("Other users on this computer can read Quillmark.db. To "
                                          "make it private, run: chmod 600 \"%1\"")
                               .arg(db.path());
    EXPECT_EQ(status == notice, GetParam().notice) << status.toStdString();
    EXPECT_EQ(modeOf(db.path()), QString::number(GetParam().file, 8).toStdString());
    EXPECT_EQ(modeOf(folder), QString::number(GetParam().folder, 8).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Rights, SharedDatabase,
                         ::testing::Values(SharedCase{"ReadableByAll", 0644, 0755, true},
                                           SharedCase{"OwnersAlone", 0600, 0755, false},
                                           SharedCase{"InAClosedFolder", 0644, 0700, false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
