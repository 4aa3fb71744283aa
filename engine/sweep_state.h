#pragma once

#include <QtGlobal>

// What one sweep over a text is told and what it hands on: how it goes
// (SweepMode), where it may end before the end of its text (Stop), and the
// running state that the streaming stripper carries from one step to the
// next (SweepState).
namespace quenby::detail {

enum class SweepMode {
    Fastest,        // blocks of units where the processor has the vectors for them
    OneUnitAtATime, // never blocks
};

// Where a sweep may end before the end of its text. The values combine.
enum class Stop : quint8 {
    // Nowhere: the text ends where the sweep's text ends.
    AtEnd = 0,
    // The text is one step of a text that goes on (the streaming stripper's
    // step): the sweep stops at the first place where an occurrence of the
    // strip string may start but only the text still to come can tell. The
    // text from there on is left for the next step.
    WhereTextToComeDecides = 1,
    // The sweep gives up, with no output, at a lone surrogate met outside
    // the occurrences: there the one sweep for both passes could differ from
    // the two passes one after the other.
    AtLoneSurrogate = 2,
};

constexpr Stop operator|(Stop a, Stop b) {
    return Stop(quint8(a) | quint8(b));
}

// True when `when` holds the stop `one`.
constexpr bool stopsAt(Stop when, Stop one) {
    return (quint8(when) & quint8(one)) != 0;
}

// A sweep reads this on the way in and updates it on the way out, unless it
// gives up (Stop::AtLoneSurrogate): then it leaves the state as it was.
struct SweepState {
    // How many of the strip string's first characters the text begins with,
    // as the step before left them (0 for a text of its own); after the
    // sweep, how many the text left over (from stoppedAt on) begins with.
    qsizetype matched = 0;
    // The occurrences of the strip string found: each sweep adds its own.
    qint64 count = 0;
    // After the sweep: where it stopped; the text's size when it swept it all.
    qsizetype stoppedAt = 0;
};

} // namespace quenby::detail
