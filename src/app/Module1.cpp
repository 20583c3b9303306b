#include "app/Module1.h"

#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "commands/DatabaseChoice.h"
#include "records/CaseDatabase.h"

#include <QApplication>
#include <QFont>

namespace Module1
{

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
    auto *splash = new frmSplash;
    splash->Form_Load();
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    auto *window = new frmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load(databasePath, DatabaseChoice::mayCreateAtStart(databasePath));

    splash->close();
    delete splash;
    window->show();
    return window;
}

} // namespace Module1
