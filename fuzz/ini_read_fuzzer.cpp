// IniRead on arbitrary file bytes, compared with a plain line-by-line
// reading of the reader's rules, each line decoded on its own. The section
// and key are picked by the first two bytes (a stored key, an odd name, or a
// name taken from the input).
#include "fuzz_support.h"
#include "settings/inifile.h"
#include "settings/keytable.h"

#include <optional>

using namespace quenby;
using namespace quenby::fuzz;

namespace {

constexpr const char* kOddNames[] = {"", "=", "a=b", "[x", "x]", "default", "DEFAULT", "Other"};
constexpr std::size_t kOddCount = sizeof(kOddNames) / sizeof(kOddNames[0]);

// A stored key, an odd name, or (for the last choices) a name from the input.
QString pickName(ByteReader& in, const char* usual) {
    const std::size_t choice = in.byte() % (kSettingCount + kOddCount + 2);
    if (choice == 0)
        return QString::fromLatin1(usual);
    if (choice <= kSettingCount)
        return QString::fromLatin1(settingTable()[choice - 1].key);
    if (choice <= kSettingCount + kOddCount)
        return QString::fromLatin1(kOddNames[choice - kSettingCount - 1]);
    return QString::fromUtf8(in.bytes(12));
}

// The reader's rules, literally: only a line beginning with "[" starts (and
// ends) a section; in the first matching section, and in each later one of
// the same name, the first line beginning with key "=" gives the value.
std::optional<QString> expectedValue(const QString& text, const QString& section,
                                     const QString& key) {
    const QString header = QLatin1Char('[') + asciiLower(section) + QLatin1Char(']');
    const QString keyEq = asciiLower(key) + QLatin1Char('=');
    bool inSection = false;
    for (const QString& line : readerLines(text)) {
        if (line.startsWith(QLatin1Char('[')))
            inSection = asciiLower(line) == header;
        else if (inSection && asciiLower(line).startsWith(keyEq))
            return line.mid(keyEq.size());
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const QString section = pickName(in, kSettingsSection);
    const QString key = pickName(in, "StripString");
    const QByteArray file = in.rest();

    const ScratchFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, file);
    const QString value = IniRead(path, section, key);

    const QString expected = expectedValue(textOfLines(file), section, key).value_or(QString());
    check(value == expected, "IniRead gives the value of the first key line of the section",
          "section: " + escaped(section) + "\nkey: " + escaped(key) + "\nfile: " + escaped(file) +
              "\nread: " + escaped(value) + "\nexpected: " + escaped(expected));
    check(!value.contains(QLatin1Char('\r')), "a value is one line", escaped(value));
    check(readBytes(path) == file, "reading leaves the file's bytes alone", escaped(file));
    return 0;
}
