#include "settings/storedsettings.h"

#include "engine/codepoints.h"
#include "settings/inifile.h"

namespace quenby {

RestoredValue restoredValue(const SettingRow& row, const QString& stored) {
    RestoredValue value;
    value.stored = stored;
    switch (row.kind) {
    case SettingKind::CaseOption:
    case SettingKind::CheckBox: {
        value.number = row.defaultNumber;
        if (stored.isEmpty())
            break;
        const std::optional<int> parsed = parseStoredInteger(stored);
        value.usable = parsed && *parsed >= 0 && *parsed <= 2;
        if (value.usable)
            value.number = *parsed;
        break;
    }
    case SettingKind::Slot:
        value.text = stored.isEmpty() ? QString::fromUtf8(row.defaultText) : firstCharacter(stored);
        break;
    case SettingKind::Text:
        value.text = stored.isEmpty() ? QString::fromUtf8(row.defaultText) : stored;
        break;
    }
    return value;
}

std::array<RestoredValue, kSettingCount> restoredValues(const QByteArray& fileBytes) {
    const IniContent content(fileBytes);
    const QString section = QString::fromLatin1(kSettingsSection);
    std::array<RestoredValue, kSettingCount> values;
    for (const SettingRow& row : settingTable())
        values[static_cast<std::size_t>(row.setting)] =
            restoredValue(row, content.value(section, QString::fromLatin1(row.key)));
    return values;
}

} // namespace quenby
