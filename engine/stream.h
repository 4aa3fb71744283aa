#pragma once

#include "engine/strip_options.h"
#include "engine/sweep_state.h"

#include <QString>
#include <QStringView>
#include <memory>

namespace quenby {
namespace detail {
class Passes;
}

// Both passes over a text that arrives in pieces, with memory bounded by the
// size of a piece rather than by the whole text: feeding the pieces one after
// the other and then finishing gives exactly strip() of the whole text, and
// count() its count, wherever the pieces are cut (inside an occurrence of the
// strip string, between the two halves of a surrogate pair, anywhere).
//
// Occurrences are found left to right without overlap, as strip() finds them:
// each piece is swept up to the first place where an occurrence of the strip
// string may start that only later pieces can decide, and the text from there
// (fewer characters than the strip string has) waits for the next piece,
// together with how many of the string's first characters it matches, so
// that the next step reads only the new piece. A trailing first half of a
// surrogate pair waits as well. Finding the strip string costs time linear
// in the whole text's length, whatever the string and however small the
// pieces.
class StreamStripper {
public:
    explicit StreamStripper(StripOptions options);
    ~StreamStripper();

    // Takes the next piece of the text and appends to output the stripped
    // text of everything that no later piece can change.
    void feed(QStringView piece, QString& output);

    // The text has ended: appends the stripped text of what was waiting.
    // The stripper then starts over with an empty text (the count stays).
    void finish(QString& output);

    // The occurrences of the strip string in the text passed on so far: all
    // of them once finish() has run. 0 without a strip string.
    qint64 count() const { return m_state.count; }

    // The units of text waiting for the next piece.
    qsizetype waiting() const { return m_waiting.size() - m_waitingFrom + m_passedHalf.size(); }

private:
    // Sweeps text (the waiting text and the new piece) and returns where the
    // sweep stopped.
    qsizetype step(QStringView text, bool atEnd, QString& output);

    std::unique_ptr<const detail::Passes> m_passes;
    // The text not yet swept: m_waiting from m_waitingFrom on (what is
    // before it is dropped now and then, not at every step).
    QString m_waiting;
    qsizetype m_waitingFrom = 0;
    // The sweeps' running state: the count, and how many of the strip
    // string's first characters the waiting text begins with.
    detail::SweepState m_state;
    // Only where the two passes run one after the other (lone surrogates):
    // a first half of a surrogate pair at the end of the string pass's
    // output, which the next output may complete.
    QString m_passedHalf;
};

} // namespace quenby
