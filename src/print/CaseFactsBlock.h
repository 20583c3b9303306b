#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class PrinterSurface;

// The eleven ruled lines of the front side that hold the case facts text. The
// surface never wraps, so the block prints the text one character at a time
// and breaks each line itself: at a line break of the text, at the last space
// within the next characters once the line nears its right end, or with a
// hyphen at the right end. A character is what the reader sees as one: a
// letter outside the Basic Multilingual Plane or one with its accents is
// printed whole, never as separate halves. Entered with the position the
// front side leaves; ends at the far corner of the last rule.
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

// The font the front side leaves for the block.
inline const char *const fontName = "Arial";
constexpr double fontSize = 10;
} // namespace CaseFacts

// One ruled line as the block prints it: its characters one at a time,
// staying on the line, then at most one text that ends the line (the rest of
// a line broken at a line break or a space, or the hyphen).
struct CaseFactsLine {
    QStringList characters;
    QString ending;
    bool ends = false; // `ending` is printed with a line end
    bool isEmpty() const { return characters.isEmpty() && ending.isEmpty(); }
};

using TextWidth = std::function<double(const QString &)>;

// The whole text broken into ruled lines as the block breaks it, each
// character measured with `width`; the list ends where the text does.
QList<CaseFactsLine> caseFactsLines(const QString &text, const TextWidth &width);

// The lines from `first` on, `count` ruled lines of them (empty ones where the
// list ends), each with its rule below, from the current position.
void printCaseFactsLines(PrinterSurface &surface, const QList<CaseFactsLine> &lines,
                         qsizetype first, int count);

// The lines of the text in the block's font on this surface, and how many of
// them (up to the last that holds any text) do not fit the form's ruled lines.
QList<CaseFactsLine> caseFactsLinesOn(const PrinterSurface &surface, const QString &text);
int caseFactsOverflow(const QList<CaseFactsLine> &lines);
