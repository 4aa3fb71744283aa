#include "cli/storedsettings.h"

#include "settings/encoding.h"
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/initext.h"
#include "settings/keytable.h"

#include <QByteArray>
#include <cstring>
#include <iterator>

namespace quenby::cli {
namespace {

// The controls whose text the engine reads as the ten slots, in its order,
// and the marker's control.
constexpr const char* kSlotControls[] = {"A", "E", "I", "O", "U", "aa", "ee", "ii", "oo", "uu"};
constexpr char kMarkerControl[] = "yy";

bool is(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

void setNumber(StripOptions& o, const SettingRow& row, int value) {
    const bool ticked = value == 1;
    if (row.kind == SettingKind::CaseOption)
        o.caseChoice = CaseChoice(value);
    else if (is(row.key, "StripVowels"))
        o.stripVowels = ticked;
    else if (is(row.key, "incY"))
        o.includeY = ticked;
    else if (is(row.key, "StripNumbers"))
        o.stripNumbers = ticked;
    else if (is(row.key, "StripPunctuation"))
        o.stripPunctuation = ticked;
    else if (is(row.key, "StripSpaces"))
        o.stripSpaces = ticked;
    else if (is(row.key, "SameCase"))
        o.caseSensitive = ticked;
}

void setText(StripOptions& o, const SettingRow& row, const QString& text) {
    if (is(row.key, "StripString")) {
        o.stripString = text;
    } else if (is(row.key, "ReplaceString")) {
        o.replacement = text;
    } else if (is(row.control, kMarkerControl)) {
        o.marker = text;
    } else {
        for (size_t k = 0; k < std::size(kSlotControls); ++k)
            if (is(row.control, kSlotControls[k]))
                o.slots[k] = text;
    }
}

} // namespace

StoredSettings readStoredSettings(const QString& path) {
    const QByteArray text = toUtf8FileBytes(readFileBytes(path));
    const QByteArray section(kSettingsSection);
    StoredSettings result;
    for (const SettingRow* row : restoreOrder()) {
        const std::optional<QByteArray> stored = findIniValue(text, section, row->key);
        const QString value = stored ? QString::fromUtf8(*stored) : QString();
        if (row->kind == SettingKind::Slot || row->kind == SettingKind::Text) {
            setText(result.options, *row, value);
            continue;
        }
        int number = row->defaultNumber;
        if (!value.isEmpty()) {
            const std::optional<int> parsed = parseStoredInteger(value);
            if (parsed && *parsed >= 0 && *parsed <= 2)
                number = *parsed;
            else
                result.warnings << QStringLiteral("%1: %2=%3 is not 0, 1 or 2; using %4")
                                       .arg(path, QString::fromLatin1(row->key), value,
                                            QString::number(row->defaultNumber));
        }
        setNumber(result.options, *row, number);
    }
    return result;
}

} // namespace quenby::cli
