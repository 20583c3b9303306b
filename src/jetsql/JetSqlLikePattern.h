#pragma once

#include <QString>
#include <optional>

// A Jet LIKE pattern translated for SQLite: `*` any run, `?` one character,
// `#` one digit, `[set]`, `[!set]` and ranges, `[*]` `[?]` `[#]` `[[]` as
// literals, all case-insensitive. SQLite's LIKE cannot express sets and its
// case folding is ASCII-only, so the pattern becomes a GLOB in which every
// letter is the set of its case variants.
//
// An unterminated `[` stands for itself: the lookup box runs the pattern on
// every keystroke, and a half-typed set such as `[a-` should find the file
// numbers that really begin with "[a-" instead of raising an error each time.
// `[]` matches nothing (zero characters) and `[!]` any one character.
class LikePattern
{
  public:
    // Values that every match lies within in SQLite's NOCASE order, so that an
    // index on a NOCASE column can be used: lower <= value < upper. An empty
    // upper means no upper bound.
    struct Range {
        QString lower;
        QString upper;
    };

    // Throws DataError(Syntax) for a descending range such as [z-a] and for a
    // NUL character, and DataError(Unsupported) for a pattern too long for SQLite.
    explicit LikePattern(const QString &pattern);

    const QString &glob() const { return m_glob; }

    // The pattern is nothing but `*`: it matches every value that is not Null.
    bool matchesEveryValue() const { return m_matchesEveryValue; }

    // Empty when the pattern starts with a wildcard or with a character whose
    // case variants NOCASE does not fold (é/É): a range there would drop rows.
    const std::optional<Range> &range() const { return m_range; }
    // The range alone selects exactly the matches: the pattern is its prefix
    // followed by nothing but `*`, and the range has an upper bound. A server
    // then needs no per-row check, so its planner can read the index in
    // order and stop at the first rows.
    bool rangeIsExact() const { return m_rangeIsExact; }

  private:
    QString m_glob = QLatin1String(""); // the pattern '' matches empty text, not Null
    bool m_matchesEveryValue = false;
    std::optional<Range> m_range;
    bool m_rangeIsExact = false;
};
