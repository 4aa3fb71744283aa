#include "engine/string_matcher.h"

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

// How far past the position asked about the finder reads on while a partial
// match lasts, so that text where partial matches never die (a run of 'a'
// under a string of 'a' that ends otherwise) is ruled out a stretch at a
// time rather than a character per question.
constexpr qsizetype kReadAhead = 256;

// How many units one question reads before the finder looks ahead for where
// an occurrence can end: most questions in ordinary text are settled by a
// character or two, and looking would cost more than it saves there.
constexpr qsizetype kLookAfter = 16;

} // namespace

Matcher::Matcher(const QString& pattern, bool caseSensitive) : m_caseSensitive(caseSensitive) {
    for (char32_t u = 0; u < 256; ++u)
        m_latin1Fold[u] = caseSensitive ? u : latin1Upper(u);
    // At most one character per unit; units below 256 straight through the
    // table (a strip string may be long).
    m_pattern.resize(size_t(pattern.size()));
    const char16_t* const units = reinterpret_cast<const char16_t*>(pattern.utf16());
    size_t k = 0;
    bool pairs = false;
    for (qsizetype i = 0, next = 0; i < pattern.size(); i = next) {
        if (units[i] < 256) {
            m_pattern[k++] = m_latin1Fold[units[i]];
            next = i + 1;
            continue;
        }
        m_pattern[k++] = fold(codePointAt(pattern, i, &next));
        pairs = pairs || next - i == 2;
    }
    m_pattern.resize(k);
    for (char16_t u = 0; u < 256; ++u) {
        m_mayEndWith[u] = !m_pattern.empty() && m_latin1Fold[u] == m_pattern.back();
        m_isSecond[u] = m_pattern.size() > 1 && m_latin1Fold[u] == m_pattern[1];
    }
    if (pairs) {
        m_units.reserve(m_pattern.size() + 1);
        m_units.push_back(0);
        for (const char32_t c : m_pattern)
            m_units.push_back(m_units.back() + (QChar::requiresSurrogates(c) ? 2 : 1));
    }
}

const qsizetype* Matcher::borders() const {
    if (!m_borders.empty())
        return m_borders.data();
    // The border of the first j characters extends that of the first j - 1
    // by one character where the next one agrees, or else falls back along
    // the borders of that border until one does.
    const size_t m = m_pattern.size();
    m_borders.assign(m + 1, 0);
    size_t k = 0;
    for (size_t j = 1; j < m; ++j) {
        while (k > 0 && m_pattern[j] != m_pattern[k])
            k = size_t(m_borders[k]);
        if (m_pattern[j] == m_pattern[k])
            ++k;
        m_borders[j + 1] = qsizetype(k);
    }
    return m_borders.data();
}

Finder::Finder(const Matcher& matcher, const char16_t* s, qsizetype n, bool textGoesOn,
               qsizetype matched)
    : m_matcher(matcher), m_s(s), m_n(n), m_textGoesOn(textGoesOn), m_pos(matcher.unitsOf(matched)),
      m_matched(matched) {}

char32_t Finder::foldWide(qsizetype* pos) const {
    qsizetype next = *pos + 1;
    const char16_t u = m_s[*pos];
    const char32_t c =
        m_matcher.fold(QChar::isSurrogate(u) ? codePointAt(QStringView(m_s, m_n), *pos, &next) : u);
    *pos = next;
    return c;
}

void Finder::lookForAnEnd() {
    // The first unit from m_pos on that may end an occurrence.
    qsizetype q = m_pos;
    while (q < m_n && !m_matcher.mayEndWith(m_s[q]))
        ++q;
    // Every unit before q is below 256, so each is a character of its own.
    if (q == m_n && !m_textGoesOn) {
        m_matched = 0; // no occurrence ends from here on
        m_pos = m_n;
        m_nextLook = m_n;
        return;
    }
    const qsizetype whole = m_matcher.unitsOf(m_matcher.size());
    const qsizetype bound = q + 1 - whole;
    if (bound >= m_pos) {
        m_matched = 0;
        m_pos = bound;
        m_lookWait = 0;
    } else {
        while (partialStart() < bound)
            m_matched = m_borders[m_matched];
        m_lookWait = std::min(2 * m_lookWait + 1, whole);
    }
    m_nextLook = q + 1 + m_lookWait;
}

qsizetype Finder::read(qsizetype p, bool take) {
    const qsizetype m = m_matcher.size();
    if (!m_borders)
        m_borders = m_matcher.borders();
    if (p >= m_pos) {
        // Nothing read from p on, and the caller knows that nothing before
        // it starts an occurrence: start afresh there.
        m_pos = p;
        m_matched = 0;
    } else {
        // Nothing starts between partialStart() and p either: keep the
        // longest part of the partial match that begins at p or later.
        while (partialStart() < p)
            m_matched = m_borders[m_matched];
    }
    if (p < partialStart())
        return kNone;
    if (m_matched == m) {
        if (take)
            m_matched = 0; // the next search starts at its end
        return m_pos;
    }
    // Read until the partial match no longer begins at p (or is whole, or the
    // text ends), then on while one lasts, up to kReadAhead past p.
    // Everything the loop reads lives in locals, the position and the
    // partial match too (in the members only while looking ahead): the look
    // ahead, a call, would otherwise make the compiler load it all again at
    // each unit.
    const char32_t* const pattern = m_matcher.pattern();
    const char32_t* const fold = m_matcher.latin1Fold();
    const qsizetype* const borders = m_borders;
    const qsizetype* const units = m_matcher.unitTable();
    const qsizetype until = p + kReadAhead;
    qsizetype lookAt = std::max(m_nextLook, m_pos + kLookAfter);
    qsizetype pos = m_pos;
    qsizetype j = m_matched;
    while (pos < m_n && j < m) {
        if (pos >= lookAt) {
            m_pos = pos;
            m_matched = j;
            lookForAnEnd();
            pos = m_pos;
            j = m_matched;
            lookAt = m_nextLook;
            if (pos >= m_n)
                break;
        }
        const char16_t u = m_s[pos];
        char32_t c;
        if (u < 256) {
            c = fold[u];
            ++pos;
        } else {
            c = foldWide(&pos);
        }
        while (j > 0 && pattern[j] != c)
            j = borders[j];
        if (pattern[j] == c)
            ++j;
        if (j == 0 || pos - (units ? units[j] : j) >= until)
            break;
    }
    m_pos = pos;
    m_matched = j;
    if (partialStart() > p)
        return kNone;
    if (m_matched == m) {
        if (take)
            m_matched = 0; // the next search starts at its end
        return m_pos;
    }
    // The text ends with a partial match that begins at p.
    if (m_textGoesOn)
        return kUndecided;
    m_matched = 0; // nothing starts from p on
    return kNone;
}

} // namespace quenby::detail
