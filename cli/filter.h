#pragma once

#include "cli/arguments.h"
#include "engine/stream.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>

// The stripper's loop over files: large reads, decoding, the streaming
// engine, encoding and large writes, with memory bounded by the read size.
namespace quenby::cli {

// The output could not be written; what() is the system's reason.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Why reading an input stopped before its end.
struct InputStop {
    QString input; // the input's name; for bad text, the one where the sequence begins
    QString reason;
    // The input is not text in the chosen encoding: nothing after it may be
    // read (a failed read, by contrast, leaves the next input to be read).
    bool badText = false;
};

class Filter {
public:
    // chunkSize: the bytes asked for at each read.
    Filter(StripOptions options, InputEncoding encoding, qsizetype chunkSize, int outputFd);

    // Reads fd to its end as the next part of the one text, writing the
    // stripped text of all that no later input can change; a UTF-8 sequence
    // cut off at its end is left for the next input to complete. Returns why
    // it stopped early, if it did: a read error, or (badText) an invalid
    // UTF-8 sequence, named by the input it begins in (which may be an
    // earlier one) and its byte offset there; everything before that
    // sequence has gone through the stripper. Throws WriteError.
    std::optional<InputStop> pass(int fd, const QString& name);

    // The text has ended: writes the rest. Returns a stop (badText) when a
    // UTF-8 sequence was cut off by the end. Throws WriteError.
    std::optional<InputStop> finish();

    qint64 count() const { return m_stripper.count(); }

private:
    // The stop for the sequence at m_heldOffset in m_heldInput, not UTF-8.
    InputStop invalidText() const;
    void strip(QStringView text);
    void write(const QString& text);

    StreamStripper m_stripper;
    InputEncoding m_encoding;
    qsizetype m_chunkSize;
    qsizetype m_pieceUnits; // units given to the stripper at a time
    int m_outputFd;
    QByteArray m_bytes;      // what was read, behind an unfinished UTF-8 sequence
    qsizetype m_held = 0;    // bytes of that sequence
    QString m_heldInput;     // the input it begins in
    qint64 m_heldOffset = 0; // and where
    QString m_text;          // what was decoded
    QString m_output;        // the stripper's output
    QByteArray m_encoded;
};

} // namespace quenby::cli
