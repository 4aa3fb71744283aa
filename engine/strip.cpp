#include "engine/strip.h"

#include "engine/block_sweep.h"
#include "engine/codepoints.h"
#include "engine/strip_internal.h"
#include "engine/windows1252.h"

#include <QChar>
#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

namespace quenby {
namespace {

const char16_t* unitsOf(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.constData());
}

char16_t* unitsOf(QString& s) {
    return reinterpret_cast<char16_t*>(s.data());
}

// The character a slot string holds, when it holds exactly one.
std::optional<char32_t> singleCharacter(const QString& s) {
    if (s.isEmpty())
        return std::nullopt;
    qsizetype next = 0;
    const char32_t cp = codePointAt(s, 0, &next);
    if (next != s.size())
        return std::nullopt;
    return cp;
}

bool hasLoneSurrogate(const QString& s) {
    for (qsizetype i = 0, next = 0; i < s.size(); i = next) {
        codePointAt(s, i, &next);
        if (next == i + 1 && s[i].isSurrogate())
            return true;
    }
    return false;
}

bool isPunctuationCode(int code) {
    return (code >= 33 && code <= 47) || (code >= 58 && code <= 64) || (code >= 91 && code <= 96) ||
           (code >= 123 && code <= 191);
}

enum class Action : quint8 { Drop, Keep, Slot };

// What the character pass does with each character, decided once per run.
class CharacterRules {
public:
    // Keeps every character: the string pass on its own.
    CharacterRules() { m_latin1.fill(Action::Keep); }

    explicit CharacterRules(const StripOptions& o)
        : m_stripPunctuation(o.stripPunctuation), m_marker(o.marker) {
        m_latin1.fill(Action::Keep);
        for (const QString& slot : o.slots) {
            if (const auto cp = singleCharacter(slot)) {
                m_slots.push_back(*cp);
                if (*cp < 256)
                    m_latin1[*cp] = Action::Slot;
            }
        }
        // Tests 1 to 4 can only drop a character, so their order does not
        // change the outcome; what matters is that each wins over the slot test.
        auto drop = [this](char32_t cp) { m_latin1[cp] = Action::Drop; };
        if (o.stripPunctuation)
            for (char32_t cp = 0; cp < 256; ++cp)
                if (isPunctuation(cp))
                    drop(cp);
        if (o.stripNumbers)
            for (char32_t cp = '0'; cp <= '9'; ++cp)
                drop(cp);
        if (o.stripSpaces)
            drop(' ');
        if (o.stripVowels) {
            const char* upper = o.includeY ? "AEIOUY" : "AEIOU";
            const char* lower = o.includeY ? "aeiouy" : "aeiou";
            if (o.caseChoice == CaseChoice::Upper || o.caseChoice == CaseChoice::Both)
                for (const char* v = upper; *v; ++v)
                    drop(char32_t(*v));
            if (o.caseChoice == CaseChoice::Lower || o.caseChoice == CaseChoice::Both)
                for (const char* v = lower; *v; ++v)
                    drop(char32_t(*v));
        }
    }

    Action action(char32_t cp) const {
        if (cp < 256)
            return m_latin1[cp];
        if (m_stripPunctuation && isPunctuation(cp))
            return Action::Drop;
        return slotOrKeep(cp);
    }

    const QString& marker() const { return m_marker; }

private:
    Action slotOrKeep(char32_t cp) const {
        return std::find(m_slots.begin(), m_slots.end(), cp) != m_slots.end() ? Action::Slot
                                                                              : Action::Keep;
    }

    std::array<Action, 256> m_latin1{};
    std::vector<char32_t> m_slots;
    bool m_stripPunctuation = false;
    QString m_marker;
};

// The upper case of a unit below 256, one code point for one; ASCII without
// a call into Qt.
char32_t latin1Upper(char32_t u) {
    if (u >= 'a' && u <= 'z')
        return u - ('a' - 'A');
    return u < 128 ? u : QChar::toUpper(u);
}

// Finds the strip string character by character, folding each side's
// characters to upper case one at a time when the search ignores case.
class Matcher {
public:
    Matcher(const QString& pattern, bool caseSensitive) : m_caseSensitive(caseSensitive) {
        for (char32_t u = 0; u < 256; ++u)
            m_latin1Fold[u] = caseSensitive ? u : latin1Upper(u);
        for (qsizetype i = 0, next = 0; i < pattern.size(); i = next)
            m_pattern.push_back(fold(codePointAt(pattern, i, &next)));
    }

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
    bool canOverlap() const {
        for (size_t b = 1; b < m_pattern.size(); ++b)
            if (std::equal(m_pattern.begin(), m_pattern.begin() + qptrdiff(b),
                           m_pattern.end() - qptrdiff(b)))
                return true;
        return false;
    }

    // What each unit below 256 is compared as.
    const char32_t* latin1Fold() const { return m_latin1Fold.data(); }

    // The position just after the occurrence starting at s[i], or -1.
    qsizetype matchAt(const char16_t* s, qsizetype i, qsizetype n) const {
        for (const char32_t p : m_pattern) {
            if (i >= n)
                return -1;
            qsizetype next = 0;
            if (fold(codePointAt(QStringView(s, n), i, &next)) != p)
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

// The output text, sized to the input at first. Characters write at most as
// many units as they take, so only markers and replacements can outgrow it;
// they ask for room first.
class Output {
public:
    explicit Output(qsizetype size) : m_text(size, Qt::Uninitialized) {}

    char16_t* begin() { return unitsOf(m_text); }

    // Writes text at w, keeping room for `rest` more units; returns the new end.
    char16_t* write(char16_t* w, const QString& text, qsizetype rest) {
        const qsizetype used = w - begin();
        const qsizetype needed = used + text.size() + rest;
        if (needed > m_text.size()) {
            m_text.resize(std::max(needed, 2 * m_text.size()));
            w = begin() + used;
        }
        return std::copy_n(unitsOf(text), text.size(), w);
    }

    QString finish(char16_t* w) {
        m_text.resize(w - begin());
        return std::move(m_text);
    }

private:
    QString m_text;
};

// What the rules say about each character from 256 up in the Basic
// Multilingual Plane, worked out once per run, when it first comes: text
// beyond Latin-1 repeats its characters, and working them out takes calls
// into Qt's character tables.
class WideVerdicts {
public:
    struct Verdict {
        Action action;
        bool mayStart; // an occurrence of the strip string may start with it
    };

    WideVerdicts(const CharacterRules& rules, const Matcher* matcher)
        : m_rules(rules), m_matcher(matcher) {}

    // u from 256 up and not a surrogate.
    Verdict of(char16_t u) {
        if (!m_known)
            m_known = std::make_unique<quint8[]>(65536); // zeroed: nothing known yet
        quint8& known = m_known[u];
        if (!known) {
            const bool mayStart = m_matcher && m_matcher->fold(u) == m_matcher->pattern()[0];
            known = quint8(kKnown | int(m_rules.action(u)) | (mayStart ? kMayStart : 0));
        }
        return {Action(known & kActionBits), (known & kMayStart) != 0};
    }

private:
    static constexpr quint8 kActionBits = 3;
    static constexpr quint8 kMayStart = 4;
    static constexpr quint8 kKnown = 8;

    const CharacterRules& m_rules;
    const Matcher* m_matcher;
    std::unique_ptr<quint8[]> m_known;
};

// Both passes in one sweep: at each character either an occurrence of the
// strip string starts there (write the replacement, skip the occurrence) or
// the character goes through the rules. Runs of plain units below 256 go
// through tables, 32 at a time where the processor allows (block_sweep.h).
class Sweeper {
public:
    // matcher null: the character pass alone. replacement: written as it is
    // for each occurrence.
    Sweeper(const CharacterRules& rules, const Matcher* matcher, const QString& replacement,
            detail::SweepMode mode)
        : m_rules(rules), m_matcher(matcher), m_replacement(replacement),
          m_blocksAllowed(mode == detail::SweepMode::Fastest) {
        const QString& marker = rules.marker();
        for (char16_t u = 0; u < 256; ++u) {
            quint32& e = m_fast[u];
            switch (rules.action(u)) {
            case Action::Drop:
                e = 0;
                break;
            case Action::Keep:
                e = kWrite | u;
                break;
            case Action::Slot:
                if (marker.size() <= 1)
                    e = marker.isEmpty() ? 0 : kWrite | unitsOf(marker)[0];
                else
                    e = kSlow;
                break;
            }
            if (matcher && matcher->fold(u) == matcher->pattern()[0])
                e = kSlow;
        }
    }

    // The output, or nullopt when stopAtLoneSurrogate and the input holds a
    // lone surrogate outside the occurrences.
    std::optional<QString> run(const QString& input, qint64* count,
                               bool stopAtLoneSurrogate) const {
        const char16_t* s = unitsOf(input);
        return run(s, input.size(), input.size(), count, stopAtLoneSurrogate, nullptr);
    }

    // The same over s[0..n) where only s[0..settled) need be swept: the
    // sweep stops at the first character boundary from `settled` on that is
    // not inside an occurrence, and sets *stoppedAt to it. Occurrences are
    // still looked for in all of s[0..n); with settled < n, the text goes on
    // past n, so one that would reach past n is never ruled out.
    std::optional<QString> run(const char16_t* s, qsizetype n, qsizetype settled, qint64* count,
                               bool stopAtLoneSurrogate, qsizetype* stoppedAt) const {
        // The block tables pay off only on texts of a few blocks or more.
        detail::BlockTables tables;
        bool blocks =
            m_blocksAllowed && n >= 4 * detail::kBlockUnits && detail::blockSweepAvailable();
        if (blocks) {
            tables = blockTables();
            tables.textGoesOn = settled < n;
            blocks = !m_matcher || tables.windows > 0;
        }
        Output out(n);
        WideVerdicts wide(m_rules, m_matcher);
        char16_t* w = out.begin();
        qsizetype i = 0;
        while (i < settled) {
            if (blocks) {
                i += detail::sweepBlocks(s + i, n - i, &w, count, tables);
                if (i >= settled)
                    break;
            }
            // The character the blocks stopped at. Characters from 256 up
            // tend to come in runs, so take the rest of their block too; and
            // near the end, where no whole block is left, take everything.
            qsizetype blockEnd = settled;
            if (blocks && n - i >= 2 * detail::kBlockUnits)
                blockEnd = std::min(settled, s[i] < 256 ? i + 1 : i + detail::kBlockUnits);
            while (i < blockEnd) {
                const char16_t u = s[i];
                const quint32 e = u < 256 ? m_fast[u] : kSlow;
                if (!(e & kSlow)) {
                    *w = char16_t(e); // there is room for one unit while i < n
                    w += e >> 16;
                    ++i;
                    continue;
                }
                qsizetype next = i + 1;
                Action action;
                bool mayStart = m_matcher != nullptr;
                if (u >= 256 && !QChar::isSurrogate(u)) {
                    const WideVerdicts::Verdict v = wide.of(u);
                    action = v.action;
                    mayStart = v.mayStart;
                } else {
                    const char32_t cp = codePointAt(QStringView(s, n), i, &next);
                    if (m_matcher && stopAtLoneSurrogate && next == i + 1 && QChar::isSurrogate(u))
                        return std::nullopt;
                    action = m_rules.action(cp);
                }
                if (mayStart) {
                    const qsizetype end = m_matcher->matchAt(s, i, n);
                    if (end >= 0) {
                        ++*count;
                        w = out.write(w, m_replacement, n - end);
                        i = end;
                        continue;
                    }
                }
                switch (action) {
                case Action::Drop:
                    break;
                case Action::Keep:
                    for (qsizetype k = i; k < next; ++k) // one unit or two: no call to copy
                        *w++ = s[k];
                    break;
                case Action::Slot:
                    w = out.write(w, m_rules.marker(), n - next);
                    break;
                }
                i = next;
            }
        }
        if (stoppedAt)
            *stoppedAt = i;
        return out.finish(w);
    }

private:
    static constexpr quint32 kWrite = 1u << 16; // write the low 16 bits
    static constexpr quint32 kSlow = 1u << 17;  // needs more than the table

    detail::BlockTables blockTables() const {
        detail::BlockTables t;
        const QString& marker = m_rules.marker();
        for (char16_t u = 0; u < 256; ++u) {
            switch (m_rules.action(u)) {
            case Action::Drop:
                t.drop.add(u);
                break;
            case Action::Keep:
                break;
            case Action::Slot:
                if (marker.isEmpty())
                    t.drop.add(u);
                else if (marker.size() == 1)
                    t.slot.add(u);
                else
                    t.stop.add(u);
                break;
            }
        }
        if (marker.size() == 1)
            t.marker = unitsOf(marker)[0];
        t.hasStops = !t.stop.isEmpty();
        if (m_matcher)
            addMatching(t, *m_matcher, m_replacement);
        return t;
    }

    static void addMatching(detail::BlockTables& t, const Matcher& matcher,
                            const QString& replacement) {
        t.matching = true;
        t.fold = matcher.latin1Fold();
        t.pattern = matcher.pattern();
        t.patternSize = matcher.size();
        t.windows = int(std::min<qsizetype>(matcher.size(), detail::kMaxWindows));
        for (int j = 0; j < t.windows; ++j) {
            std::array<char16_t, 3> units{};
            int found = 0;
            for (char16_t u = 0; u < 256 && found < 3; ++u)
                if (matcher.fold(u) == matcher.pattern()[j])
                    units[size_t(found++)] = u;
            if (found == 3) { // no letter has three cases below 256; compare no further
                t.windows = j;
                break;
            }
            // A unit of 256 or more never counts in a window: 0x100 stands for none.
            t.windowUnits[size_t(j)] =
                found == 0 ? std::array<char16_t, 2>{0x100, 0x100}
                           : std::array<char16_t, 2>{units[0], units[size_t(found - 1)]};
        }
        t.windowsAreWhole = t.windows == matcher.size();
        // An output no longer than the occurrence it replaces keeps the
        // output within the input's size.
        t.replaceInBlocks =
            replacement.size() <= std::min<qsizetype>(matcher.size(), detail::kMaxWindows);
        if (t.replaceInBlocks) {
            t.replacementSize = int(replacement.size());
            std::copy_n(unitsOf(replacement), replacement.size(), t.replacement.begin());
        }
        t.replaceAllAtOnce = t.windowsAreWhole && t.replaceInBlocks && !matcher.canOverlap();
    }

    const CharacterRules& m_rules;
    const Matcher* m_matcher;
    const QString& m_replacement;
    bool m_blocksAllowed = true;
    std::array<quint32, 256> m_fast{};
};

} // namespace

bool isPunctuation(char32_t codePoint) {
    const int code = windows1252Code(codePoint);
    if (code >= 0)
        return isPunctuationCode(code);
    return QChar::isPunct(codePoint) || QChar::isSymbol(codePoint);
}

QString PuncFilter(const QString& c) {
    const auto cp = singleCharacter(c);
    return cp && isPunctuation(*cp) ? QString() : c;
}

namespace detail {

QString stringPassSettled(QStringView input, qsizetype settled, const QString& stripString,
                          const QString& replacement, bool caseSensitive, qint64* count,
                          qsizetype* stoppedAt, SweepMode mode) {
    if (stripString.isEmpty()) {
        if (stoppedAt)
            *stoppedAt = input.size();
        return input.toString();
    }
    const CharacterRules keepAll;
    const Matcher matcher(stripString, caseSensitive);
    return *Sweeper(keepAll, &matcher, replacement, mode)
                .run(input.utf16(), input.size(), settled, count, false, stoppedAt);
}

std::optional<QString> stripSettled(QStringView input, qsizetype settled,
                                    const StripOptions& options, qint64* count,
                                    qsizetype* stoppedAt, SweepMode mode) {
    const CharacterRules rules(options);
    if (options.stripString.isEmpty())
        return Sweeper(rules, nullptr, QString(), mode)
            .run(input.utf16(), input.size(), settled, nullptr, false, stoppedAt);
    // A lone surrogate could pair up with another one that the string pass
    // brings next to it, making one character out of two; only the two passes
    // run one after the other see that character, so they take over then.
    if (hasLoneSurrogate(options.replacement))
        return std::nullopt;
    const Matcher matcher(options.stripString, options.caseSensitive);
    // The replacement goes through the character pass once, not at each occurrence.
    const QString replacement =
        *Sweeper(rules, nullptr, QString(), mode).run(options.replacement, nullptr, false);
    qint64 found = 0;
    std::optional<QString> text =
        Sweeper(rules, &matcher, replacement, mode)
            .run(input.utf16(), input.size(), settled, &found, true, stoppedAt);
    if (text && count)
        *count += found;
    return text;
}

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode) {
    qint64 n = 0;
    QString text = stripString.isEmpty()
                       ? input
                       : stringPassSettled(input, input.size(), stripString, replacement,
                                           caseSensitive, &n, nullptr, mode);
    if (count)
        *count = n;
    return text;
}

QString characterPass(const QString& text, const StripOptions& options, SweepMode mode) {
    const CharacterRules rules(options);
    return *Sweeper(rules, nullptr, QString(), mode).run(text, nullptr, false);
}

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode) {
    qint64 count = 0;
    std::optional<QString> text = stripSettled(input, input.size(), options, &count, nullptr, mode);
    if (!text) {
        const QString passed = stringPass(input, options.stripString, options.replacement,
                                          options.caseSensitive, &count, mode);
        text = characterPass(passed, options, mode);
    }
    if (options.stripString.isEmpty())
        return {*text, std::nullopt};
    return {*text, count};
}

} // namespace detail

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count) {
    return detail::stringPass(input, stripString, replacement, caseSensitive, count,
                              detail::SweepMode::Fastest);
}

QString characterPass(const QString& text, const StripOptions& options) {
    return detail::characterPass(text, options, detail::SweepMode::Fastest);
}

StripResult strip(const QString& input, const StripOptions& options) {
    return detail::strip(input, options, detail::SweepMode::Fastest);
}

} // namespace quenby
