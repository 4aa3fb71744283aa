#include "settings/encoding.h"

#include "engine/windows1252.h"

#include <QStringDecoder>
#include <algorithm>

namespace quenby {

namespace {

QString decodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(windows1252ToUnicode(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

QString decodeUtf8(const QByteArray& bytes) {
    // QString::fromUtf8 would drop a leading U+FEFF as a byte-order mark,
    // taking the first character of a text that begins with one.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

QString decodeFileText(const QByteArray& bytes) {
    return decodeUtf8(toUtf8FileBytes(bytes));
}

QByteArray toUtf8FileBytes(const QByteArray& bytes) {
    if (bytes.isValidUtf8())
        return bytes;
    // CR and LF are never part of a UTF-8 sequence or of a Windows-1252
    // character, so cutting at them cuts between characters in both.
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* lineEnd = std::find_if(p, end, isBreak);
        const QByteArrayView line(p, lineEnd - p);
        if (line.isValidUtf8())
            out.append(line);
        else
            out.append(decodeWindows1252(line).toUtf8());
        p = std::find_if_not(lineEnd, end, isBreak);
        out.append(lineEnd, p - lineEnd);
    }
    return out;
}

} // namespace quenby
