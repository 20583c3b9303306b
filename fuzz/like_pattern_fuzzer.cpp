// LIKE patterns against an independent reading of the pattern: a text built
// to match the pattern must match its GLOB, and must lie inside its range.
#include "jet_fuzz_support.h"

#include "jetsql/JetSqlLikePattern.h"

#include <random>
#include <string_view>

namespace
{

// Characters that are nobody's case variant, for the complement of a set.
const char32_t Caseless[] = {U'0', U'5', U'9', U'~', U'!', U' ', U'\u20ac', U'\u4e2d', U'\'', U'%'};
const char32_t Filler[] = {U'a', U'Z', U'0', U'\u00e9', U'[', U']', U'*', U'?', U'\U0010FFFF'};

void append(QString &out, char32_t c)
{
    out += QString::fromUcs4(&c, 1);
}

class Candidate
{
  public:
    explicit Candidate(size_t variation) : m_random(unsigned(variation)) {}

    // Some text that the Jet pattern matches, or empty when none was found.
    std::optional<QString> build(const QList<uint> &p)
    {
        QString out;
        for (qsizetype i = 0; i < p.size(); ++i) {
            const char32_t c = p[i];
            if (c == U'*') {
                for (int n = pick(3); n > 0; --n)
                    append(out, Filler[pick(std::size(Filler))]);
            } else if (c == U'?') {
                append(out, Filler[pick(std::size(Filler))]);
            } else if (c == U'#') {
                append(out, U'0' + pick(10));
            } else if (c == U'[' && p.indexOf(U']', i + 1) > i) {
                const qsizetype close = p.indexOf(U']', i + 1);
                QList<uint> body = p.mid(i + 1, close - i - 1);
                i = close;
                const bool negated = !body.isEmpty() && body[0] == U'!';
                if (negated)
                    body.removeFirst();
                if (!member(body, negated, out))
                    return std::nullopt;
            } else {
                append(out, variant(c));
            }
        }
        return out;
    }

  private:
    int pick(size_t n) { return int(std::uniform_int_distribution<size_t>(0, n - 1)(m_random)); }

    char32_t variant(char32_t c)
    {
        const char32_t choices[] = {c, QChar::toLower(c), QChar::toUpper(c)};
        return choices[pick(3)];
    }

    bool member(const QList<uint> &body, bool negated, QString &out)
    {
        QList<std::pair<char32_t, char32_t>> ranges;
        for (qsizetype k = 0; k < body.size(); ++k) {
            if (k + 2 < body.size() && body[k + 1] == U'-') {
                ranges.append({body[k], body[k + 2]});
                k += 2;
            } else {
                ranges.append({body[k], body[k]});
            }
        }
        if (negated) {
            for (char32_t c : Caseless) {
                if (std::none_of(ranges.begin(), ranges.end(),
                                 [c](auto r) { return c >= r.first && c <= r.second; })) {
                    append(out, c);
                    return true;
                }
            }
            return false;
        }
        if (ranges.isEmpty())
            return true; // [] stands for nothing
        const auto [low, high] = ranges[pick(size_t(ranges.size()))];
        char32_t c = low + char32_t(pick(size_t(std::min<char32_t>(high - low, 1000)) + 1));
        if (QChar::isSurrogate(c))
            c = low;
        append(out, variant(c));
        return true;
    }

    std::minstd_rand m_random;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    std::optional<LikePattern> pattern;
    try {
        pattern.emplace(text);
    } catch (const DataError &) {
        return 0;
    }
    const QByteArray glob = pattern->glob().toUtf8();
    const size_t variation =
        std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char *>(data), size));
    for (size_t round = 0; round < 4; ++round) {
        const std::optional<QString> candidate = Candidate(variation + round).build(text.toUcs4());
        if (!candidate)
            return 0;
        const QByteArray value = candidate->toUtf8();
        if (sqlite3_strglob(glob.constData(), value.constData()) != 0)
            JetFuzz::fail("GLOB misses a matching text", *candidate + "\n" + pattern->glob());
        if (pattern->matchesEveryValue())
            continue;
        if (const auto &range = pattern->range()) {
            if (sqlite3_stricmp(value.constData(), range->lower.toUtf8().constData()) < 0 ||
                (!range->upper.isEmpty() &&
                 sqlite3_stricmp(value.constData(), range->upper.toUtf8().constData()) >= 0))
                JetFuzz::fail("range drops a matching text", *candidate + "\n" + range->lower);
        }
    }
    return 0;
}
