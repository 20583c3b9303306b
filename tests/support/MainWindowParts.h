#pragma once

#include "app/StatusBar.h"
#include "support/WindowControls.h"

// The main window's status bar, found by its object name as the other
// controls are.
inline StatusBar *windowStatusBar(const QObject &window)
{
    return windowControl<StatusBar>(window, QStringLiteral("sbStatusBar"));
}
