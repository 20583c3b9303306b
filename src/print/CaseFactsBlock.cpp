#include "print/CaseFactsBlock.h"

#include "platform/Classic.h"
#include "print/PrinterSurface.h"

#include <limits>

namespace
{

// Positions count from 1, as the form's line breaking was laid out; a
// position outside the text reads as no character, which is neither a line
// break nor a space.
class Text
{
  public:
    explicit Text(const QString &text) : m_text(text) {}

    // The position is a 16-bit value: the text is read no further than
    // position 32767 rather than let it wrap round to a negative position.
    int length() const
    {
        return int(qMin(m_text.size(), qsizetype(std::numeric_limits<qint16>::max())));
    }
    QChar at(int position) const
    {
        return position >= 1 && position <= length() ? m_text.at(position - 1) : QChar();
    }
    bool isLineBreak(int position) const
    {
        const QChar c = at(position);
        return c == QLatin1Char('\n') || c == QLatin1Char('\r');
    }
    bool isSpace(int position) const { return at(position) == QLatin1Char(' '); }
    QString mid(int position, int count) const { return m_text.mid(position - 1, count); }

  private:
    const QString &m_text;
};

// A line break is a carriage return and line feed pair, or a lone one of
// them. `first` is where it begins, `next` the position after it.
struct Break {
    int first;
    int next;
};

Break lineBreakAt(const Text &t, int q, int p)
{
    if (t.at(q) == QLatin1Char('\n') && q - 1 >= p && t.at(q - 1) == QLatin1Char('\r'))
        return {q - 1, q + 1};
    if (t.at(q) == QLatin1Char('\r') && t.at(q + 1) == QLatin1Char('\n'))
        return {q, q + 2};
    return {q, q + 1};
}

// Searches run from the far end of the window back towards P, so the break
// chosen is the last line break, or failing that the last space, within the
// next characters. The text before it is printed with a line end and the
// next line starts after it. Returns false when neither is in the window.
bool breakInWindow(PrinterSurface &s, const Text &t, int &p)
{
    for (int q = p + CaseFacts::window - 1; q >= p; --q) {
        if (!t.isLineBreak(q))
            continue;
        const Break b = lineBreakAt(t, q, p);
        if (b.first > p)
            s.print(t.mid(p, b.first - p), false);
        p = b.next;
        return true;
    }
    for (int q = p + CaseFacts::window - 1; q >= p; --q) {
        if (!t.isSpace(q))
            continue;
        if (q > p)
            s.print(t.mid(p, q - p), false);
        p = q + 1;
        return true;
    }
    return false;
}

// Prints the characters of one ruled line, starting at P.
void printLineText(PrinterSurface &s, const Text &t, int &p)
{
    bool searched = false;
    while (p <= t.length()) {
        if (t.isLineBreak(p)) {
            // A paragraph end where the line has got to: the line ends here.
            p = lineBreakAt(t, p, p).next;
            return;
        }
        s.print(QString(t.at(p)), true);
        ++p;
        // The window is searched once per line; a word too long for it is
        // cut with a hyphen instead.
        if (s.currentX() > CaseFacts::lookAheadFromX && !searched) {
            if (breakInWindow(s, t, p))
                return;
            searched = true;
        }
        if (s.currentX() > CaseFacts::hyphenFromX) {
            s.print(QStringLiteral("-"), false);
            return;
        }
    }
}

} // namespace

void printCaseFacts(PrinterSurface &s, const QString &text)
{
    const Text t(text);
    int p = 1;
    for (int line = 1; line <= CaseFacts::lineCount; ++line) {
        s.print(QString(), false);
        s.print(QString(), false);
        s.setCurrentY(s.currentY() - CaseFacts::ruleAboveLineEnd);
        const qint16 u = Classic::snapshot16(s.currentY());
        s.setCurrentY(s.currentY() - CaseFacts::textAboveRule);

        printLineText(s, t, p);

        s.setCurrentY(u);
        s.line(0, u, CaseFacts::ruleRight, u + CaseFacts::ruleThickness);
    }
}
