#pragma once

#include "engine/codepoints.h"

#include <QString>
#include <array>
#include <vector>

// Finding the strip string.
namespace quenby::detail {

// Finds the strip string character by character, folding each side's
// characters to upper case one at a time when the search ignores case.
class Matcher {
public:
    Matcher(const QString& pattern, bool caseSensitive);

    char32_t fold(char32_t cp) const {
        if (cp < 256)
            return m_latin1Fold[cp];
        return m_caseSensitive ? cp : QChar::toUpper(cp);
    }

    // The characters of the strip string, folded, and their number.
    const char32_t* pattern() const { return m_pattern.data(); }
    qsizetype size() const { return qsizetype(m_pattern.size()); }
    // True when two occurrences can overlap: a proper prefix of the string
    // equals a suffix of it.
    bool canOverlap() const;

    // What each unit below 256 is compared as.
    const char32_t* latin1Fold() const { return m_latin1Fold.data(); }

    // The position just after the occurrence starting at s[i], or -1.
    qsizetype matchAt(const char16_t* s, qsizetype i, qsizetype n) const {
        const QStringView text(s, n);
        for (const char32_t p : m_pattern) {
            if (i >= n)
                return -1;
            qsizetype next = 0;
            if (fold(codePointAt(text, i, &next)) != p)
                return -1;
            i = next;
        }
        return i;
    }

private:
    bool m_caseSensitive = true;
    std::array<char32_t, 256> m_latin1Fold{};
    std::vector<char32_t> m_pattern;
};

} // namespace quenby::detail
