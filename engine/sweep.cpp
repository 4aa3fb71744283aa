#include "engine/sweep.h"

#include "engine/block_sweep.h"
#include "engine/codepoints.h"
#include "engine/output_limit.h"

#include <QChar>
#include <algorithm>
#include <memory>

namespace quenby::detail {
namespace {

const char16_t* unitsOf(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.constData());
}

char16_t* unitsOf(QString& s) {
    return reinterpret_cast<char16_t*>(s.data());
}

// Where the sweep puts its output: into the output text, allocated once, or
// (measuring) nowhere, counting its units only. Each moves a cursor on.
class Output {
public:
    static constexpr bool kWrites = true;
    using Cursor = char16_t*;

    // Room for `room` units: enough for the whole output and for what the
    // sweep writes ahead of it (one unit in the table path; in the vector
    // path, as many as it is given).
    explicit Output(qsizetype room) : m_text(room, Qt::Uninitialized) {}

    Cursor begin() { return unitsOf(m_text); }

    // A unit from the table: written, and kept when advance is 1.
    static Cursor put(Cursor w, char16_t u, quint32 advance) {
        *w = u;
        return w + advance;
    }
    static Cursor copy(Cursor w, const char16_t* s, qsizetype size) {
        for (qsizetype k = 0; k < size; ++k) // one unit or two: no call to copy
            *w++ = s[k];
        return w;
    }
    static Cursor write(Cursor w, const QString& text) {
        return std::copy_n(unitsOf(text), text.size(), w);
    }

    QString finish(Cursor w) {
        m_text.resize(w - begin());
        return std::move(m_text);
    }

private:
    QString m_text;
};

class Measure {
public:
    static constexpr bool kWrites = false;
    using Cursor = qsizetype; // the units so far

    static Cursor put(Cursor w, char16_t, quint32 advance) { return w + advance; }
    static Cursor copy(Cursor w, const char16_t*, qsizetype size) { return w + size; }
    // Only markers and replacements make the output outgrow the input: the
    // measure stops as soon as one takes it past the limit.
    static Cursor write(Cursor w, const QString& text) {
        w += text.size();
        if (w > kMaxOutputUnits)
            throw OutputTooLong();
        return w;
    }
};

} // namespace

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

Sweeper::Sweeper(const CharacterRules& rules, const Matcher* matcher, const QString& replacement,
                 SweepMode mode)
    : m_rules(rules), m_matcher(matcher), m_replacement(replacement),
      m_blocksAllowed(mode == SweepMode::Fastest) {
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
                e = marker.isEmpty() ? 0 : kWrite | marker.front().unicode();
            else
                e = kSlow;
            break;
        }
        if (matcher && matcher->fold(u) == matcher->pattern()[0])
            e = kSlow;
    }
}

bool Sweeper::mayOutgrow() const {
    return m_rules.marker().size() > 1 || (m_matcher && m_replacement.size() > m_matcher->size());
}

std::optional<QString> Sweeper::run(QStringView text, Stop stop, SweepState& state) const {
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    const bool textGoesOn = stopsAt(stop, Stop::WhereTextToComeDecides);
    WideVerdicts wide(m_rules, m_matcher);
    std::optional<Finder> finder;
    const auto freshFinder = [&]() -> Finder* {
        if (!m_matcher)
            return nullptr;
        finder.emplace(*m_matcher, s, n, textGoesOn, state.matched);
        return &*finder;
    };
    // An output that may be longer than the input is measured first, so that
    // one past the limit fails before anything is allocated, and the output
    // is allocated once: the sweep writes ahead of it by at most the units
    // still to come.
    qsizetype room = n;
    if (mayOutgrow() || n > kMaxOutputUnits) {
        qsizetype units = 0;
        qint64 found = 0;
        if (!sweep<Measure>(units, s, n, stop, freshFinder(), found, wide, nullptr))
            return std::nullopt;
        if (units > kMaxOutputUnits)
            throw OutputTooLong();
        if (mayOutgrow())
            room = units + n;
    }
    // Vector path: blocks of units, where they pay.
    std::optional<BlockSweep> blocks;
    if (m_blocksAllowed)
        blocks.emplace(m_rules, m_matcher, m_replacement, n, stop);
    Output out(room);
    char16_t* w = out.begin();
    qint64 found = 0;
    const std::optional<qsizetype> end =
        sweep<Output>(w, s, n, stop, freshFinder(), found, wide, blocks ? &*blocks : nullptr);
    if (!end)
        return std::nullopt;
    state.stoppedAt = *end;
    state.matched = finder && *end < n ? finder->matched() : 0;
    state.count += found;
    return out.finish(w);
}

template <class Sink>
std::optional<qsizetype> Sweeper::sweep(typename Sink::Cursor& w, const char16_t* s, qsizetype n,
                                        Stop stop, Finder* finder, qint64& count,
                                        WideVerdicts& wide, const BlockSweep* blocks) const {
    const bool giveUpAtLoneSurrogate = stopsAt(stop, Stop::AtLoneSurrogate);
    qsizetype i = 0;
    qsizetype noneBefore = 0; // no occurrence starts before here
    while (i < n) {
        qsizetype until = n; // one unit at a time up to here
        if constexpr (Sink::kWrites) {
            // Vector path: as far as the blocks go, then the character they
            // stopped at and maybe a few more, one unit at a time.
            if (blocks && blocks->active()) {
                i += blocks->sweep(s + i, n - i, &w, count, finder, i);
                if (i >= n)
                    break;
                until = blocks->resumeAt(s, i, n);
            }
        }
        while (i < until) {
            const char16_t u = s[i];
            const quint32 e = u < 256 ? m_fast[u] : kSlow;
            if (!(e & kSlow)) {
                w = Sink::put(w, char16_t(e), e >> 16);
                ++i;
                continue;
            }
            qsizetype next = i + 1;
            Action action;
            bool mayStart = finder != nullptr;
            if (u >= 256 && !QChar::isSurrogate(u)) {
                const WideVerdicts::Verdict v = wide.of(u);
                action = v.action;
                mayStart = v.mayStart;
            } else {
                const char32_t cp = codePointAt(QStringView(s, n), i, &next);
                if (finder && giveUpAtLoneSurrogate && next == i + 1 && QChar::isSurrogate(u))
                    return std::nullopt;
                action = m_rules.action(cp);
            }
            if (mayStart && i >= noneBefore) {
                const qsizetype end = finder->occurrenceAt(i);
                if (end >= 0) {
                    ++count;
                    w = Sink::write(w, m_replacement);
                    i = end;
                    continue;
                }
                if (end == Finder::kUndecided)
                    return i;
                noneBefore = finder->noneBefore();
            }
            switch (action) {
            case Action::Drop:
                break;
            case Action::Keep:
                w = Sink::copy(w, s + i, next - i);
                break;
            case Action::Slot:
                w = Sink::write(w, m_rules.marker());
                break;
            }
            i = next;
        }
    }
    return i;
}

} // namespace quenby::detail
