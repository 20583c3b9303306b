#include "platform/MousePointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace MousePointer
{

namespace
{
int g_pointer = Default;
}

void set(int pointer)
{
    if (pointer == g_pointer)
        return;
    // Only one override cursor is ever ours; drop it before setting another.
    if (g_pointer != Default)
        QGuiApplication::restoreOverrideCursor();
    g_pointer = pointer;
    if (pointer == Hourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (pointer != Default)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
}

int current()
{
    return g_pointer;
}

} // namespace MousePointer
