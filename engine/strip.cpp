#include "engine/strip.h"

#include <QChar>
#include <algorithm>
#include <iterator>
#include <vector>

namespace quenby {
namespace {

const char16_t* unitsOf(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.constData());
}

char16_t* unitsOf(QString& s) {
    return reinterpret_cast<char16_t*>(s.data());
}

// The character starting at s[i]: a surrogate pair, or a single unit (which
// may be a lone surrogate). *next is the position just after it.
char32_t codePointAt(const char16_t* s, qsizetype i, qsizetype n, qsizetype* next) {
    const char16_t u = s[i];
    if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
        *next = i + 2;
        return QChar::surrogateToUcs4(u, s[i + 1]);
    }
    *next = i + 1;
    return u;
}

// The character a slot string holds, when it holds exactly one.
std::optional<char32_t> singleCharacter(const QString& s) {
    if (s.isEmpty())
        return std::nullopt;
    qsizetype next = 0;
    const char32_t cp = codePointAt(unitsOf(s), 0, s.size(), &next);
    if (next != s.size())
        return std::nullopt;
    return cp;
}

bool hasLoneSurrogate(const QString& s) {
    const char16_t* units = unitsOf(s);
    for (qsizetype i = 0, next = 0; i < s.size(); i = next) {
        codePointAt(units, i, s.size(), &next);
        if (next == i + 1 && QChar::isSurrogate(units[i]))
            return true;
    }
    return false;
}

// The code points of Windows-1252 codes 128 to 159, sorted by code point.
// The five codes the code page leaves unused stand for the C1 controls of
// the same value, as the usual best-fit tables have it.
struct CodePageEntry {
    char32_t codePoint;
    int code;
};
constexpr CodePageEntry kCodes128To159[] = {
    {0x0081, 129}, {0x008D, 141}, {0x008F, 143}, {0x0090, 144}, {0x009D, 157}, {0x0152, 140},
    {0x0153, 156}, {0x0160, 138}, {0x0161, 154}, {0x0178, 159}, {0x017D, 142}, {0x017E, 158},
    {0x0192, 131}, {0x02C6, 136}, {0x02DC, 152}, {0x2013, 150}, {0x2014, 151}, {0x2018, 145},
    {0x2019, 146}, {0x201A, 130}, {0x201C, 147}, {0x201D, 148}, {0x201E, 132}, {0x2020, 134},
    {0x2021, 135}, {0x2022, 149}, {0x2026, 133}, {0x2030, 137}, {0x2039, 139}, {0x203A, 155},
    {0x20AC, 128}, {0x2122, 153}};

// The Windows-1252 code of a code point, or -1 when it has none.
int windows1252Code(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    const auto* end = std::end(kCodes128To159);
    const auto* it =
        std::lower_bound(std::begin(kCodes128To159), end, cp,
                         [](const CodePageEntry& e, char32_t c) { return e.codePoint < c; });
    return it != end && it->codePoint == cp ? it->code : -1;
}

bool isPunctuationCode(int code) {
    return (code >= 33 && code <= 47) || (code >= 58 && code <= 64) || (code >= 91 && code <= 96) ||
           (code >= 123 && code <= 191);
}

bool isOneOf(char32_t cp, const char* letters) {
    for (; *letters; ++letters)
        if (cp == char32_t(*letters))
            return true;
    return false;
}

bool isStrippedVowel(char32_t cp, const StripOptions& o) {
    if (!o.stripVowels)
        return false;
    const bool upper = o.caseChoice == CaseChoice::Upper || o.caseChoice == CaseChoice::Both;
    const bool lower = o.caseChoice == CaseChoice::Lower || o.caseChoice == CaseChoice::Both;
    return (upper && isOneOf(cp, o.includeY ? "AEIOUY" : "AEIOU")) ||
           (lower && isOneOf(cp, o.includeY ? "aeiouy" : "aeiou"));
}

enum class Action : quint8 { Drop, Keep, Slot };

// What the character pass does with each character, decided once per run.
class CharacterRules {
public:
    // Keeps every character: the string pass on its own.
    CharacterRules() { m_latin1.fill(Action::Keep); }

    explicit CharacterRules(const StripOptions& o)
        : m_stripPunctuation(o.stripPunctuation), m_marker(o.marker) {
        for (const QString& slot : o.slots)
            if (const auto cp = singleCharacter(slot))
                m_slots.push_back(*cp);
        // Tests 1 to 4 can only drop a character, so their order does not
        // change the outcome; what matters is that each wins over the slot test.
        for (char32_t cp = 0; cp < 256; ++cp) {
            const bool drop = (o.stripPunctuation && isPunctuation(cp)) ||
                              (o.stripNumbers && cp >= '0' && cp <= '9') ||
                              (o.stripSpaces && cp == ' ') || isStrippedVowel(cp, o);
            m_latin1[cp] = drop ? Action::Drop : slotOrKeep(cp);
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

// Finds the strip string character by character, folding each side's
// characters to upper case one at a time when the search ignores case.
class Matcher {
public:
    Matcher(const QString& pattern, bool caseSensitive) : m_caseSensitive(caseSensitive) {
        const char16_t* units = unitsOf(pattern);
        for (qsizetype i = 0, next = 0; i < pattern.size(); i = next)
            m_pattern.push_back(fold(codePointAt(units, i, pattern.size(), &next)));
    }

    char32_t fold(char32_t cp) const { return m_caseSensitive ? cp : QChar::toUpper(cp); }

    char32_t first() const { return m_pattern.front(); }

    // The position just after the occurrence starting at s[i], or -1.
    qsizetype matchAt(const char16_t* s, qsizetype i, qsizetype n) const {
        for (const char32_t p : m_pattern) {
            if (i >= n)
                return -1;
            qsizetype next = 0;
            if (fold(codePointAt(s, i, n, &next)) != p)
                return -1;
            i = next;
        }
        return i;
    }

private:
    bool m_caseSensitive = true;
    std::vector<char32_t> m_pattern;
};

struct Sweep {
    const CharacterRules& rules;
    const Matcher* matcher = nullptr;     // null: no string pass
    const QString* replacement = nullptr; // written for each occurrence, as it is
    bool stopAtLoneSurrogate = false;     // give up (nullopt) on meeting one
};

// Both passes in one sweep: at each character either an occurrence of the
// strip string starts there (write the replacement, skip the occurrence) or
// the character goes through the rules.
std::optional<QString> run(const QString& input, const Sweep& sweep, qint64* count) {
    enum : quint8 { Drop = 0, Write = 1, Special = 2 };
    struct Entry {
        char16_t unit;
        quint8 kind;
    };
    // Units below 256 that may start an occurrence, or that turn into a
    // marker of more than one unit, leave the fast path.
    std::array<Entry, 256> fast{};
    const QString& marker = sweep.rules.marker();
    for (char16_t u = 0; u < 256; ++u) {
        Entry& e = fast[u];
        switch (sweep.rules.action(u)) {
        case Action::Drop:
            e = {0, Drop};
            break;
        case Action::Keep:
            e = {u, Write};
            break;
        case Action::Slot:
            if (marker.size() <= 1)
                e = {marker.isEmpty() ? char16_t(0) : unitsOf(marker)[0],
                     marker.isEmpty() ? Drop : Write};
            else
                e = {0, Special};
            break;
        }
        if (sweep.matcher && sweep.matcher->fold(u) == sweep.matcher->first())
            e = {0, Special};
    }

    const char16_t* s = unitsOf(input);
    const qsizetype n = input.size();
    // Characters write at most as many units as they take, so the output
    // fits in the input's size until a marker or replacement makes it longer.
    QString out(n, Qt::Uninitialized);
    char16_t* w = unitsOf(out);
    auto write = [&](const QString& text, qsizetype resumeAt) {
        const qsizetype used = w - unitsOf(out);
        const qsizetype needed = used + text.size() + (n - resumeAt);
        if (needed > out.size()) {
            out.resize(std::max(needed, 2 * out.size()));
            w = unitsOf(out) + used;
        }
        w = std::copy_n(unitsOf(text), text.size(), w);
    };

    qsizetype i = 0;
    while (i < n) {
        const char16_t u = s[i];
        if (u < 256) {
            const Entry e = fast[u];
            if (e.kind != Special) {
                *w = e.unit; // there is room for at least one unit; kept only when written
                w += e.kind;
                ++i;
                continue;
            }
        }
        qsizetype next = 0;
        const char32_t cp = codePointAt(s, i, n, &next);
        if (sweep.matcher) {
            if (sweep.stopAtLoneSurrogate && next == i + 1 && QChar::isSurrogate(u))
                return std::nullopt;
            if (sweep.matcher->fold(cp) == sweep.matcher->first()) {
                const qsizetype end = sweep.matcher->matchAt(s, i, n);
                if (end >= 0) {
                    ++*count;
                    write(*sweep.replacement, end);
                    i = end;
                    continue;
                }
            }
        }
        switch (sweep.rules.action(cp)) {
        case Action::Drop:
            break;
        case Action::Keep:
            w = std::copy(s + i, s + next, w);
            break;
        case Action::Slot:
            write(marker, next);
            break;
        }
        i = next;
    }
    out.resize(w - unitsOf(out));
    return out;
}

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

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count) {
    qint64 n = 0;
    QString text = input;
    if (!stripString.isEmpty()) {
        const CharacterRules keepAll;
        const Matcher matcher(stripString, caseSensitive);
        text = *run(input, {keepAll, &matcher, &replacement, false}, &n);
    }
    if (count)
        *count = n;
    return text;
}

QString characterPass(const QString& text, const StripOptions& options) {
    const CharacterRules rules(options);
    return *run(text, {rules, nullptr, nullptr, false}, nullptr);
}

StripResult strip(const QString& input, const StripOptions& options) {
    if (options.stripString.isEmpty())
        return {characterPass(input, options), std::nullopt};

    qint64 count = 0;
    // A lone surrogate could pair up with another one that the string pass
    // brings next to it, making one character out of two; only the two passes
    // run one after the other see that character, so they take over then.
    if (!hasLoneSurrogate(options.replacement)) {
        const CharacterRules rules(options);
        const Matcher matcher(options.stripString, options.caseSensitive);
        const QString replacement =
            *run(options.replacement, {rules, nullptr, nullptr, false}, nullptr);
        if (auto text = run(input, {rules, &matcher, &replacement, true}, &count))
            return {*text, count};
    }
    const QString passed =
        stringPass(input, options.stripString, options.replacement, options.caseSensitive, &count);
    return {characterPass(passed, options), count};
}

} // namespace quenby
