#pragma once

#include "engine/strip.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

// The command line of quenby-strip: GNU-style long options, mixed freely
// with file names, "--" ending the options and "-" naming standard input.
namespace quenby::cli {

// What the command line asks for, as given; unset fields leave the setting
// as the settings file (or the default) has it.
struct Overrides {
    std::optional<bool> stripVowels;
    std::optional<CaseChoice> caseChoice;
    std::optional<bool> includeY;
    std::optional<bool> stripSpaces;
    std::optional<bool> stripNumbers;
    std::optional<bool> stripPunctuation;
    // Set by --slot (each adds one) or --no-slots (none): replaces all ten slots.
    std::optional<std::vector<QString>> slots;
    std::optional<QString> marker;
    std::optional<QString> stripString;
    std::optional<QString> replacement;
    std::optional<bool> caseSensitive;

    void applyTo(StripOptions& options) const;
};

enum class InputEncoding { Utf8, Windows1252 };

struct Invocation {
    enum class Action { Strip, Help, Version };
    Action action = Action::Strip;
    Overrides overrides;
    bool useSettings = false;
    QString settingsFile; // with useSettings; empty: the window's own settings file
    bool count = false;
    InputEncoding encoding = InputEncoding::Utf8;
    qsizetype chunkSize = qsizetype(1) << 20; // bytes per read
    std::vector<QByteArray> files;            // as given; "-" is standard input
};

// A command line that cannot be followed; what() is the one-line reason,
// without the program's name.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name, as the bytes the shell passed.
// Throws UsageError.
Invocation parseArguments(const std::vector<QByteArray>& arguments);

// The text of --help.
QByteArray helpText();

} // namespace quenby::cli
