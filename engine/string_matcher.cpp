#include "engine/string_matcher.h"

#include <QChar>
#include <algorithm>

namespace quenby::detail {
namespace {

// The upper case of a unit below 256, one code point for one; ASCII without
// a call into Qt.
char32_t latin1Upper(char32_t u) {
    if (u >= 'a' && u <= 'z')
        return u - ('a' - 'A');
    return u < 128 ? u : QChar::toUpper(u);
}

} // namespace

Matcher::Matcher(const QString& pattern, bool caseSensitive) : m_caseSensitive(caseSensitive) {
    for (char32_t u = 0; u < 256; ++u)
        m_latin1Fold[u] = caseSensitive ? u : latin1Upper(u);
    for (qsizetype i = 0, next = 0; i < pattern.size(); i = next)
        m_pattern.push_back(fold(codePointAt(pattern, i, &next)));
}

bool Matcher::canOverlap() const {
    for (size_t b = 1; b < m_pattern.size(); ++b)
        if (std::equal(m_pattern.begin(), m_pattern.begin() + qptrdiff(b),
                       m_pattern.end() - qptrdiff(b)))
            return true;
    return false;
}

} // namespace quenby::detail
