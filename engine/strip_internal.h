#pragma once

#include "engine/strip.h"

#include <QStringView>
#include <memory>
#include <optional>

// The engine's entry points with the choice of sweep made explicit, so that
// tests can hold both ways against the rules on any processor.
namespace quenby::detail {

class CharacterRules;
class Matcher;

enum class SweepMode {
    Fastest,        // blocks of units where the processor has the vectors for them
    OneUnitAtATime, // never blocks
};

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode);
QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode);
QString characterPass(const QString& text, const StripOptions& options, SweepMode mode);

// What the passes need besides the text, made once from the options: the
// rules, the strip string's matcher and the replacement's output. The
// streaming stripper keeps one for all of its steps.
class Passes {
public:
    Passes(const StripOptions& options, SweepMode mode);
    ~Passes();

    // Both passes in one sweep over input, or nullopt where strip() runs the
    // two passes one after the other: a lone surrogate in the replacement, or
    // one met in input outside the occurrences (then *count and *matched are
    // left alone). The occurrences found are added to *count.
    //
    // With textGoesOn, input is one step of a text that goes on after it
    // (the streaming stripper's step): the sweep stops at the first place
    // where an occurrence of the strip string may start but only the text
    // still to come can tell, and sets *stoppedAt to it (input.size() when
    // there is none): the text from there on is left for the next step.
    // *matched says, on the way in, how many of the strip string's first
    // characters input begins with (as the step before left them; null: 0),
    // and on the way out how many the text left over begins with.
    std::optional<QString> strip(QStringView input, bool textGoesOn, qsizetype* matched,
                                 qint64* count, qsizetype* stoppedAt) const;

    // The string pass alone, the same way (without a strip string, all of
    // input comes back).
    QString stringPass(QStringView input, bool textGoesOn, qsizetype* matched, qint64* count,
                       qsizetype* stoppedAt) const;

    // The character pass alone.
    QString characterPass(const QString& text) const;

private:
    SweepMode m_mode;
    std::unique_ptr<const CharacterRules> m_rules;
    std::unique_ptr<const CharacterRules> m_keepAll;
    std::unique_ptr<const Matcher> m_matcher; // null without a strip string
    QString m_replacement;
    // The replacement through the character pass, put in as it is in the
    // one sweep; none where the replacement holds a lone surrogate.
    std::optional<QString> m_sweptReplacement;
};

} // namespace quenby::detail
