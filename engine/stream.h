#pragma once

#include "engine/strip.h"

#include <QString>
#include <QStringView>

namespace quenby {

// Both passes over a text that arrives in pieces, with memory bounded by the
// size of a piece rather than by the whole text: feeding the pieces one after
// the other and then finishing gives exactly strip() of the whole text, and
// count() its count, wherever the pieces are cut (inside an occurrence of the
// strip string, between the two halves of a surrogate pair, anywhere).
//
// Occurrences are found left to right without overlap, as strip() finds them:
// each piece is swept up to the last place where an occurrence could still
// start without being complete, and the rest (the strip string's length less
// one character at most, after an occurrence found across it) waits for the
// next piece. A trailing first half of a surrogate pair waits as well.
class StreamStripper {
public:
    explicit StreamStripper(StripOptions options);

    // Takes the next piece of the text and appends to output the stripped
    // text of everything that no later piece can change.
    void feed(QStringView piece, QString& output);

    // The text has ended: appends the stripped text of what was waiting.
    // The stripper then starts over with an empty text (the count stays).
    void finish(QString& output);

    // The occurrences of the strip string in the text passed on so far: all
    // of them once finish() has run. 0 without a strip string.
    qint64 count() const { return m_count; }

    // The units of text waiting for the next piece.
    qsizetype waiting() const { return m_waiting.size() + m_passedHalf.size(); }

private:
    void step(QStringView text, bool atEnd, QString& output);
    // Where the sweep of text may stop: the strip string's length less one
    // character before the end.
    qsizetype settledEnd(QStringView text) const;

    StripOptions m_options;
    qsizetype m_stripLength = 0; // characters of the strip string
    qint64 m_count = 0;
    QString m_waiting; // text not yet swept
    // Only where the two passes run one after the other (lone surrogates):
    // a first half of a surrogate pair at the end of the string pass's
    // output, which the next output may complete.
    QString m_passedHalf;
};

} // namespace quenby
