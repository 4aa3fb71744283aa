#include "engine/character_rules.h"

#include "engine/codepoints.h"
#include "engine/windows1252.h"

#include <QChar>

namespace quenby {
namespace {

bool isPunctuationCode(int code) {
    return (code >= 33 && code <= 47) || (code >= 58 && code <= 64) || (code >= 91 && code <= 96) ||
           (code >= 123 && code <= 191);
}

} // namespace

bool isPunctuation(char32_t codePoint) {
    const int code = windows1252Code(codePoint);
    if (code >= 0)
        return isPunctuationCode(code);
    return QChar::isPunct(codePoint) || QChar::isSymbol(codePoint);
}

QString PuncFilter(const QString& c) {
    const auto cp = detail::singleCharacter(c);
    return cp && isPunctuation(*cp) ? QString() : c;
}

namespace detail {

std::optional<char32_t> singleCharacter(const QString& s) {
    if (s.isEmpty())
        return std::nullopt;
    qsizetype next = 0;
    const char32_t cp = codePointAt(s, 0, &next);
    if (next != s.size())
        return std::nullopt;
    return cp;
}

CharacterRules::CharacterRules(const StripOptions& o)
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

} // namespace detail
} // namespace quenby
