#include "cli/usage.h"

#include "cli/codec.h"

#include <algorithm>

namespace quenby::cli {
namespace {

void appendEscapes(const QByteArray& bytes, QString& out) {
    for (const char byte : bytes)
        out += QStringLiteral("\\x") + QString::number(static_cast<unsigned char>(byte), 16)
                                           .toUpper()
                                           .rightJustified(2, QLatin1Char('0'));
}

// C0 and C1 controls and DEL, which a terminal would act on.
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The character that starts bytes[0..size): the length of its UTF-8
// sequence, or of the one byte that starts none.
struct Character {
    qsizetype length;
    bool valid;
};

Character characterAt(const char* bytes, qsizetype size) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const qsizetype length = std::min<qsizetype>(lead >= 0xF0   ? 4
                                                 : lead >= 0xE0 ? 3
                                                 : lead >= 0xC0 ? 2
                                                                : 1,
                                                 size);
    QString decoded;
    const Utf8Decoded d = decodeUtf8Prefix(bytes, length, decoded);
    return d.consumed == length ? Character{length, true} : Character{1, false};
}

} // namespace

QString printable(const QByteArray& argument) {
    QString out;
    for (qsizetype i = 0; i < argument.size();) {
        const Character c = characterAt(argument.constData() + i, argument.size() - i);
        const QByteArray bytes = argument.mid(i, c.length);
        const QString text = QString::fromUtf8(bytes);
        if (c.valid && !isControl(text.at(0).unicode()))
            out += text;
        else
            appendEscapes(bytes, out);
        i += c.length;
    }
    return out;
}

QByteArray firstCharacter(const QByteArray& argument) {
    if (argument.isEmpty())
        return {};
    return argument.left(characterAt(argument.constData(), argument.size()).length);
}

QString usageErrorText(const char* program, const QString& message) {
    const QString name = QString::fromLatin1(program);
    return name + QStringLiteral(": ") + message + QStringLiteral("\nTry '") + name +
           QStringLiteral(" --help' for more information.");
}

} // namespace quenby::cli
