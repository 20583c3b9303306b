#pragma once

#include "print/FrontSide.h"

class PrinterSurface;

// Which pages of the complaint form a document holds, in this order.
struct FormPages {
    bool front = false;
    // The case facts lines the front side has no room for, on pages of
    // their own after it (only with the front side).
    bool continuation = false;
    bool back = false;
};

// The one render function of the complaint form: the print jobs, Save Form
// as PDF and the print preview all draw through it, so the preview shows
// what prints. Sets the origin, draws the pages asked for, each after the
// first on a new page, and does not end the document.
void drawForm(PrinterSurface &surface, const FrontSideData &data, const FormPages &pages);
