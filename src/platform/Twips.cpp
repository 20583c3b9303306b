#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace Twips
{

double screenDpi()
{
    if (auto *s = QGuiApplication::primaryScreen())
        return s->logicalDotsPerInchX();
    return 96.0;
}

int toPixels(double twips)
{
    return int(std::lround(twips * screenDpi() / perInch));
}

double fromPixels(int pixels)
{
    return pixels * perInch / screenDpi();
}

QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
