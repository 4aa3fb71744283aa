#pragma once

#include "engine/codepoints.h"

#include <QChar>
#include <QString>
#include <array>
#include <vector>

// Finding the strip string, in time linear in the text whatever the string.
//
// The string and the text are compared character by character (a surrogate
// pair is one character, a lone surrogate one of its own), each character
// folded to its simple upper case when the search ignores case. Folding never
// changes how many UTF-16 units a character takes, so an occurrence takes
// exactly as many units as the folded string, and its start follows from its
// end.
//
// Comparing the string afresh at every place where its first character
// occurs costs the string's length at each of them: 'a' x 20,000 then 'b'
// over a text of 'a' compares 20,000 characters at every position. Instead,
// the Finder walks the text once, left to right, keeping how many of the
// string's first characters the text just read matches (the partial match).
// When the next character does not continue it, the partial match falls back
// to the longest shorter one that the text still ends with, which the
// string's border table gives without reading the text again (Knuth, Morris
// and Pratt). The finder never reads a unit twice: its work over a run is at
// most twice the text's characters, plus a fresh start wherever the sweep
// says that nothing before it can start an occurrence.
//
// Where partial matches never die (a run of 'a' under 'a' x 20,000 then
// 'b'), that walk still reads every character. So the finder also looks
// ahead, a unit at a time, for the next unit that can end an occurrence (one
// that may be the string's last character, or its last unit): no occurrence
// ends before it, so none starts more than the string's length before it,
// and the walk goes on from there, the text in between never read. The look
// ahead never reads a unit twice either, and after a look that rules nothing
// out it waits longer and longer before the next.
//
// Occurrences are taken left to right without overlap: once the sweep takes
// one, the search starts afresh at its end.
namespace quenby::detail {

class Matcher {
public:
    Matcher(const QString& pattern, bool caseSensitive);

    // What a character is compared as: itself, or without regard to case its
    // simple upper case when that takes as many units.
    char32_t fold(char32_t cp) const {
        if (cp < 256)
            return m_latin1Fold[cp];
        if (m_caseSensitive)
            return cp;
        const char32_t upper = QChar::toUpper(cp);
        return QChar::requiresSurrogates(upper) == QChar::requiresSurrogates(cp) ? upper : cp;
    }

    // The characters of the strip string, folded, and their number.
    const char32_t* pattern() const { return m_pattern.data(); }
    qsizetype size() const { return qsizetype(m_pattern.size()); }
    // The UTF-16 units of the string's first j characters (0 <= j <= size()).
    qsizetype unitsOf(qsizetype j) const { return m_units.empty() ? j : m_units[size_t(j)]; }
    // The same for every j at once, or null when every character takes one unit.
    const qsizetype* unitTable() const { return m_units.empty() ? nullptr : m_units.data(); }
    // For each j from 1 to size(), at index j: the longest proper prefix of
    // the string's first j characters that they also end with, in
    // characters. Made the first time it is asked for: a run that never
    // needs it (the vector path may rule out every position by itself)
    // never spends the time.
    const qsizetype* borders() const;
    // True when two occurrences can overlap: a proper prefix of the string
    // equals a suffix of it.
    bool canOverlap() const { return borders()[size()] > 0; }

    // What each unit below 256 is compared as.
    const char32_t* latin1Fold() const { return m_latin1Fold.data(); }

    // False when the unit u cannot be the last unit of an occurrence: below
    // 256, and not compared equal to the string's last character. (A unit
    // from 256 up may be.)
    bool mayEndWith(char16_t u) const { return u >= 256 || m_mayEndWith[u]; }
    // True when the unit u, below 256, compares equal to the string's second
    // character (false without one).
    bool isSecond(char16_t u) const { return m_isSecond[u]; }

private:
    bool m_caseSensitive = true;
    std::array<char32_t, 256> m_latin1Fold{};
    std::array<bool, 256> m_mayEndWith{};
    std::array<bool, 256> m_isSecond{};
    std::vector<char32_t> m_pattern;
    std::vector<qsizetype> m_units; // empty when every character takes one unit
    mutable std::vector<qsizetype> m_borders;
};

// One walk over a text s[0..n) asking, at positions in increasing order,
// whether an occurrence starts there.
class Finder {
public:
    static constexpr qsizetype kNone = -1;
    static constexpr qsizetype kUndecided = -2;

    // textGoesOn: the text continues past n (a streaming step), so an
    // occurrence may start before n and end after it. matched: how many of the
    // string's first characters s begins with, as a previous step left them
    // (0 for a text of its own).
    Finder(const Matcher& matcher, const char16_t* s, qsizetype n, bool textGoesOn,
           qsizetype matched = 0);

    // Whether an occurrence starts at s[p]: the position just after it, kNone,
    // or kUndecided when only the text past n can tell (textGoesOn). p is a
    // character boundary, not before p of an earlier call, and not inside an
    // occurrence already taken; every position skipped between calls must be
    // one where the caller knows that none starts (its first character, say,
    // does not match). Answering an occurrence takes it (the search starts
    // afresh at its end), unless take is false: then the next call, at p,
    // answers it again.
    qsizetype occurrenceAt(qsizetype p, bool take = true) {
        // Most questions in ordinary text find the second character
        // different, nothing read there yet: answered here, without a call.
        if (p >= m_pos && p + 1 < m_n && m_s[p] < 256 && m_s[p + 1] < 256 &&
            !m_matcher.isSecond(m_s[p + 1]) && m_matcher.size() > 1) {
            m_pos = p + 1;
            m_matched = 0;
            return kNone;
        }
        return read(p, take);
    }

    // After occurrenceAt(p) answered kNone: no occurrence starts from p up to
    // just before this position.
    qsizetype noneBefore() const { return partialStart(); }

    // After occurrenceAt(p) answered kUndecided: how many of the string's
    // first characters s[p..n) matches, for the next step (where s[p] comes
    // first).
    qsizetype matched() const { return m_matched; }

private:
    qsizetype partialStart() const { return m_pos - m_matcher.unitsOf(m_matched); }
    // occurrenceAt() where it reads the text.
    qsizetype read(qsizetype p, bool take);
    // The character at *pos, a unit from 256 up or a pair, folded; moves
    // *pos past it.
    char32_t foldWide(qsizetype* pos) const;
    void lookForAnEnd();

    const Matcher& m_matcher;
    const qsizetype* m_borders = nullptr; // taken at the first question
    const char16_t* m_s;
    qsizetype m_n;
    bool m_textGoesOn;
    // Everything before m_pos has been read; s[partialStart()..m_pos) matches
    // the string's first m_matched characters, and no occurrence starts
    // between the last fresh start and partialStart(). m_matched equals the
    // string's size only for an occurrence found and not yet taken.
    qsizetype m_pos = 0;
    qsizetype m_matched = 0;
    // No look ahead before m_pos reaches this; after a look that ruled
    // nothing out, the wait doubles.
    qsizetype m_nextLook = 0;
    qsizetype m_lookWait = 0;
};

} // namespace quenby::detail
