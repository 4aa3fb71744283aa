// The text engine on arbitrary texts and options, against the slow literal
// reference of the tests: both passes together, each pass alone, and the
// one-sweep result against the two passes run one after the other.
#include "engine/strip.h"
#include "engine/windows1252.h"
#include "fuzz_support.h"
#include "reference_strip.h"

#include <iterator>
#include <optional>

using namespace quenby;
using namespace quenby::fuzz;

namespace {

// Characters that a byte at or above 0xF0 stands for: surrogate halves, pairs
// with case mappings, case mappings that change length, and separators.
constexpr char32_t kSpecial[] = {
    0xD83D,  // a lone high surrogate (unless a low one follows)
    0xDE00,  // a lone low surrogate
    0x1F600, // a pair without case
    0x10400, // a pair whose lower case is the pair U+10428
    0x10428, //
    0x0130,  // İ: its lower case is two characters
    0x00DF,  // ß: its upper case is two characters
    0x1E9E,  // ẞ
    0xFB00,  // ﬀ
    0x0131,  // ı
    0x03C3,  // σ
    0x2029,  // paragraph separator
    0x00A0,  // no-break space
    0x3000,  // ideographic space
    0xFF10,  // a full-width digit
};

void appendCodePoint(QString& text, char32_t cp) {
    if (QChar::requiresSurrogates(cp)) {
        text.append(QChar(QChar::highSurrogate(cp)));
        text.append(QChar(QChar::lowSurrogate(cp)));
    } else {
        text.append(QChar(char16_t(cp)));
    }
}

// A compact text code, so that short inputs reach every character class:
// bytes below 0x80 are ASCII, 0x80 to 0x9F the Windows-1252 characters of
// those codes, 0xA0 to 0xEF Latin-1, 0xF0 onwards kSpecial, and 0xFF takes
// the next two bytes as one raw UTF-16 unit.
QString decodeText(const QByteArray& bytes) {
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0xF0) {
            text.append(QChar(windows1252ToUnicode(b)));
        } else if (b < 0xFF) {
            appendCodePoint(text, kSpecial[(b - 0xF0) % std::size(kSpecial)]);
        } else if (i + 2 < bytes.size()) {
            text.append(QChar(char16_t(static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                       static_cast<unsigned char>(bytes[i + 2]))));
            i += 2;
        }
    }
    return text;
}

QByteArray describe(const QString& input, const StripOptions& o) {
    QByteArray slots;
    for (const QString& s : o.slots)
        slots += "[" + escaped(s) + "]";
    return "input: " + escaped(input) + "\nstrip: " + escaped(o.stripString) +
           "\nreplacement: " + escaped(o.replacement) + "\nslots: " + slots +
           "\nmarker: " + escaped(o.marker) + "\nflags: case " +
           QByteArray::number(o.caseSensitive) + " punc " + QByteArray::number(o.stripPunctuation) +
           " nums " + QByteArray::number(o.stripNumbers) + " spaces " +
           QByteArray::number(o.stripSpaces) + " vowels " + QByteArray::number(o.stripVowels) +
           " y " + QByteArray::number(o.includeY) + " choice " +
           QByteArray::number(int(o.caseChoice));
}

QByteArray count(const std::optional<qint64>& n) {
    return n ? QByteArray::number(*n) : QByteArray("none");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    StripOptions o;
    const std::uint8_t flags = in.byte();
    o.caseSensitive = flags & 1;
    o.stripPunctuation = flags & 2;
    o.stripNumbers = flags & 4;
    o.stripSpaces = flags & 8;
    o.stripVowels = flags & 16;
    o.includeY = flags & 32;
    o.caseChoice = CaseChoice(in.byte() % 3);
    o.stripString = decodeText(in.bytes(12));
    o.replacement = decodeText(in.bytes(6));
    const std::uint8_t slotsInUse = in.byte();
    for (std::size_t i = 0; i < o.slots.size(); ++i)
        if (slotsInUse & (1u << (i % 8)))
            o.slots[i] = decodeText(in.bytes(2));
    o.marker = decodeText(in.bytes(3));
    const QString input = decodeText(in.rest());

    const StripResult got = strip(input, o);
    const StripResult want = reference::strip(input, o);
    const QByteArray what = describe(input, o) + "\nengine: " + escaped(got.text) + " count " +
                            count(got.count) + "\nreference: " + escaped(want.text) + " count " +
                            count(want.count);
    check(got.text == want.text && got.count == want.count, "the engine agrees with the reference",
          what);

    qint64 passCount = -1;
    qint64 referenceCount = -1;
    const QString passed =
        stringPass(input, o.stripString, o.replacement, o.caseSensitive, &passCount);
    const QString referencePassed = reference::stringPass(input, o.stripString, o.replacement,
                                                          o.caseSensitive, &referenceCount);
    check(passed == referencePassed && passCount == referenceCount,
          "the string pass agrees with the reference",
          what + "\nstring pass: " + escaped(passed) + " count " + QByteArray::number(passCount) +
              "\nreference: " + escaped(referencePassed) + " count " +
              QByteArray::number(referenceCount));
    const QString characters = characterPass(input, o);
    check(characters == reference::characterPass(input, o),
          "the character pass agrees with the reference",
          what + "\ncharacter pass: " + escaped(characters));

    const bool stringRuns = !o.stripString.isEmpty();
    const QString composed = characterPass(stringRuns ? passed : input, o);
    check(got.text == composed &&
              got.count == (stringRuns ? std::optional<qint64>(passCount) : std::nullopt),
          "one sweep gives what the two passes give one after the other",
          what + "\ntwo passes: " + escaped(composed));
    return 0;
}
