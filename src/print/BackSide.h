#pragma once

class PrinterSurface;

// PART II of the complaint form, the supervisor's side: headings, labels and
// writing lines, the same for every record. Draws one page and does not end
// the document.
void drawBackSide(PrinterSurface &surface);
