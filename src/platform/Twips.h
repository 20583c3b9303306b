#pragma once

#include <QRect>

// Window layouts are kept in twips (1440 to the inch); this is the one place
// where they become pixels of the screen.
namespace Twips
{

constexpr int perInch = 1440;

// Logical dots per inch of the primary screen (96 on most desktops and on the
// offscreen platform).
double screenDpi();

int toPixels(double twips);
double fromPixels(int pixels);
QRect rect(int left, int top, int width, int height);

} // namespace Twips
