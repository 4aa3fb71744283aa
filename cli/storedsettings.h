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

// The options stored in the settings file at path, read as the window reads
// them at start-up: a key that is absent or empty takes the window's
// default; a number that does not convert or is not 0, 1 or 2 takes the
// default too (with a warning); a check box counts as ticked only at 1; the
// slots, marker and strings are taken as stored. The settings the engine does
// not use (word wrap, the clipboard, "Remember settings", slot Y) are not
// read. The file is only read: a missing file is an error, never created.
// Throws FileError.
StoredSettings readStoredSettings(const QString& path);

} // namespace quenby::cli
