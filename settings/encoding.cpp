#include "settings/encoding.h"

#include <QStringDecoder>
#include <algorithm>

namespace quenby {

namespace {

// Windows-1252 codes 128..159; the unassigned ones keep their own number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(windows1252ToUnicode(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

char16_t windows1252ToUnicode(unsigned char byte) {
    if (byte >= 128 && byte < 160)
        return kWindows1252High[byte - 128];
    return byte;
}

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
