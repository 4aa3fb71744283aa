#include "settings/encoding.h"

#include "engine/windows1252.h"

#include <QStringDecoder>

namespace quenby {

namespace {

QString decodeWindows1252(const QByteArray& bytes) {
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
    if (bytes.isValidUtf8())
        return decodeUtf8(bytes);
    return decodeWindows1252(bytes);
}

QByteArray toUtf8FileBytes(const QByteArray& bytes) {
    if (bytes.isValidUtf8())
        return bytes;
    return decodeWindows1252(bytes).toUtf8();
}

} // namespace quenby
