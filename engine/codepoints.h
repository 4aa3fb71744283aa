#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// What a character is, everywhere a text is counted or cut: a surrogate pair
// is one character, and every other UTF-16 unit, a lone surrogate included,
// is a character of its own.
namespace quenby {

// The character starting at text[i] (i below text.size()): its code point,
// and in *next the position just after it.
inline char32_t codePointAt(QStringView text, qsizetype i, qsizetype* next) {
    const char16_t u = text.utf16()[i];
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text.utf16()[i + 1])) {
        *next = i + 2;
        return QChar::surrogateToUcs4(u, text.utf16()[i + 1]);
    }
    *next = i + 1;
    return u;
}

// The number of characters in text.
inline qsizetype codePointCount(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0, next = 0; i < text.size(); i = next, ++count)
        codePointAt(text, i, &next);
    return count;
}

// The first character of text; empty stays empty.
inline QString firstCharacter(const QString& text) {
    qsizetype next = 0;
    if (!text.isEmpty())
        codePointAt(text, 0, &next);
    return text.left(next);
}

} // namespace quenby
