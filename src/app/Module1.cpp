#include "app/Module1.h"

#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "commands/DatabaseChoice.h"
#include "records/AppSettings.h"
#include "records/CaseDatabase.h"

#include <QApplication>
#include <QFont>

namespace Module1
{

namespace
{
frmMain *g_main = nullptr;
}

frmMain *mainWindow()
{
    return g_main;
}

frmMain *Main()
{
    const DatabaseChoice::Start start = DatabaseChoice::atStart(QString());
    DatabaseChoice::setSessionDecidedBy(start.decidedBy);
    return Main(start.location);
}

void useClassicFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}

frmMain *Main(const QString &databasePath)
{
    AppSettings::DatabasePath = databasePath;
    AppSettings::ConnectString = QString();

    auto *splash = new frmSplash;
    splash->Form_Load();
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    g_main = new frmMain;
    g_main->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(g_main, &QObject::destroyed, qApp, [] { g_main = nullptr; });
    g_main->Form_Load(AppSettings::DatabasePath,
                      DatabaseChoice::mayCreateAtStart(AppSettings::DatabasePath));

    splash->close();
    delete splash;
    g_main->show();
    return g_main;
}

} // namespace Module1
