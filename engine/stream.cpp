#include "engine/stream.h"

#include "engine/passes.h"

#include <QChar>
#include <utility>

namespace quenby {
namespace {

void append(QString& output, QString&& text) {
    if (output.isEmpty())
        output = std::move(text);
    else
        output += text;
}

} // namespace

StreamStripper::StreamStripper(StripOptions options)
    : m_passes(std::make_unique<detail::Passes>(options, detail::SweepMode::Fastest)) {}

StreamStripper::~StreamStripper() = default;

void StreamStripper::feed(QStringView piece, QString& output) {
    if (piece.isEmpty())
        return;
    if (m_waiting.size() == m_waitingFrom) {
        // Nothing waits: sweep the piece where it is, and keep what is left.
        const qsizetype stoppedAt = step(piece, false, output);
        m_waiting = piece.mid(stoppedAt).toString();
        m_waitingFrom = 0;
        return;
    }
    m_waiting.append(piece);
    m_waitingFrom += step(QStringView(m_waiting).mid(m_waitingFrom), false, output);
    // Drop what was swept once it is most of the buffer, so that moving
    // what waits costs no more than sweeping what went before it.
    if (m_waitingFrom > m_waiting.size() / 2) {
        m_waiting.remove(0, m_waitingFrom);
        m_waitingFrom = 0;
    }
}

void StreamStripper::finish(QString& output) {
    const QString text = std::exchange(m_waiting, QString()).mid(m_waitingFrom);
    m_waitingFrom = 0;
    step(text, true, output);
    m_state.matched = 0;
}

qsizetype StreamStripper::step(QStringView text, bool atEnd, QString& output) {
    // The next piece may begin with the other half of a pair.
    qsizetype n = text.size();
    if (!atEnd && n > 0 && QChar::isHighSurrogate(text[n - 1].unicode()))
        --n;
    const QStringView swept = text.first(n);
    const bool goesOn = !atEnd;
    const detail::Stop stop = goesOn ? detail::Stop::WhereTextToComeDecides : detail::Stop::AtEnd;
    std::optional<QString> out;
    if (m_passedHalf.isEmpty())
        out = m_passes->strip(swept, stop, m_state);
    if (!out) {
        // The two passes one after the other, as strip() runs them here. The
        // string pass's output is cut for the character pass only between
        // characters, so a half of a pair it ends with waits for the next.
        QString passed =
            std::exchange(m_passedHalf, QString()) + m_passes->stringPass(swept, stop, m_state);
        if (goesOn && !passed.isEmpty() && passed.back().isHighSurrogate()) {
            m_passedHalf = passed.back();
            passed.chop(1);
        }
        out = m_passes->characterPass(passed);
    }
    append(output, std::move(*out));
    return m_state.stoppedAt;
}

} // namespace quenby
