#pragma once

#include "session/BackendAbilities.h"

class CaseSession;
class QAction;

// The menus' side of the back end's abilities: a command the open
// database cannot do is switched off with the reason as its tooltip.
namespace AbilityActions
{

// Sets `action` on or off (with the reason) now and whenever the session
// works on another database.
void follow(CaseSession &session, QAction *action, Ability ability);
// Whether the session's database can do it; when not, the steward is told
// why and the command does nothing.
bool mayRun(const CaseSession &session, Ability ability);

} // namespace AbilityActions
