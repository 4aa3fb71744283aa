// The saved-texts file. The first byte chooses the case:
// - even: a text (UTF-16 units, lone surrogates included) is saved and loaded
//   again. The file holds the text with every line break as CR LF, then one
//   CR LF; loading gives back the text with every CR LF and lone CR turned
//   into LF, so a text with LF breaks only comes back exactly. A lone
//   surrogate cannot be written as UTF-8 and comes back as "?".
// - odd: arbitrary file bytes are loaded. The text is the file's lines, each
//   decoded on its own, with LF breaks and without the file's one final line
//   break (CR LF, LF or CR); saving it writes those lines with CR LF breaks
//   and one CR LF at the end, so a line of valid UTF-8 keeps its bytes, and
//   loading again gives the same text.
#include "fuzz_support.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"

using namespace quenby;
using namespace quenby::fuzz;

namespace {

QString fromUtf16Units(const QByteArray& bytes) {
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(char16_t(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

QString withLfBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The text as UTF-8 can hold it: each lone surrogate becomes "?".
QString withoutLoneSurrogates(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QLatin1Char('?');
    }
    return text;
}

void saveThenLoad(const ScratchFolder& folder, const QString& text) {
    TxtSave(folder.path(), QString::fromLatin1(kSavedTextsFileName), text);
    const QByteArray file = readBytes(folder.file(kSavedTextsFileName));
    const QString expected = withLfBreaks(withoutLoneSurrogates(text));
    QString stored = expected;
    stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QByteArray what = "text: " + escaped(text) + "\nfile: " + escaped(file);
    check(file == stored.toUtf8() + "\r\n", "the file holds the text with CR LF breaks, then CR LF",
          what);
    const QString loaded = TxtLoad(folder.path());
    check(loaded == expected, "loading gives back the text with LF breaks",
          what + "\nloaded: " + escaped(loaded));
}

void loadThenSave(const ScratchFolder& folder, const QByteArray& file) {
    writeBytes(folder.file(kSavedTextsFileName), file);
    const QString loaded = TxtLoad(folder.path());
    QString expected = withLfBreaks(textOfLines(file));
    if (expected.endsWith(QLatin1Char('\n')))
        expected.chop(1);
    const QByteArray what = "file: " + escaped(file) + "\nloaded: " + escaped(loaded);
    check(loaded == expected, "loading gives the lines without the final break",
          what + "\nexpected: " + escaped(expected));
    TxtSave(folder.path(), QString::fromLatin1(kSavedTextsFileName), loaded);
    QString stored = expected;
    stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QByteArray saved = readBytes(folder.file(kSavedTextsFileName));
    check(saved == stored.toUtf8() + "\r\n", "saving writes the lines with CR LF breaks",
          what + "\nsaved: " + escaped(saved));
    const QString again = TxtLoad(folder.path());
    check(again == loaded, "saving a loaded text and loading it again changes nothing",
          what + "\nagain: " + escaped(again));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const bool fromFile = in.byte() & 1;
    const QByteArray rest = in.rest();
    const ScratchFolder folder;
    if (fromFile)
        loadThenSave(folder, rest);
    else
        saveThenLoad(folder, fromUtf16Units(rest));
    return 0;
}
