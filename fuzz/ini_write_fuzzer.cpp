// IniWrite of an arbitrary key and value into arbitrary file bytes, always
// into the section "Default" as the program does. Checked after each write:
// - the file ends with CR LF and is UTF-8;
// - when the rules promise it (readsBack), IniRead of the key gives the value
//   back, every other line keeps its section, its place and its text (each
//   line of the old file decoded on its own, so a line of valid UTF-8 keeps
//   its bytes), and writing the same again changes no byte.
#include "fuzz_support.h"
#include "settings/inifile.h"
#include "settings/keytable.h"

using namespace quenby;
using namespace quenby::fuzz;

namespace {

bool isEdgeControl(QChar c) {
    return c.unicode() <= 13;
}

// The rules promise that the key reads back as the value when neither holds
// a line break (it would end the stored line), the key holds no "=" (the
// first "=" of a line ends its key) and does not begin with "[" (its line
// would be a section header). Control characters at the value's end stay,
// also on the file's last line.
bool readsBack(const QString& key, const QString& value) {
    const auto hasBreak = [](const QString& s) {
        return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
    };
    return !hasBreak(key) && !hasBreak(value) && !key.contains(QLatin1Char('=')) &&
           !key.startsWith(QLatin1Char('['));
}

// Every non-blank line that is not a header, behind the name of its section
// (lower-cased; "" before the first header), in file order, leaving out the
// key lines of `key` in sections named "Default": what a write of that key
// must keep.
QStringList keptLines(const QString& text, const QString& key) {
    const QString target = QStringLiteral("default");
    const QString keyEq = asciiLower(key) + QLatin1Char('=');
    QString section;
    QStringList kept;
    for (const QString& line : readerLines(text)) {
        if (line.startsWith(QLatin1Char('['))) {
            section =
                asciiLower(line.mid(1, line.endsWith(QLatin1Char(']')) ? line.size() - 2 : -1));
            if (!line.endsWith(QLatin1Char(']')))
                section += QStringLiteral("<no ]>");
            continue;
        }
        if (line.isEmpty() || (section == target && asciiLower(line).startsWith(keyEq)))
            continue;
        kept.append(section + QStringLiteral(" | ") + line);
    }
    return kept;
}

QString trimmedStart(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && isEdgeControl(text.at(first)))
        ++first;
    return text.mid(first);
}

// Without the last lines that hold nothing but control characters: the
// clean-up drops those whole, and never cuts a line holding anything else.
QString trimmedEnd(const QString& text) {
    qsizetype last = text.size();
    while (last > 0 && isEdgeControl(text.at(last - 1)))
        --last;
    while (last < text.size() && text.at(last) != QLatin1Char('\r') &&
           text.at(last) != QLatin1Char('\n'))
        ++last;
    return text.left(last);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const QString key = textOfUtf8(in.bytes(24));
    const QString value = textOfUtf8(in.bytes(48));
    const QByteArray before = in.rest();
    const QString section = QString::fromLatin1(kSettingsSection);

    const ScratchFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, before);
    IniWrite(path, section, key, value);
    const QByteArray after = readBytes(path);

    const QByteArray what = "key: " + escaped(key) + "\nvalue: " + escaped(value) +
                            "\nbefore: " + escaped(before) + "\nafter: " + escaped(after);
    check(after.endsWith("\r\n"), "the file ends with CR LF", what);
    check(after.isValidUtf8(), "the file is UTF-8", what);
    if (!readsBack(key, value))
        return 0;

    const QString read = IniRead(path, section, key);
    check(read == value, "the key reads back as the value", what + "\nread: " + escaped(read));

    // The clean-up trims control characters from the start of the file, and
    // lines of them from its end unless the new section went there: either
    // may hold.
    const QString old = trimmedStart(textOfLines(before));
    const QStringList keptAfter = keptLines(QString::fromUtf8(after), key);
    check(keptAfter == keptLines(old, key) || keptAfter == keptLines(trimmedEnd(old), key),
          "every other line keeps its section and its order",
          what + "\nkept before: " + escaped(keptLines(old, key).join(QStringLiteral(" // "))) +
              "\nkept after: " + escaped(keptAfter.join(QStringLiteral(" // "))));

    IniWrite(path, section, key, value);
    check(readBytes(path) == after, "writing the same again changes nothing", what);
    return 0;
}
