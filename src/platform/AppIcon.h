#pragma once

#include <QIcon>

// The application's icon, the same picture the desktop's menu shows: a quill
// over a case form, rendered from one SVG at the build into every size a
// title bar, a task bar or a switcher asks for.
namespace AppIcon
{

QIcon icon();

} // namespace AppIcon
