#include "cli/filter.h"

#include "cli/codec.h"
#include "cli/systemreason.h"
#include "engine/codepoints.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quenby::cli {
namespace {

// Output units the stripper makes at a time, at most: pieces of the input
// are cut to keep to it whatever the replacement and marker make of them.
constexpr qsizetype kOutputUnitsAtATime = qsizetype(1) << 20;

// At most how many output units one input unit can become: a slot
// character becomes the marker, and an occurrence of the strip string (at
// least as many units as it has characters) the replacement, each of whose
// units may be a slot character.
qsizetype growth(const StripOptions& o) {
    const qsizetype marker = std::max<qsizetype>(1, o.marker.size());
    if (o.stripString.isEmpty())
        return marker;
    const qsizetype length = codePointCount(o.stripString);
    return marker * std::max<qsizetype>(1, (o.replacement.size() + length - 1) / length);
}

void writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw WriteError(systemReason(errno).toStdString());
        }
        data += written;
        size -= written;
    }
}

} // namespace

Filter::Filter(StripOptions options, InputEncoding encoding, qsizetype chunkSize, int outputFd)
    : m_stripper(options), m_encoding(encoding), m_chunkSize(chunkSize),
      m_pieceUnits(std::max<qsizetype>(1, kOutputUnitsAtATime / growth(options))),
      m_outputFd(outputFd) {
    // Room for three bytes of an unfinished sequence before each read.
    m_bytes.resize(chunkSize + 3);
}

std::optional<InputStop> Filter::pass(int fd, const QString& name) {
    qint64 offset = 0; // in this input, of the bytes read next
    for (;;) {
        const ssize_t got = ::read(fd, m_bytes.data() + m_held, size_t(m_chunkSize));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return InputStop{name, systemReason(errno)};
        }
        if (got == 0)
            return std::nullopt;
        const qsizetype size = m_held + got;
        m_text.resize(0);
        if (m_encoding == InputEncoding::Windows1252) {
            decodeWindows1252(m_bytes.constData(), size, m_text);
            strip(m_text);
            continue;
        }
        const Utf8Decoded d = decodeUtf8Prefix(m_bytes.constData(), size, m_text);
        strip(m_text);
        // Where the bytes left over begin: in this read, unless they are
        // still those held from before.
        if (d.consumed >= m_held) {
            m_heldInput = name;
            m_heldOffset = offset + d.consumed - m_held;
        }
        offset += got;
        if (d.invalid) {
            m_held = 0;
            return invalidText();
        }
        m_held = size - d.consumed;
        std::memmove(m_bytes.data(), m_bytes.constData() + d.consumed, size_t(m_held));
    }
}

std::optional<InputStop> Filter::finish() {
    m_stripper.finish(m_output);
    write(m_output);
    if (m_held == 0)
        return std::nullopt;
    m_held = 0;
    return invalidText();
}

InputStop Filter::invalidText() const {
    return InputStop{m_heldInput,
                     QStringLiteral("invalid UTF-8 at byte offset %1").arg(m_heldOffset), true};
}

void Filter::strip(QStringView text) {
    for (qsizetype i = 0; i < text.size(); i += m_pieceUnits) {
        m_stripper.feed(text.mid(i, m_pieceUnits), m_output);
        write(m_output);
    }
}

void Filter::write(const QString& text) {
    m_encoded.resize(0);
    encodeUtf8(text, m_encoded);
    m_output.clear();
    writeAll(m_outputFd, m_encoded.constData(), m_encoded.size());
}

} // namespace quenby::cli
