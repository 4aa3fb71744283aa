#pragma once

#include "engine/strip_options.h"

#include <QString>
#include <random>
#include <utility>
#include <vector>

// Random texts and options for the tests that hold one way of stripping
// against another over thousands of cases. The same seed always gives the
// same cases.
namespace quenby::test {

// Where the characters of a random text come from: with a chance of
// firstPercent one of `first`, otherwise one of `second` (each equally
// likely within its list).
struct Alphabet {
    std::vector<QString> first;
    std::vector<QString> second;
    int firstPercent;
};

// How options are drawn: chances in percent, sizes in characters.
struct OptionOdds {
    // A strip string cut from the input, from any unit (so it may hold half
    // of a surrogate pair) and 1 to maxCut units long, for occurrences that
    // are more than rare; otherwise, with typedPercent, one of up to three
    // random characters; otherwise none.
    int cutPercent;
    int maxCut;
    int typedPercent;
    int maxReplacement; // empty with a chance of 30%
    int classPercent;   // each of punctuation, numbers and spaces stripped
    int slotPercent;    // each slot holds a random character
    int markerPercent;  // the marker is a random character
};

class Generator {
public:
    Generator(unsigned seed, Alphabet alphabet, OptionOdds odds)
        : m_random(seed), m_alphabet(std::move(alphabet)), m_odds(odds) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(int percent) { return below(100) < percent; }

    QString character() {
        const auto& letters =
            chance(m_alphabet.firstPercent) ? m_alphabet.first : m_alphabet.second;
        return letters[size_t(below(int(letters.size())))];
    }

    // 0 to maxLength characters.
    QString text(int maxLength) {
        QString s;
        for (int k = below(maxLength + 1); k > 0; --k)
            s += character();
        return s;
    }

    StripOptions options(const QString& input) {
        StripOptions o;
        if (!input.isEmpty() && chance(m_odds.cutPercent))
            o.stripString = input.mid(below(int(input.size())), 1 + below(m_odds.maxCut));
        else if (chance(m_odds.typedPercent))
            o.stripString = text(3);
        o.replacement = chance(30) ? QString() : text(m_odds.maxReplacement);
        o.caseSensitive = chance(50);
        o.stripPunctuation = chance(m_odds.classPercent);
        o.stripNumbers = chance(m_odds.classPercent);
        o.stripSpaces = chance(m_odds.classPercent);
        o.stripVowels = chance(50);
        o.includeY = chance(50);
        o.caseChoice = CaseChoice(below(3));
        for (QString& slot : o.slots)
            slot = chance(m_odds.slotPercent) ? text(1) : QString();
        o.marker = chance(m_odds.markerPercent) ? text(1) : QString();
        return o;
    }

private:
    std::mt19937 m_random;
    Alphabet m_alphabet;
    OptionOdds m_odds;
};

} // namespace quenby::test
