#include "print/CaseFactsBlock.h"

#include "platform/core/Classic.h"
#include "print/PrinterSurface.h"

#include <QTextBoundaryFinder>
#include <limits>
#include <vector>

namespace
{

// The text as a run of characters, each one the reader sees as one (a
// grapheme: a surrogate pair, a letter with its accents, a carriage return
// with its line feed). Positions count from 1, as the form's line breaking
// was laid out; a position outside the text reads as no character, which is
// neither a line break nor a space.
class Text
{
  public:
    explicit Text(const QString &text) : m_text(text)
    {
        // The position is a 16-bit value: the text is read no further than
        // position 32767 rather than let it wrap round to a negative position.
        constexpr qsizetype maxCharacters = std::numeric_limits<qint16>::max();
        m_starts.push_back(0);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        while (qsizetype(m_starts.size()) <= maxCharacters) {
            const qsizetype next = finder.toNextBoundary();
            if (next <= m_starts.back())
                break;
            m_starts.push_back(next);
        }
    }

    int length() const { return int(m_starts.size()) - 1; }
    QStringView at(int position) const
    {
        if (position < 1 || position > length())
            return {};
        return mid(position, 1);
    }
    bool isLineBreak(int position) const
    {
        const QStringView c = at(position);
        return !c.isEmpty() && (c.front() == QLatin1Char('\n') || c.front() == QLatin1Char('\r'));
    }
    bool isSpace(int position) const { return at(position) == QLatin1String(" "); }
    QStringView mid(int position, int count) const
    {
        const qsizetype from = m_starts[size_t(position - 1)];
        return QStringView(m_text).mid(from, m_starts[size_t(position - 1 + count)] - from);
    }

  private:
    const QString &m_text;
    std::vector<qsizetype> m_starts; // where each character begins, and the end
};

// Looks at the next characters once the line nears its right end. A line
// break there always ends the line at the first one, so that no text of the
// next paragraph is drawn on this line; failing that, the line ends at the
// last space. The text before the break ends the line and the next line
// starts after it. Returns false when the window holds neither.
bool breakInWindow(CaseFactsLine &line, const Text &t, int &p)
{
    for (int q = p; q < p + CaseFacts::window; ++q) {
        if (!t.isLineBreak(q))
            continue;
        line.ending = t.mid(p, q - p).toString();
        line.ends = q > p;
        p = q + 1;
        return true;
    }
    for (int q = p + CaseFacts::window - 1; q >= p; --q) {
        if (!t.isSpace(q))
            continue;
        line.ending = t.mid(p, q - p).toString();
        line.ends = q > p;
        p = q + 1;
        return true;
    }
    return false;
}

// The characters of one ruled line, starting at P.
CaseFactsLine nextLine(const Text &t, int &p, const TextWidth &width)
{
    CaseFactsLine line;
    double x = 0;
    bool searched = false;
    while (p <= t.length()) {
        if (t.isLineBreak(p)) {
            // A paragraph end where the line has got to: the line ends here.
            ++p;
            break;
        }
        const QString c = t.at(p).toString();
        line.characters.append(c);
        x += width(c);
        ++p;
        // The window is searched once per line; a word too long for it is
        // cut with a hyphen instead.
        if (x > CaseFacts::lookAheadFromX && !searched) {
            if (breakInWindow(line, t, p))
                break;
            searched = true;
        }
        if (x > CaseFacts::hyphenFromX) {
            line.ending = QStringLiteral("-");
            line.ends = true;
            break;
        }
    }
    return line;
}

} // namespace

QList<CaseFactsLine> caseFactsLines(const QString &text, const TextWidth &width)
{
    const Text t(text);
    QList<CaseFactsLine> lines;
    int p = 1;
    while (p <= t.length())
        lines.append(nextLine(t, p, width));
    return lines;
}

void printCaseFactsLines(PrinterSurface &s, const QList<CaseFactsLine> &lines, qsizetype first,
                         int count)
{
    for (int k = 0; k < count; ++k) {
        s.print(QString(), false);
        s.print(QString(), false);
        s.setCurrentY(s.currentY() - CaseFacts::ruleAboveLineEnd);
        const qint16 u = Classic::snapshot16(s.currentY());
        s.setCurrentY(s.currentY() - CaseFacts::textAboveRule);

        if (first + k < lines.size()) {
            const CaseFactsLine &line = lines.at(first + k);
            for (const QString &c : line.characters)
                s.print(c, true);
            if (line.ends)
                s.print(line.ending, false);
        }

        s.setCurrentY(u);
        s.line(0, u, CaseFacts::ruleRight, u + CaseFacts::ruleThickness);
    }
}

void printCaseFacts(PrinterSurface &s, const QString &text)
{
    const QList<CaseFactsLine> lines = caseFactsLines(text, [&s](const QString &c) {
        return s.measure(c, s.fontName(), s.fontSize(), s.fontBold());
    });
    printCaseFactsLines(s, lines, 0, CaseFacts::lineCount);
}

QList<CaseFactsLine> caseFactsLinesOn(const PrinterSurface &s, const QString &text)
{
    const QString font = QString::fromLatin1(CaseFacts::fontName);
    return caseFactsLines(text, [&s, &font](const QString &c) {
        return s.measure(c, font, CaseFacts::fontSize, false);
    });
}

int caseFactsOverflow(const QList<CaseFactsLine> &lines)
{
    qsizetype used = lines.size();
    while (used > 0 && lines.at(used - 1).isEmpty())
        --used;
    return int(qMax<qsizetype>(0, used - CaseFacts::lineCount));
}
