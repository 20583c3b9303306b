#pragma once

#include <QIcon>
#include <QPixmap>

// The program's emblem, drawn rather than shipped as an image file: a case
// sheet with a quill across it.
namespace AboutLogo
{

// The emblem at `size` × `size` pixels in full colour, its rounded corners
// on `background`.
QPixmap picture(int size, const QColor &background);

// The About box's window icon: the emblem at 32 × 32 in the 16 standard
// colours.
QIcon windowIcon();

} // namespace AboutLogo
