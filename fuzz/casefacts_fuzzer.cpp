// libFuzzer target for the case facts block: any text, any character width,
// must print within its eleven ruled lines, never crash and always finish.
#include "print/CaseFactsBlock.h"
#include "support/RecordingSurface.h"

#include <cstdint>
#include <cstdlib>

namespace
{

constexpr size_t maxChars = 2000;

// The first byte picks the character width (0 to 255 twips, so that lines of
// very many or very few characters are tried) and how the rest is read:
// even as Latin-1, odd as UTF-16, which brings in surrogates.
QString textFrom(const uint8_t *data, size_t size, bool utf16)
{
    if (utf16) {
        const size_t units = qMin(size / 2, maxChars);
        return QString(reinterpret_cast<const QChar *>(data), qsizetype(units));
    }
    return QString::fromLatin1(reinterpret_cast<const char *>(data),
                               qsizetype(qMin(size, maxChars)));
}

void check(bool ok)
{
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const double charWidth = data[0];
    // Copy so that UTF-16 units are aligned.
    QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString text = textFrom(reinterpret_cast<const uint8_t *>(rest.constData()),
                                  size_t(rest.size()), data[0] % 2);

    RecordingSurface s;
    s.setMetrics(10, false, charWidth, 230);
    printCaseFacts(s, text);

    const QList<RecordedOp> &ops = s.document().ops;
    int rules = 0;
    qsizetype printed = 0;
    for (qsizetype i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == RecordedOp::Kind::Line) {
            ++rules;
            continue;
        }
        if (ops[i].kind != RecordedOp::Kind::Print || ops[i].text.isEmpty())
            continue;
        printed += ops[i].text.size();
        // Every text stands 250 twips above the rule of its own line, which
        // follows it: nothing is printed past the eleventh line.
        qsizetype r = i + 1;
        while (r < ops.size() && ops[r].kind != RecordedOp::Kind::Line)
            ++r;
        check(r < ops.size());
        check(ops[i].y1 == ops[r].y1 - CaseFacts::textAboveRule);
        check(ops[i].x1 >= 0);
    }
    check(rules == CaseFacts::lineCount);
    // Each character at most once, plus at most one hyphen per line.
    check(printed <= text.size() + CaseFacts::lineCount);
    return 0;
}
