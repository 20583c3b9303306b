#include "commands/AbilityActions.h"

#include "platform/Dialogs.h"
#include "session/CaseSession.h"

#include <QAction>
#include <QMenu>

namespace AbilityActions
{

namespace
{

void show(const CaseSession &session, QAction *action, Ability ability)
{
    const QString why = session.whyNot(ability);
    action->setEnabled(why.isEmpty());
    action->setToolTip(why);
    for (QObject *w : action->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(w))
            menu->setToolTipsVisible(true);
}

} // namespace

void follow(CaseSession &session, QAction *action, Ability ability)
{
    show(session, action, ability);
    QObject::connect(&session, &CaseSession::databaseChanged, action,
                     [&session, action, ability] { show(session, action, ability); });
}

bool mayRun(const CaseSession &session, Ability ability)
{
    const QString why = session.whyNot(ability);
    if (why.isEmpty())
        return true;
    Dialogs::instance().message(why, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
    return false;
}

} // namespace AbilityActions
