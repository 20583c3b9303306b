#include "jetsql/JetSqlLikePattern.h"

#include "jetsql/DataError.h"

#include <QList>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace
{

using Interval = std::pair<char32_t, char32_t>; // inclusive

constexpr char32_t MaxCodePoint = 0x10FFFF;
// SQLite refuses longer GLOB patterns at run time (SQLITE_MAX_LIKE_PATTERN_LENGTH);
// saying so here gives the steward a clear message instead.
constexpr qsizetype MaxGlobBytes = 50000;

void appendCodePoint(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

// The characters that compare equal to c: the simple mappings both ways, so
// that "É" and "é" find each other. Wide ranges ask this of thousands of
// characters, hence no allocation.
struct CaseVariants {
    std::array<char32_t, 5> chars{};
    size_t count = 0;
    const char32_t *begin() const { return chars.data(); }
    const char32_t *end() const { return chars.data() + count; }
    size_t size() const { return count; }
};

CaseVariants caseVariants(char32_t c)
{
    CaseVariants variants;
    const char32_t lower = QChar::toLower(c);
    const char32_t upper = QChar::toUpper(c);
    for (char32_t v : {c, lower, upper, QChar::toLower(upper), QChar::toUpper(lower)}) {
        if (std::find(variants.begin(), variants.end(), v) == variants.end())
            variants.chars[variants.count++] = v;
    }
    return variants;
}

// Every code point that has another case, ascending. A range in a set such as
// [a-z] must also admit the other case of each letter it spans; this list lets
// that be found without walking every code point of a wide range.
const std::vector<char32_t> &casedCodePoints()
{
    static const std::vector<char32_t> list = [] {
        std::vector<char32_t> cased;
        for (char32_t c = 0; c <= MaxCodePoint; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            if (QChar::toLower(c) != c || QChar::toUpper(c) != c)
                cased.push_back(c);
        }
        return cased;
    }();
    return list;
}

QList<Interval> withCaseVariants(const QList<Interval> &members)
{
    QList<Interval> out = members;
    const auto &cased = casedCodePoints();
    for (const auto &[low, high] : members) {
        auto it = std::lower_bound(cased.begin(), cased.end(), low);
        for (; it != cased.end() && *it <= high; ++it) {
            for (char32_t v : caseVariants(*it)) {
                if (v < low || v > high)
                    out.append({v, v});
            }
        }
    }
    return out;
}

QList<Interval> normalized(QList<Interval> list)
{
    std::sort(list.begin(), list.end());
    QList<Interval> merged;
    for (const auto &iv : list) {
        if (!merged.isEmpty() && iv.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, iv.second);
        else
            merged.append(iv);
    }
    return merged;
}

// Takes c out of the intervals; tells whether it was there.
bool takeOut(QList<Interval> &list, char32_t c)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        const auto [low, high] = list[i];
        if (c < low || c > high)
            continue;
        list.removeAt(i);
        if (c < high)
            list.insert(i, {c + 1, high});
        if (c > low)
            list.insert(i, {low, c - 1});
        return true;
    }
    return false;
}

// Writes a GLOB element matching one character of the set (or of its
// complement). In a GLOB set `]` is literal only first, `-` only first or
// last, and `^` anywhere but first, so those three are placed by hand.
void appendSet(QString &glob, const QList<Interval> &members, bool negated)
{
    QList<Interval> rest = normalized(members);
    const bool closeBracket = takeOut(rest, U']');
    const bool dash = takeOut(rest, U'-');
    const bool caret = takeOut(rest, U'^');

    qint64 count = closeBracket + dash + caret;
    for (const auto &[low, high] : rest)
        count += qint64(high - low) + 1;
    if (!negated && count == 1) {
        const char32_t only = closeBracket ? U']' : dash ? U'-' : caret ? U'^' : rest[0].first;
        if (only == U'*' || only == U'?' || only == U'[') {
            glob.append(u'[');
            appendCodePoint(glob, only);
            glob.append(u']');
        } else {
            appendCodePoint(glob, only);
        }
        return;
    }
    glob.append(negated ? QLatin1String("[^") : QLatin1String("["));
    if (closeBracket)
        glob.append(u']');
    if (dash)
        glob.append(u'-');
    for (const auto &[low, high] : rest) {
        appendCodePoint(glob, low);
        if (high > low) {
            glob.append(u'-');
            appendCodePoint(glob, high);
        }
    }
    if (caret)
        glob.append(u'^');
    glob.append(u']');
}

// The members of a set's body as written: `a-z` is a range, `-` first or
// last stands for itself.
QList<Interval> setMembers(const QList<uint> &body, const QString &pattern)
{
    QList<Interval> members;
    for (qsizetype k = 0; k < body.size(); ++k) {
        if (k + 2 < body.size() && body[k + 1] == U'-') {
            if (body[k] > body[k + 2]) {
                QString range;
                appendCodePoint(range, body[k]);
                range.append(u'-');
                appendCodePoint(range, body[k + 2]);
                throw DataError(DataErrors::Syntax,
                                QStringLiteral("Invalid LIKE pattern '%1': the range %2 runs "
                                               "backwards.")
                                    .arg(pattern.left(60), range));
            }
            members.append({body[k], body[k + 2]});
            k += 2;
        } else {
            members.append({body[k], body[k]});
        }
    }
    return members;
}

} // namespace

LikePattern::LikePattern(const QString &pattern)
{
    const QList<uint> chars = pattern.toUcs4();
    if (chars.contains(0u))
        throw DataError(DataErrors::Syntax,
                        QStringLiteral("Invalid LIKE pattern: it contains a NUL character."));

    // The literal characters the pattern starts with, folded as NOCASE folds.
    QList<char32_t> prefix;
    bool prefixOpen = true;
    // Whether a `*` ended the prefix and nothing but `*` came after it.
    bool onlyStarsAfterPrefix = false;
    auto closePrefix = [&](bool byStar) {
        if (prefixOpen)
            onlyStarsAfterPrefix = byStar;
        else if (!byStar)
            onlyStarsAfterPrefix = false;
        prefixOpen = false;
    };
    auto literal = [&](char32_t c) {
        const CaseVariants variants = caseVariants(c);
        QList<Interval> members;
        for (char32_t v : variants)
            members.append({v, v});
        appendSet(m_glob, members, false);
        if (!prefixOpen) {
            onlyStarsAfterPrefix = false;
            return;
        }
        // NOCASE folds A-Z and nothing else; a character with any other case
        // variant would be ordered apart from its variants, so the prefix ends.
        const bool folds = variants.size() == 1 || std::all_of(variants.begin(), variants.end(),
                                                               [](char32_t v) { return v < 0x80; });
        if (folds)
            prefix.append(c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c);
        else
            closePrefix(false);
    };

    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        switch (c) {
        case U'*':
            m_glob.append(u'*');
            closePrefix(true);
            break;
        case U'?':
            m_glob.append(u'?');
            closePrefix(false);
            break;
        case U'#':
            m_glob.append(QLatin1String("[0-9]"));
            closePrefix(false);
            break;
        case U'[': {
            const qsizetype close = chars.indexOf(uint(U']'), i + 1);
            if (close < 0) {
                literal(c);
                break;
            }
            QList<uint> body = chars.mid(i + 1, close - i - 1);
            i = close;
            const bool negated = !body.isEmpty() && body.first() == U'!';
            if (negated)
                body.removeFirst();
            const QList<Interval> members = setMembers(body, pattern);
            if (!negated && members.size() == 1 && members[0].first == members[0].second) {
                literal(members[0].first); // [*], [?], [#], [[] and the like
                break;
            }
            closePrefix(false);
            if (members.isEmpty()) {
                if (negated)
                    m_glob.append(u'?');
                break;
            }
            appendSet(m_glob, withCaseVariants(members), negated);
            break;
        }
        default:
            literal(c);
        }
    }

    if (m_glob.toUtf8().size() > MaxGlobBytes)
        throw DataError(
            DataErrors::Unsupported,
            QStringLiteral("The LIKE pattern is too long (%1 characters).").arg(pattern.size()));

    m_matchesEveryValue = !chars.isEmpty() &&
                          std::all_of(chars.begin(), chars.end(), [](uint c) { return c == U'*'; });

    if (prefix.isEmpty())
        return;
    Range range;
    for (char32_t c : prefix)
        appendCodePoint(range.lower, c);
    // The least string above every string that begins with the prefix: the
    // last character one higher, dropping characters that cannot go higher.
    QList<char32_t> upper = prefix;
    while (!upper.isEmpty()) {
        char32_t &last = upper.last();
        if (last >= MaxCodePoint) {
            upper.removeLast();
            continue;
        }
        // Surrogates are no characters; and A-Z fold to a-z, so the character
        // that follows '@' in NOCASE order is '['.
        last = last == 0xD7FF ? 0xE000 : last == U'@' ? U'[' : last + 1;
        break;
    }
    for (char32_t c : upper)
        appendCodePoint(range.upper, c);
    m_range = range;
    m_rangeIsExact = onlyStarsAfterPrefix && !range.upper.isEmpty();
}
