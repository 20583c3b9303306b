// A server chosen for later starts that wants a password: asked in the
// password box before the main window opens.
#include "app/Module1.h"
#include "app/frmMain.h"
#include "commands/ChoiceFixture.h"
#include "records/CaseDatabase.h"
#include "session/CaseSession.h"

#include <QApplication>
#include <QPointer>

#include <algorithm>

namespace
{

TEST_F(PasswordServer, AStoredServerAsksBeforeTheWindowOpens)
{
    DatabaseChoice::store(location);
    const DatabaseChoice::Start start = DatabaseChoice::atStart(QString());
    ASSERT_EQ(start.location, location);
    bool windowShownWhenAsked = true;
    dialogs.queueDialog([&](QDialog &dialog) {
        const QWidgetList shown = QApplication::topLevelWidgets();
        windowShownWhenAsked = std::any_of(shown.begin(), shown.end(), [](QWidget *w) {
            return qobject_cast<frmMain *>(w) && w->isVisible();
        });
        child<QLineEdit>(dialog, "txtPassword")->setText(password);
        dialog.accept();
        return dialog.result();
    });
    QPointer<frmMain> window = Module1::Main(start.location);
    ASSERT_TRUE(window);
    EXPECT_FALSE(windowShownWhenAsked);
    EXPECT_EQ(dialogs.dialogsShown(), QStringList{QStringLiteral("Password")});
    EXPECT_TRUE(window->session().database()->isOpen());
    EXPECT_FALSE(settingsText().contains(password));
    window->close();
    delete window.data();
}

} // namespace
