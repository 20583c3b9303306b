#include "jetsql/PostgresRegex.h"

#include <QList>

namespace
{

// Every character but an ASCII letter or digit is written as its code
// point: nothing the steward types can then mean anything to the regular
// expression, inside a bracket or out of it.
void appendLiteral(QString &out, char32_t c)
{
    if (c < 0x80 && QChar::isLetterOrNumber(c))
        out.append(QChar(char16_t(c)));
    else if (c <= 0xFFFF)
        out.append(QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0')));
    else
        out.append(QStringLiteral("\\U%1").arg(uint(c), 8, 16, QLatin1Char('0')));
}

} // namespace

// A set's `]` is literal first; `-` makes a range only between two
// characters, as in SQLite's GLOB.
QString PostgresRegex::fromGlob(const QString &glob)
{
    const QList<uint> g = glob.toUcs4();
    const qsizetype n = g.size();
    QString out = QStringLiteral("^");
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = g[i];
        if (c == U'*') {
            out.append(QLatin1String(".*"));
        } else if (c == U'?') {
            out.append(u'.');
        } else if (c == U'[') {
            qsizetype j = i + 1;
            const bool negated = j < n && g[j] == U'^';
            if (negated)
                ++j;
            out.append(negated ? QLatin1String("[^") : QLatin1String("["));
            bool hasPrior = false;
            if (j < n && g[j] == U']') {
                appendLiteral(out, U']');
                ++j;
            }
            while (j < n && g[j] != U']') {
                if (g[j] == U'-' && hasPrior && j + 1 < n && g[j + 1] != U']') {
                    out.append(u'-');
                    appendLiteral(out, g[j + 1]);
                    j += 2;
                    hasPrior = false;
                    continue;
                }
                appendLiteral(out, g[j]);
                hasPrior = true;
                ++j;
            }
            out.append(u']');
            i = j;
        } else {
            appendLiteral(out, c);
        }
    }
    out.append(u'$');
    return out;
}
