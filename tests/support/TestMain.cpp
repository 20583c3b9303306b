// Every test executable runs inside one QApplication on the offscreen platform.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/PgTestServer.h"

namespace
{

// The run against the server needs the server: without it every test is
// reported skipped with the reason, never passed.
class ServerRun : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        if (testBackend() == CaseBackend::Postgres && !PgTestServer::instance())
            GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests run side by side: each process keeps its home (settings, data,
    // the documents folder that PDF print-outs go to) to itself.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark_Wizard"));
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    qputenv("XDG_DATA_HOME", home.path().toUtf8() + "/data");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ServerRun);
    return RUN_ALL_TESTS();
}
