#pragma once

#include "engine/strip.h"

#include <QString>
#include <array>
#include <cstddef>
#include <optional>

// Every setting the program stores, as constant data, so that start-up,
// save-all and "Reset to Defaults" are loops over one table. All settings
// live in the section "Default" of the settings file.
namespace quenby {

inline constexpr char kSettingsSection[] = "Default";

// Each stored setting, named after its key; the key's spelling lives in the
// table alone (settingKey).
enum class Setting {
    CaseOption,
    StripVowels,
    incY,
    StripNumbers,
    StripPunctuation,
    StripSpaces,
    WrapText,
    SameCase,
    Remember,
    AutoCopy,
    AutoPaste,
    Val01,
    Val03,
    Val05,
    Val07,
    Val09,
    Val11,
    Val02,
    Val04,
    Val06,
    Val08,
    Val10,
    Val12,
    StripString,
    ReplaceString,
};

enum class SettingKind {
    CaseOption, // the index of the selected case button: "0", "1" or "2"
    CheckBox,   // "1" ticked, "0" unticked
    Slot,       // a character slot's text: one character or empty
    Text,       // the strip or replace string as typed
};

// What the engine takes of a setting (at most one of the three; none for
// the case option, which is the options' caseChoice, and for the settings the
// engine does not use: word wrap, the clipboard, "Remember settings", slot Y).
struct EngineUse {
    bool StripOptions::*flag = nullptr;    // a check box: set while ticked (1)
    QString StripOptions::*text = nullptr; // a string, or the marker
    int slot = -1;                         // one of the engine's ten slots
};

struct SettingRow {
    Setting setting;
    const char* key;     // the key in the settings file, e.g. "StripVowels"
    const char* control; // the window control holding the value, e.g. "noVowels"
    SettingKind kind;
    int defaultNumber;       // the default of a case option or check box
    const char* defaultText; // the default of a slot or string (always empty)
    int saveAllRank;         // position in the order the save-all routine stores
    int resetRank;           // position in the order "Reset to Defaults" sets
    EngineUse engine;
};

inline constexpr std::size_t kSettingCount = 25;
using SettingOrder = std::array<const SettingRow*, kSettingCount>;

// The table, in the order start-up restores the settings: the case option,
// the check boxes, the slots A E I O U Y aa ee ii oo uu yy, then the strip and
// replace strings.
const std::array<SettingRow, kSettingCount>& settingTable();

// The rows in start-up order (the table's own order).
SettingOrder restoreOrder();

// The rows in the order the save-all routine stores them: Val01 to Val12,
// Remember, StripVowels, incY, CaseOption, StripSpaces, StripNumbers,
// StripPunctuation, StripString, ReplaceString, SameCase, AutoCopy,
// AutoPaste, WrapText. ("Remember" is written straight to the file, the
// others only while "Remember settings" is ticked.)
SettingOrder saveAllOrder();

// The rows in the order "Reset to Defaults" sets their controls: the case
// option; noVowels, noY, noNums, noPunc, noGaps, yesWrap, yesCopy, yesPaste,
// yesCase, yesRemember; the slots A E I O U Y aa ee ii oo uu yy; StripString,
// ReplaceString.
SettingOrder resetOrder();

// The row of a setting, and the key it is stored under.
const SettingRow& settingRow(Setting setting);
QString settingKey(Setting setting);

// The row of a key, compared case-insensitively as the settings file does,
// or nullptr when the program stores no such key.
const SettingRow* findSetting(const QString& key);

// The row of the window control named `control`, or nullptr.
const SettingRow* settingOfControl(const QString& control);

// Puts a setting's value where the engine takes it: number is the case
// option's index (none of 0, 1, 2: both cases) or the check box's value, text
// the slot's or string's text.
void putOption(StripOptions& options, const SettingRow& row, int number, const QString& text);

// The default as it would be stored: the number's digits, or the text.
QString storedDefault(const SettingRow& row);

// A stored number as a 16-bit integer: optional blanks (spaces, tabs) around
// an optional sign and at least one decimal digit, within -32768..32767.
// Anything else (words, decimals, hex, blanks inside, out of range, empty)
// gives nothing; callers treat an empty value as "use the default" first.
std::optional<int> parseStoredInteger(const QString& text);

} // namespace quenby
