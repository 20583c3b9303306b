#pragma once

#include <QImage>

// The union emblem in the form's top left corner: 422 x 361 pixels, one bit
// per pixel, drawn here rather than taken from any printed form.
QImage formLogo();
