#pragma once

#include "settings/encoding.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: reading structured values out of the fuzzer's
// bytes, a scratch folder per input, and the check that stops the run when an
// invariant breaks (a finding under libFuzzer, a failed test in a replay).
namespace quenby::fuzz {

// Bytes shown with C escapes, so that a report names CR, LF and NUL exactly.
inline QByteArray escaped(const QByteArray& bytes, qsizetype limit = 2000) {
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\\')
            out += "\\\\";
        else if (c >= 32 && c < 127)
            out += char(c);
        else
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
    }
    if (bytes.size() > limit)
        out += "...";
    return out;
}

inline QByteArray escaped(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 32 && u < 127 && u != '\\')
            out += char(u);
        else
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out;
}

// Stops the run, naming the invariant and the values involved, when ok is false.
inline void check(bool ok, const char* invariant, const QByteArray& detail = QByteArray()) {
    if (ok)
        return;
    std::fprintf(stderr, "\nINVARIANT BROKEN: %s\n%s\n", invariant, detail.constData());
    std::fflush(stderr);
    std::abort();
}

// Takes values off the front of the fuzzer's bytes. Running out is never an
// error: missing bytes read as zero and missing strings as empty.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }

    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // A run of bytes whose length is the next byte modulo (maxLength + 1).
    QByteArray bytes(int maxLength) {
        const std::size_t wanted = byte() % (maxLength + 1);
        const std::size_t n = wanted < m_size - m_pos ? wanted : m_size - m_pos;
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

    QByteArray rest() {
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos),
                             qsizetype(m_size - m_pos));
        m_pos = m_size;
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A fresh folder for one input, in TMPDIR (the fuzz script points it at a
// memory file system), removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        check(m_dir.isValid(), "a scratch folder can be made", m_dir.errorString().toUtf8());
    }
    QString path() const { return m_dir.path(); }
    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir m_dir;
};

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes) == bytes.size(),
          "the input file can be written", path.toUtf8());
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "the output file can be read", path.toUtf8());
    return file.readAll();
}

// The text of UTF-8 bytes, keeping a leading U+FEFF that QString::fromUtf8
// would drop as a byte-order mark, so that values may begin with one.
inline QString textOfUtf8(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QChar(0xFEFF) + QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

// ASCII lower case, the way the settings files compare names.
inline QString asciiLower(QString text) {
    for (QChar& c : text)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(char16_t(c.unicode() + 32));
    return text;
}

// The text of a settings or saved-texts file, each line decoded on its own:
// a line that is valid UTF-8 as UTF-8 (U+FEFF at its start kept as a character),
// any other as the decoder reads a file that holds only that line
// (Windows-1252). The breaks (CR, LF) stay as they are.
inline QString textOfLines(const QByteArray& bytes) {
    QString text;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        const QByteArray line = bytes.mid(start, i - start);
        text += line.isValidUtf8() ? decodeUtf8(line) : decodeFileText(line);
        if (i < bytes.size())
            text += QLatin1Char(bytes[i]);
        start = i + 1;
    }
    return text;
}

// The lines of a decoded settings file the way the reader sees them: a
// byte-order mark and control characters (codes 0 to 13) at the start are
// not there; a line ends at CR LF, a lone CR or a lone LF; a last line
// without a line break counts.
inline QStringList readerLines(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() &&
           (text.at(start).unicode() <= 13 || text.at(start) == QChar(0xFEFF)))
        ++start;
    QStringList lines;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != QLatin1Char('\r') &&
               text.at(end) != QLatin1Char('\n'))
            ++end;
        lines.append(text.mid(start, end - start));
        if (end == text.size())
            break;
        start = end + 1;
        if (text.at(end) == QLatin1Char('\r') && start < text.size() &&
            text.at(start) == QLatin1Char('\n'))
            ++start;
    }
    return lines;
}

} // namespace quenby::fuzz
