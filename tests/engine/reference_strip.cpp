#include "reference_strip.h"

#include <QChar>

namespace quenby::reference {
namespace {

// What the code page puts at codes 128 to 159; the unused codes stand for
// the C1 controls of the same value.
const char16_t kCodes128To159[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePoint(const QString& character) {
    if (character.size() == 2)
        return QChar::surrogateToUcs4(character.at(0), character.at(1));
    return character.at(0).unicode();
}

QString fromCodePoint(char32_t cp) {
    if (QChar::requiresSurrogates(cp))
        return QString(QChar(QChar::highSurrogate(cp))) + QChar(QChar::lowSurrogate(cp));
    return QString(QChar(char16_t(cp)));
}

QStringList upperCased(const QStringList& characters) {
    QStringList result;
    for (const QString& c : characters)
        result.append(c.size() == 1 ? QString(c.at(0).toUpper())
                                    : fromCodePoint(QChar::toUpper(codePoint(c))));
    return result;
}

bool occursAt(const QStringList& text, const QStringList& pattern, qsizetype position) {
    for (qsizetype k = 0; k < pattern.size(); ++k)
        if (text.at(position - 1 + k) != pattern.at(k))
            return false;
    return true;
}

bool isOneOf(const QString& c, const QStringList& letters) {
    return letters.contains(c);
}

} // namespace

QStringList characters(const QString& text) {
    QStringList result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            result.append(text.mid(i, 2));
            ++i;
        } else {
            result.append(text.mid(i, 1));
        }
    }
    return result;
}

int windows1252Code(const QString& character) {
    if (character.size() != 1)
        return -1;
    const char16_t u = character.at(0).unicode();
    if (u <= 127 || (u >= 160 && u <= 255))
        return u;
    for (int k = 0; k < 32; ++k)
        if (kCodes128To159[k] == u)
            return 128 + k;
    return -1;
}

bool isPunctuation(const QString& character) {
    const int code = windows1252Code(character);
    if (code != -1)
        return (33 <= code && code <= 47) || (58 <= code && code <= 64) ||
               (91 <= code && code <= 96) || (123 <= code && code <= 191);
    switch (QChar::category(codePoint(character))) {
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return true;
    default:
        return false;
    }
}

QString PuncFilter(const QString& character) {
    if (characters(character).size() == 1 && isPunctuation(character))
        return QString();
    return character;
}

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count) {
    const QStringList typed = characters(input);
    const QStringList text = caseSensitive ? typed : upperCased(typed);
    const QStringList pattern =
        caseSensitive ? characters(stripString) : upperCased(characters(stripString));

    QStringList pieces;
    qint64 n = -1;
    qsizetype start = 1;
    qsizetype found = 0;
    do {
        n += 1;
        found = 0;
        if (!pattern.isEmpty())
            for (qsizetype p = start; p + pattern.size() - 1 <= text.size(); ++p)
                if (occursAt(text, pattern, p)) {
                    found = p;
                    break;
                }
        QStringList piece;
        const qsizetype stop = found != 0 ? found - 1 : typed.size();
        for (qsizetype p = start; p <= stop; ++p)
            piece.append(typed.at(p - 1));
        pieces.append(piece.join(QString()));
        start = found + pattern.size();
    } while (found != 0);

    QString result = pieces.at(0);
    for (qint64 i = 1; i <= n; ++i) {
        result.append(replacement);
        result.append(pieces.at(i));
    }
    if (count)
        *count = n;
    return result;
}

QString characterPass(const QString& text, const StripOptions& options) {
    const bool upper =
        options.caseChoice == CaseChoice::Upper || options.caseChoice == CaseChoice::Both;
    const bool lower =
        options.caseChoice == CaseChoice::Lower || options.caseChoice == CaseChoice::Both;
    QStringList upperVowels = {"A", "E", "I", "O", "U"};
    QStringList lowerVowels = {"a", "e", "i", "o", "u"};
    if (options.includeY) {
        upperVowels.append("Y");
        lowerVowels.append("y");
    }

    QString output;
    for (QString c : characters(text)) {
        if (options.stripPunctuation)
            c = reference::PuncFilter(c);
        if (!c.isEmpty() && options.stripNumbers) {
            const int code = windows1252Code(c);
            if (code >= 48 && code <= 57)
                c.clear();
        }
        if (!c.isEmpty() && options.stripSpaces && windows1252Code(c) == 32)
            c.clear();
        if (!c.isEmpty() && options.stripVowels) {
            if (upper && isOneOf(c, upperVowels))
                c.clear();
            if (!c.isEmpty() && lower && isOneOf(c, lowerVowels))
                c.clear();
        }
        if (!c.isEmpty()) {
            bool isSlot = false;
            for (const QString& slot : options.slots)
                if (!slot.isEmpty() && slot == c)
                    isSlot = true;
            output.append(isSlot ? options.marker : c);
        }
    }
    return output;
}

StripResult strip(const QString& input, const StripOptions& options) {
    StripResult result;
    QString text = input;
    if (!options.stripString.isEmpty()) {
        qint64 n = 0;
        text = reference::stringPass(input, options.stripString, options.replacement,
                                     options.caseSensitive, &n);
        result.count = n;
    }
    result.text = reference::characterPass(text, options);
    return result;
}

} // namespace quenby::reference
