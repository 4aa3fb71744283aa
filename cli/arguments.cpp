#include "cli/arguments.h"

#include "cli/codec.h"
#include "cli/usage.h"
#include "engine/codepoints.h"

#include <QChar>
#include <algorithm>
#include <cstring>
#include <iterator>

namespace quenby::cli {
namespace {

enum class Takes { Nothing, Value, OptionalValue };

using Handler = void (*)(Invocation&, const QString& value);

struct OptionSpec {
    const char* name; // without the leading "--"
    Takes takes;
    Handler handle;
};

constexpr int kMaxSlots = 10;
constexpr qsizetype kMaxChunkSize = qsizetype(1) << 24; // keeps memory bounded

[[noreturn]] void fail(const QString& message) {
    throw UsageError(message.toStdString());
}

QString quoted(const QString& value) {
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// Values are strict UTF-8, so they hold no lone surrogate.
bool isOneCharacter(const QString& s) {
    return codePointCount(s) == 1;
}

CaseChoice caseChoiceOf(const QString& value) {
    if (value == QLatin1String("upper"))
        return CaseChoice::Upper;
    if (value == QLatin1String("lower"))
        return CaseChoice::Lower;
    if (value == QLatin1String("both"))
        return CaseChoice::Both;
    fail(QStringLiteral("--case: ") + quoted(value) +
         QStringLiteral(" is not upper, lower or both"));
}

InputEncoding encodingOf(const QString& value) {
    const QString name = value.toLower();
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        return InputEncoding::Utf8;
    if (name == QLatin1String("windows-1252") || name == QLatin1String("cp1252"))
        return InputEncoding::Windows1252;
    fail(QStringLiteral("--input-encoding: ") + quoted(value) +
         QStringLiteral(" is not utf-8 or windows-1252"));
}

qsizetype chunkSizeOf(const QString& value) {
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok || n < 1 || n > kMaxChunkSize)
        fail(QStringLiteral("--chunk-size: ") + quoted(value) +
             QStringLiteral(" is not a number from 1 to %1").arg(kMaxChunkSize));
    return qsizetype(n);
}

void addSlot(Invocation& inv, const QString& value) {
    if (!isOneCharacter(value))
        fail(QStringLiteral("--slot: ") + quoted(value) + QStringLiteral(" is not one character"));
    auto& slots = inv.overrides.slots;
    if (!slots)
        slots.emplace();
    if (int(slots->size()) == kMaxSlots)
        fail(QStringLiteral("--slot: more than ten slots"));
    slots->push_back(value);
}

void setMarker(Invocation& inv, const QString& value) {
    if (!value.isEmpty() && !isOneCharacter(value))
        fail(QStringLiteral("--marker: ") + quoted(value) +
             QStringLiteral(" is not one character (or empty)"));
    inv.overrides.marker = value;
}

// Sorted by name, for the look-up.
constexpr OptionSpec kOptions[] = {
    {"case", Takes::Value,
     [](Invocation& i, const QString& v) { i.overrides.caseChoice = caseChoiceOf(v); }},
    {"case-sensitive", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.caseSensitive = true; }},
    {"chunk-size", Takes::Value,
     [](Invocation& i, const QString& v) { i.chunkSize = chunkSizeOf(v); }},
    {"count", Takes::Nothing, [](Invocation& i, const QString&) { i.count = true; }},
    {"digits", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripNumbers = true; }},
    {"help", Takes::Nothing,
     [](Invocation& i, const QString&) { i.action = Invocation::Action::Help; }},
    {"ignore-case", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.caseSensitive = false; }},
    {"include-y", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.includeY = true; }},
    {"input-encoding", Takes::Value,
     [](Invocation& i, const QString& v) { i.encoding = encodingOf(v); }},
    {"marker", Takes::Value, setMarker},
    {"no-digits", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripNumbers = false; }},
    {"no-include-y", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.includeY = false; }},
    {"no-punctuation", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripPunctuation = false; }},
    {"no-slots", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.slots.emplace(); }},
    {"no-spaces", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripSpaces = false; }},
    {"no-vowels", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripVowels = false; }},
    {"punctuation", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripPunctuation = true; }},
    {"replace", Takes::Value, [](Invocation& i, const QString& v) { i.overrides.replacement = v; }},
    {"settings", Takes::OptionalValue,
     [](Invocation& i, const QString& v) {
         i.useSettings = true;
         i.settingsFile = v;
     }},
    {"slot", Takes::Value, addSlot},
    {"spaces", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripSpaces = true; }},
    {"strip", Takes::Value, [](Invocation& i, const QString& v) { i.overrides.stripString = v; }},
    {"version", Takes::Nothing,
     [](Invocation& i, const QString&) { i.action = Invocation::Action::Version; }},
    {"vowels", Takes::Nothing,
     [](Invocation& i, const QString&) { i.overrides.stripVowels = true; }},
};

constexpr bool nameBefore(const char* a, const char* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b);
}

constexpr bool sortedByName() {
    for (size_t k = 1; k < std::size(kOptions); ++k)
        if (!nameBefore(kOptions[k - 1].name, kOptions[k].name))
            return false;
    return true;
}
static_assert(sortedByName(), "kOptions must be sorted by name");

bool startsWith(const char* name, const QByteArray& prefix) {
    return std::strncmp(name, prefix.constData(), size_t(prefix.size())) == 0;
}

// The option a long name stands for: its full name, or the start of exactly
// one option's name.
const OptionSpec& findOption(const QByteArray& name, const QByteArray& asGiven) {
    const auto* end = std::end(kOptions);
    const auto* first =
        std::lower_bound(std::begin(kOptions), end, name,
                         [](const OptionSpec& o, const QByteArray& n) { return o.name < n; });
    if (first != end && name == first->name)
        return *first;
    // The names that start with it follow each other from here.
    const auto* last = first;
    while (last != end && !name.isEmpty() && startsWith(last->name, name))
        ++last;
    if (last - first == 1)
        return *first;
    if (first == last)
        fail(QStringLiteral("unrecognized option '") + printable(asGiven) + QLatin1Char('\''));
    QString possibilities;
    for (const auto* o = first; o != last; ++o)
        possibilities += QStringLiteral(" '--") + QLatin1String(o->name) + QLatin1Char('\'');
    fail(QStringLiteral("option '") + printable(asGiven) +
         QStringLiteral("' is ambiguous; possibilities:") + possibilities);
}

// A cluster of short options after one dash ("-h", "-hV"); each one asks
// for help or the version, so the first decides.
Invocation::Action shortOptions(const QByteArray& cluster) {
    const char c = cluster.isEmpty() ? '\0' : cluster[0];
    if (c == 'h')
        return Invocation::Action::Help;
    if (c == 'V')
        return Invocation::Action::Version;
    fail(QStringLiteral("invalid option -- '") + printable(firstCharacter(cluster)) +
         QLatin1Char('\''));
}

// An option's value as text; the command line must hold UTF-8.
QString valueText(const char* option, const QByteArray& bytes) {
    QString text;
    const Utf8Decoded d = decodeUtf8Prefix(bytes.constData(), bytes.size(), text);
    if (d.invalid || d.consumed != bytes.size())
        fail(QStringLiteral("--") + QLatin1String(option) +
             QStringLiteral(": the value is not valid UTF-8"));
    return text;
}

} // namespace

void Overrides::applyTo(StripOptions& o) const {
    o.stripVowels = stripVowels.value_or(o.stripVowels);
    o.caseChoice = caseChoice.value_or(o.caseChoice);
    o.includeY = includeY.value_or(o.includeY);
    o.stripSpaces = stripSpaces.value_or(o.stripSpaces);
    o.stripNumbers = stripNumbers.value_or(o.stripNumbers);
    o.stripPunctuation = stripPunctuation.value_or(o.stripPunctuation);
    if (slots) {
        o.slots = {};
        std::copy(slots->begin(), slots->end(), o.slots.begin());
    }
    o.marker = marker.value_or(o.marker);
    o.stripString = stripString.value_or(o.stripString);
    o.replacement = replacement.value_or(o.replacement);
    o.caseSensitive = caseSensitive.value_or(o.caseSensitive);
}

Invocation parseArguments(const std::vector<QByteArray>& arguments) {
    Invocation inv;
    bool optionsEnded = false;
    for (size_t k = 0; k < arguments.size(); ++k) {
        const QByteArray& arg = arguments[k];
        if (optionsEnded || arg == "-" || !arg.startsWith('-')) {
            inv.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!arg.startsWith("--")) {
            inv.action = shortOptions(arg.mid(1));
            return inv;
        }
        const qsizetype equals = arg.indexOf('=');
        const QByteArray name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        const OptionSpec& option = findOption(name, equals < 0 ? arg : arg.left(equals));
        QString value;
        if (equals >= 0) {
            if (option.takes == Takes::Nothing)
                fail(QStringLiteral("option '--") + QLatin1String(option.name) +
                     QStringLiteral("' doesn't allow an argument"));
            value = valueText(option.name, arg.mid(equals + 1));
            // "--settings=" names no file; the window's own file is "--settings".
            if (option.takes == Takes::OptionalValue && value.isEmpty())
                fail(QStringLiteral("--") + QLatin1String(option.name) +
                     QStringLiteral(": '' is not a file name"));
        } else if (option.takes == Takes::Value) {
            if (k + 1 == arguments.size())
                fail(QStringLiteral("option '--") + QLatin1String(option.name) +
                     QStringLiteral("' requires an argument"));
            value = valueText(option.name, arguments[++k]);
        }
        option.handle(inv, value);
        if (inv.action != Invocation::Action::Strip)
            return inv;
    }
    return inv;
}

QByteArray helpText() {
    return R"(Usage: quenby-strip [OPTION]... [FILE]...
Write the FILEs to standard output with the chosen characters taken out and
the strip string replaced, by the same rules as the Quenby window.

With no FILE, or when FILE is -, read standard input. The FILEs are one text,
one after the other (as 'cat FILE...' gives it), so the strip string is also
found where one file ends and the next begins.

Options:
A long option may be shortened to any start that no other option shares
(--no-vow for --no-vowels); "--" ends the options.

Characters to take out:
      --vowels              the vowels A E I O U (the default)
      --no-vowels           keep the vowels
      --case=WHICH          which vowels: upper, lower or both (the default)
      --include-y           Y counts as a vowel (the default)
      --no-include-y        Y does not count as a vowel
      --spaces              spaces (U+0020; tabs and line breaks stay)
      --digits              the digits 0 to 9
      --punctuation         punctuation and symbols
      --no-spaces, --no-digits, --no-punctuation
                            keep them (the default)
      --slot=C              put the marker in place of each character C (one
                            character; up to ten --slot options, which replace
                            the remembered slots)
      --no-slots            no slot characters (the default)
      --marker=C            the marker: one character, or empty (the default)
                            to drop slot characters

The strip string:
      --strip=STRING        replace each occurrence of STRING, found left to
                            right without overlap (the default: none)
      --replace=STRING      what to put in its place (the default: nothing)
      --case-sensitive      match letter case exactly (the default)
      --ignore-case         match STRING whatever the letter case
      --count               write the number of occurrences to standard error

Settings and input:
      --settings[=FILE]     start from the settings the window remembers, in
                            FILE or else in the window's own qnb.ini; the other
                            options override them
      --input-encoding=ENC  utf-8 (the default; an invalid byte sequence is an
                            error) or windows-1252
  -h, --help                display this help and exit
  -V, --version             output version information and exit

The output is UTF-8, with line breaks (LF or CR LF) as they came.

Exit status:
  0  all went well
  1  an input or the settings file could not be read, an input was not
     valid UTF-8, or the output could not be written (each failure is
     named on standard error)
  2  a bad command line
)";
}

} // namespace quenby::cli
