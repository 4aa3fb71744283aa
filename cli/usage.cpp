#include "cli/usage.h"

#include "cli/codec.h"

namespace quenby::cli {
namespace {

void appendEscapes(const QByteArray& bytes, QString& out) {
    for (const char byte : bytes)
        out += QStringLiteral("\\x") + QString::number(static_cast<unsigned char>(byte), 16)
                                           .toUpper()
                                           .rightJustified(2, QLatin1Char('0'));
}

// C0 and C1 controls and DEL, which a terminal would act on.
bool isControl(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

} // namespace

QString printable(const QByteArray& argument) {
    QString out;
    qsizetype i = 0;
    while (i < argument.size()) {
        QString decoded;
        const Utf8Decoded d =
            decodeUtf8Prefix(argument.constData() + i, argument.size() - i, decoded);
        for (const QChar c : decoded) {
            if (isControl(c))
                appendEscapes(QString(c).toUtf8(), out);
            else
                out += c;
        }
        i += d.consumed;
        if (i < argument.size()) // an ill-formed or cut-off sequence: one byte at a time
            appendEscapes(argument.mid(i++, 1), out);
    }
    return out;
}

QByteArray firstCharacter(const QByteArray& argument) {
    if (argument.isEmpty())
        return {};
    const auto lead = static_cast<unsigned char>(argument[0]);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    const QByteArray sequence = argument.left(length);
    QString decoded;
    const Utf8Decoded d = decodeUtf8Prefix(sequence.constData(), sequence.size(), decoded);
    return d.consumed == sequence.size() ? sequence : argument.left(1);
}

QString usageErrorText(const char* program, const QString& message) {
    const QString name = QString::fromLatin1(program);
    return name + QStringLiteral(": ") + message + QStringLiteral("\nTry '") + name +
           QStringLiteral(" --help' for more information.");
}

} // namespace quenby::cli
