#pragma once

#include <QString>
#include <array>

// What the passes are asked to strip: the settings of one run, as the window
// and the command line hand them to the engine.
namespace quenby {

// Which vowels "Vowels" strips; the values are the stored case option.
enum class CaseChoice { Upper = 0, Lower = 1, Both = 2 };

struct StripOptions {
    QString stripString; // empty: no string pass
    QString replacement;
    bool caseSensitive = true;
    bool stripPunctuation = false;
    bool stripNumbers = false;
    bool stripSpaces = false;
    bool stripVowels = true;
    bool includeY = true;
    CaseChoice caseChoice = CaseChoice::Both;
    // Each empty or one character. An empty slot matches nothing; a slot
    // holding more than one character matches nothing either (no single
    // character equals it). Slots compare code point for code point, always
    // case-sensitive.
    std::array<QString, 10> slots;
    // Put in place of each slot character, unchanged and untested; empty:
    // slot characters are dropped.
    QString marker;
};

} // namespace quenby
