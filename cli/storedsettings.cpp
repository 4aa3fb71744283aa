#include "cli/storedsettings.h"

#include "settings/fileaccess.h"
#include "settings/storedsettings.h"

#include <iterator>
#include <new>

namespace quenby::cli {
namespace {

// The settings of the engine's ten slots, in its order: the boxes A E I O U,
// then aa ee ii oo uu.
constexpr Setting kSlotSettings[] = {Setting::Val01, Setting::Val03, Setting::Val05, Setting::Val07,
                                     Setting::Val09, Setting::Val02, Setting::Val04, Setting::Val06,
                                     Setting::Val08, Setting::Val10};

// Where each setting the engine uses goes in the options; the others (word
// wrap, the clipboard, "Remember settings", slot Y) are not read.
void take(StripOptions& o, Setting setting, const RestoredValue& v) {
    const bool ticked = v.number == 1;
    switch (setting) {
    case Setting::CaseOption:
        o.caseChoice = CaseChoice(v.number);
        break;
    case Setting::StripVowels:
        o.stripVowels = ticked;
        break;
    case Setting::incY:
        o.includeY = ticked;
        break;
    case Setting::StripNumbers:
        o.stripNumbers = ticked;
        break;
    case Setting::StripPunctuation:
        o.stripPunctuation = ticked;
        break;
    case Setting::StripSpaces:
        o.stripSpaces = ticked;
        break;
    case Setting::SameCase:
        o.caseSensitive = ticked;
        break;
    case Setting::Val12:
        o.marker = v.text;
        break;
    case Setting::StripString:
        o.stripString = v.text;
        break;
    case Setting::ReplaceString:
        o.replacement = v.text;
        break;
    default:
        for (std::size_t k = 0; k < std::size(kSlotSettings); ++k)
            if (setting == kSlotSettings[k])
                o.slots[k] = v.text;
        break;
    }
}

} // namespace

StoredSettings readStoredSettings(const QString& path) {
    std::array<RestoredValue, kSettingCount> values;
    try {
        values = restoredValues(readFileBytes(path));
    } catch (const std::bad_alloc&) {
        throw outOfMemory(path);
    }
    StoredSettings result;
    for (const SettingRow* row : restoreOrder()) {
        const RestoredValue& v = values[static_cast<std::size_t>(row->setting)];
        if (!v.usable)
            result.warnings << QStringLiteral("%1: %2=%3 is not 0, 1 or 2; using %4")
                                   .arg(path, QString::fromLatin1(row->key), v.stored,
                                        QString::number(row->defaultNumber));
        take(result.options, row->setting, v);
    }
    return result;
}

} // namespace quenby::cli
