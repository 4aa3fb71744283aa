#include "engine/sweep.h"

#include "engine/block_sweep.h"
#include "engine/codepoints.h"

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

// The output text, sized to the input at first. Characters write at most as
// many units as they take, so only markers and replacements can outgrow it;
// they ask for room first.
class Output {
public:
    explicit Output(qsizetype size) : m_text(size, Qt::Uninitialized) {}

    char16_t* begin() { return unitsOf(m_text); }

    // Writes text at w, keeping room for `rest` more units; returns the new end.
    char16_t* write(char16_t* w, const QString& text, qsizetype rest) {
        const qsizetype used = w - begin();
        const qsizetype needed = used + text.size() + rest;
        if (needed > m_text.size()) {
            m_text.resize(std::max(needed, 2 * m_text.size()));
            w = begin() + used;
        }
        return std::copy_n(unitsOf(text), text.size(), w);
    }

    QString finish(char16_t* w) {
        m_text.resize(w - begin());
        return std::move(m_text);
    }

private:
    QString m_text;
};

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

} // namespace

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

std::optional<QString> Sweeper::run(const QString& input, qint64* count,
                                    bool stopAtLoneSurrogate) const {
    return run(unitsOf(input), input.size(), input.size(), count, stopAtLoneSurrogate, nullptr);
}

std::optional<QString> Sweeper::run(const char16_t* s, qsizetype n, qsizetype settled,
                                    qint64* count, bool stopAtLoneSurrogate,
                                    qsizetype* stoppedAt) const {
    // Vector path: blocks of units, where they pay.
    std::optional<BlockSweep> blocks;
    if (m_blocksAllowed)
        blocks.emplace(m_rules, m_matcher, m_replacement, n, settled < n);
    Output out(n);
    WideVerdicts wide(m_rules, m_matcher);
    char16_t* w = out.begin();
    qsizetype i = 0;
    while (i < settled) {
        qsizetype until = settled; // one unit at a time up to here
        // Vector path: as far as the blocks go, then the character they
        // stopped at and maybe a few more, one unit at a time.
        if (blocks && blocks->active()) {
            i += blocks->sweep(s + i, n - i, &w, count);
            if (i >= settled)
                break;
            until = blocks->resumeAt(s, i, n, settled);
        }
        while (i < until) {
            const char16_t u = s[i];
            const quint32 e = u < 256 ? m_fast[u] : kSlow;
            if (!(e & kSlow)) {
                *w = char16_t(e); // there is room for one unit while i < n
                w += e >> 16;
                ++i;
                continue;
            }
            qsizetype next = i + 1;
            Action action;
            bool mayStart = m_matcher != nullptr;
            if (u >= 256 && !QChar::isSurrogate(u)) {
                const WideVerdicts::Verdict v = wide.of(u);
                action = v.action;
                mayStart = v.mayStart;
            } else {
                const char32_t cp = codePointAt(QStringView(s, n), i, &next);
                if (m_matcher && stopAtLoneSurrogate && next == i + 1 && QChar::isSurrogate(u))
                    return std::nullopt;
                action = m_rules.action(cp);
            }
            if (mayStart) {
                const qsizetype end = m_matcher->matchAt(s, i, n);
                if (end >= 0) {
                    ++*count;
                    w = out.write(w, m_replacement, n - end);
                    i = end;
                    continue;
                }
            }
            switch (action) {
            case Action::Drop:
                break;
            case Action::Keep:
                for (qsizetype k = i; k < next; ++k) // one unit or two: no call to copy
                    *w++ = s[k];
                break;
            case Action::Slot:
                w = out.write(w, m_rules.marker(), n - next);
                break;
            }
            i = next;
        }
    }
    if (stoppedAt)
        *stoppedAt = i;
    return out.finish(w);
}

} // namespace quenby::detail
