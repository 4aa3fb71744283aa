#pragma once

#include "engine/strip.h"

#include <QString>
#include <QStringList>

// The strip options the window remembers in its settings file.
namespace quenby::cli {

struct StoredSettings {
    StripOptions options;
    // One line for each stored value that could not be used, naming the key,
    // the value and the default taken instead.
    QStringList warnings;
};

// The options stored in the settings file at path, taken by the window's own
// start-up rules (settings/storedsettings.h): an absent or empty key takes the
// default; a number that is not 0, 1 or 2 takes the default too (with a
// warning); a check box counts as ticked only at 1; a slot and the marker
// keep their first character. The settings the engine does not use (word
// wrap, the clipboard, "Remember settings", slot Y) are left out. The file is
// only read: a missing file is an error, never created. Throws FileError.
StoredSettings readStoredSettings(const QString& path);

} // namespace quenby::cli
