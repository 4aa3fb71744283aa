#include "engine/stream.h"

#include "engine/codepoints.h"
#include "engine/strip_internal.h"

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
    : m_options(std::move(options)), m_stripLength(codePointCount(m_options.stripString)) {}

void StreamStripper::feed(QStringView piece, QString& output) {
    if (piece.isEmpty())
        return;
    if (m_waiting.isEmpty()) {
        step(piece, false, output);
        return;
    }
    QString text = std::exchange(m_waiting, QString());
    text.append(piece);
    step(text, false, output);
}

void StreamStripper::finish(QString& output) {
    const QString text = std::exchange(m_waiting, QString());
    step(text, true, output);
}

qsizetype StreamStripper::settledEnd(QStringView text) const {
    qsizetype i = text.size();
    for (qsizetype k = 1; k < m_stripLength && i > 0; ++k) {
        // One character back: two units when the two before i are one character.
        qsizetype end = i - 1;
        if (i >= 2)
            codePointAt(text.first(i), i - 2, &end);
        i -= end == i ? 2 : 1;
    }
    return i;
}

void StreamStripper::step(QStringView text, bool atEnd, QString& output) {
    constexpr auto mode = detail::SweepMode::Fastest;
    // The next piece may begin with the other half of a pair.
    qsizetype n = text.size();
    if (!atEnd && n > 0 && QChar::isHighSurrogate(text[n - 1].unicode()))
        --n;
    const QStringView swept = text.first(n);
    const qsizetype settled = atEnd ? n : settledEnd(swept);
    qsizetype stoppedAt = 0;
    std::optional<QString> out;
    if (m_passedHalf.isEmpty())
        out = detail::stripSettled(swept, settled, m_options, &m_count, &stoppedAt, mode);
    if (!out) {
        // The two passes one after the other, as strip() runs them here. The
        // string pass's output is cut for the character pass only between
        // characters, so a half of a pair it ends with waits for the next.
        QString passed =
            std::exchange(m_passedHalf, QString()) +
            detail::stringPassSettled(swept, settled, m_options.stripString, m_options.replacement,
                                      m_options.caseSensitive, &m_count, &stoppedAt, mode);
        if (!atEnd && !passed.isEmpty() && passed.back().isHighSurrogate()) {
            m_passedHalf = passed.back();
            passed.chop(1);
        }
        out = characterPass(passed, m_options);
    }
    append(output, std::move(*out));
    m_waiting = text.mid(stoppedAt).toString();
}

} // namespace quenby
