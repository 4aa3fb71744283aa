#pragma once

#include "settings/keytable.h"

#include <QByteArray>
#include <QString>
#include <array>

// How stored settings are taken when a program starts: one rule for the
// window, which reads the settings file one key at a time as it restores its
// controls, and for quenby-strip --settings, which reads the file once.
namespace quenby {

// One stored setting as it is taken.
struct RestoredValue {
    int number = 0; // the case option's index or a check box's value
    QString text;   // a slot's or string's text
    QString stored; // the value as read from the file, empty when absent
    // False when a stored case option or check-box value is not 0, 1 or 2 (a
    // word, a fraction, a number out of range): number then holds the default.
    bool usable = true;
};

// The value of row taken from the text stored for it (empty when the key is
// absent): an empty value takes the default; a number must be a 16-bit
// integer from 0 to 2; a slot holds its first character (the slot boxes cut
// longer texts the same way); a string is taken as stored.
RestoredValue restoredValue(const SettingRow& row, const QString& stored);

// Every setting stored in the settings file's bytes, in the table's order
// (index: the Setting's value), read as IniRead reads each key.
std::array<RestoredValue, kSettingCount> restoredValues(const QByteArray& fileBytes);

} // namespace quenby
