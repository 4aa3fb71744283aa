#pragma once

#include "engine/punctuation.h"
#include "engine/strip_options.h"

#include <QString>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

// The rules of the character pass, turned once per run into a verdict per
// character.
namespace quenby::detail {

// The character a slot string holds, when it holds exactly one.
std::optional<char32_t> singleCharacter(const QString& s);

enum class Action : quint8 { Drop, Keep, Slot };

// What the character pass does with each character.
class CharacterRules {
public:
    // Keeps every character: the string pass on its own.
    CharacterRules() { m_latin1.fill(Action::Keep); }

    explicit CharacterRules(const StripOptions& o);

    Action action(char32_t cp) const {
        if (cp < 256)
            return m_latin1[cp];
        if (m_stripPunctuation && isPunctuation(cp))
            return Action::Drop;
        return std::find(m_slots.begin(), m_slots.end(), cp) != m_slots.end() ? Action::Slot
                                                                              : Action::Keep;
    }

    // Put in place of each slot character.
    const QString& marker() const { return m_marker; }

private:
    std::array<Action, 256> m_latin1{};
    std::vector<char32_t> m_slots;
    bool m_stripPunctuation = false;
    QString m_marker;
};

} // namespace quenby::detail
