#include "settings/keytable.h"

#include <algorithm>

namespace quenby {

namespace {

using K = SettingKind;
using S = Setting;
using O = StripOptions;

constexpr EngineUse flag(bool O::*field) {
    return {field, nullptr, -1};
}
constexpr EngineUse text(QString O::*field) {
    return {nullptr, field, -1};
}
constexpr EngineUse slot(int index) {
    return {nullptr, nullptr, index};
}
constexpr EngineUse unused{};

constexpr std::array<SettingRow, kSettingCount> kTable{{
    {S::CaseOption, "CaseOption", "Option2", K::CaseOption, 2, "", 15, 0, unused},
    {S::StripVowels, "StripVowels", "noVowels", K::CheckBox, 1, "", 13, 1, flag(&O::stripVowels)},
    {S::incY, "incY", "noY", K::CheckBox, 1, "", 14, 2, flag(&O::includeY)},
    {S::StripNumbers, "StripNumbers", "noNums", K::CheckBox, 0, "", 17, 3, flag(&O::stripNumbers)},
    {S::StripPunctuation, "StripPunctuation", "noPunc", K::CheckBox, 0, "", 18, 4,
     flag(&O::stripPunctuation)},
    {S::StripSpaces, "StripSpaces", "noGaps", K::CheckBox, 0, "", 16, 5, flag(&O::stripSpaces)},
    {S::WrapText, "WrapText", "yesWrap", K::CheckBox, 1, "", 24, 6, unused},
    {S::SameCase, "SameCase", "yesCase", K::CheckBox, 1, "", 21, 9, flag(&O::caseSensitive)},
    {S::Remember, "Remember", "yesRemember", K::CheckBox, 0, "", 12, 10, unused},
    {S::AutoCopy, "AutoCopy", "yesCopy", K::CheckBox, 0, "", 22, 7, unused},
    {S::AutoPaste, "AutoPaste", "yesPaste", K::CheckBox, 0, "", 23, 8, unused},
    {S::Val01, "Val01", "A", K::Slot, 0, "", 0, 11, slot(0)},
    {S::Val03, "Val03", "E", K::Slot, 0, "", 2, 12, slot(1)},
    {S::Val05, "Val05", "I", K::Slot, 0, "", 4, 13, slot(2)},
    {S::Val07, "Val07", "O", K::Slot, 0, "", 6, 14, slot(3)},
    {S::Val09, "Val09", "U", K::Slot, 0, "", 8, 15, slot(4)},
    {S::Val11, "Val11", "Y", K::Slot, 0, "", 10, 16, unused},
    {S::Val02, "Val02", "aa", K::Slot, 0, "", 1, 17, slot(5)},
    {S::Val04, "Val04", "ee", K::Slot, 0, "", 3, 18, slot(6)},
    {S::Val06, "Val06", "ii", K::Slot, 0, "", 5, 19, slot(7)},
    {S::Val08, "Val08", "oo", K::Slot, 0, "", 7, 20, slot(8)},
    {S::Val10, "Val10", "uu", K::Slot, 0, "", 9, 21, slot(9)},
    {S::Val12, "Val12", "yy", K::Slot, 0, "", 11, 22, text(&O::marker)},
    {S::StripString, "StripString", "StripString", K::Text, 0, "", 19, 23, text(&O::stripString)},
    {S::ReplaceString, "ReplaceString", "ReplaceString", K::Text, 0, "", 20, 24,
     text(&O::replacement)},
}};

constexpr bool rowsInSettingOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i].setting != static_cast<Setting>(i))
            return false;
    return true;
}
static_assert(rowsInSettingOrder(), "settingRow() indexes the table by Setting");

SettingOrder orderedBy(int SettingRow::*rank) {
    SettingOrder order{};
    for (const SettingRow& row : kTable)
        order[static_cast<std::size_t>(row.*rank)] = &row;
    return order;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

const std::array<SettingRow, kSettingCount>& settingTable() {
    return kTable;
}

const SettingRow& settingRow(Setting setting) {
    return kTable[static_cast<std::size_t>(setting)];
}

QString settingKey(Setting setting) {
    return QString::fromLatin1(settingRow(setting).key);
}

SettingOrder restoreOrder() {
    SettingOrder order{};
    std::transform(kTable.begin(), kTable.end(), order.begin(),
                   [](const SettingRow& row) { return &row; });
    return order;
}

SettingOrder saveAllOrder() {
    return orderedBy(&SettingRow::saveAllRank);
}

SettingOrder resetOrder() {
    return orderedBy(&SettingRow::resetRank);
}

const SettingRow* findSetting(const QString& key) {
    for (const SettingRow& row : kTable) {
        if (key.compare(QLatin1String(row.key), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

const SettingRow* settingOfControl(const QString& control) {
    for (const SettingRow& row : kTable)
        if (control == QLatin1String(row.control))
            return &row;
    return nullptr;
}

void putOption(StripOptions& options, const SettingRow& row, int number, const QString& text) {
    if (row.kind == SettingKind::CaseOption)
        options.caseChoice = number >= 0 && number <= 2 ? CaseChoice(number) : CaseChoice::Both;
    else if (row.engine.flag)
        options.*row.engine.flag = number == 1;
    else if (row.engine.text)
        options.*row.engine.text = text;
    else if (row.engine.slot >= 0)
        options.slots[std::size_t(row.engine.slot)] = text;
}

QString storedDefault(const SettingRow& row) {
    if (row.kind == SettingKind::CaseOption || row.kind == SettingKind::CheckBox)
        return QString::number(row.defaultNumber);
    return QString::fromUtf8(row.defaultText);
}

std::optional<int> parseStoredInteger(const QString& text) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == end)
        return std::nullopt;
    const int limit = negative ? 32768 : 32767;
    int magnitude = 0;
    for (; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    return negative ? -magnitude : magnitude;
}

} // namespace quenby
