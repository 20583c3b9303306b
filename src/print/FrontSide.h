#pragma once

#include "records/CaseFields.h"

#include <QImage>
#include <QString>
#include <array>

class PrinterSurface;

// What the front side prints: the texts of the bound boxes txtFields(0..21)
// exactly as they stand, the case facts text and the logo.
struct FrontSideData {
    static constexpr int fieldCount = CaseFields::BoundFieldCount;
    std::array<QString, fieldCount> fields;
    QString caseFacts;
    QImage logo;
};

// PART 1 of the complaint form, filled in. Apart from the logo and the first
// title line every text and rule is placed relative to where the previous one
// ended, so the page follows the fonts' line heights. Draws one page and does
// not end the document.
void drawFrontSide(PrinterSurface &surface, const FrontSideData &data);
