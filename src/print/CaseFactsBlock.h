#pragma once

#include <QString>

class PrinterSurface;

// The eleven ruled lines of the front side that hold the case facts text. The
// surface never wraps, so the block prints the text one character at a time
// and breaks each line itself: at a line break of the text, at the last space
// within the next characters once the line nears its right end, or with a
// hyphen at the right end. Text beyond the eleventh line is not printed.
// Entered with the position the front side leaves; ends at the far corner of
// the last rule.
void printCaseFacts(PrinterSurface &surface, const QString &text);

namespace CaseFacts
{
constexpr int lineCount = 11;
constexpr double lookAheadFromX = 9500;
constexpr double hyphenFromX = 10580;
constexpr int window = 11;
constexpr double ruleRight = 10680;
constexpr double ruleThickness = 10;
constexpr double textAboveRule = 250;
constexpr double ruleAboveLineEnd = 20;
} // namespace CaseFacts
