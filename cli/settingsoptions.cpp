#include "cli/settingsoptions.h"

#include "settings/fileaccess.h"
#include "settings/storedsettings.h"

#include <new>

namespace quenby::cli {

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
        putOption(result.options, *row, v.number, v.text);
    }
    return result;
}

} // namespace quenby::cli
