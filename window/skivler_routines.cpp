#include "engine/codepoints.h"
#include "settings/inifile.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/storedsettings.h"
#include "window/skivler.h"

#include <cstdio>

using namespace quenby;

// The routines the handlers share. None of them calls a handler: the
// handlers of "Paste Input" and "Copy Output" call pasteInput() and
// copyOutput() as start-up and SkivIt do.

namespace {

const QString kSection = QString::fromLatin1(kSettingsSection);

Message plainMessage(const QString& text) {
    Message m;
    m.title = QStringLiteral("Skiv");
    m.text = text;
    return m;
}

// Whether the strip string has more characters than the input text.
bool longerThan(const QString& strip, const QString& input) {
    // Each character is one or two UTF-16 units, so a strip string of at
    // most half the input's units can never be longer; count only otherwise.
    if (strip.size() <= (input.size() + 1) / 2)
        return false;
    return codePointCount(strip) > codePointCount(input);
}

Message invalidInput() {
    Message m;
    m.title = QStringLiteral("Invalid Input");
    m.text = QStringLiteral("The string to be removed cannot be longer than the Input Text.\n\n"
                            "The entry will be removed.");
    m.buttons = MessageButtons::OkCancel;
    m.defaultButton = Answer::Ok;
    return m;
}

} // namespace

// --- The engine run.

StripOptions Skivler::readOptions() const {
    StripOptions o;
    for (const SettingRow& row : settingTable())
        putOption(o, row, numberValue(row), storedValue(row));
    return o;
}

void Skivler::SkivIt() {
    if (sus->value() == 1)
        return;
    try {
        txtN->setText(QString());
        const QString input = Text1->text();
        const StripOptions options = readOptions();
        if (longerThan(options.stripString, input)) {
            if (ask(invalidInput()) == Answer::Ok)
                StripString->setText(QString());
            return;
        }
        const StripResult result = strip(input, options);
        if (result.count)
            txtN->setText(QString::number(*result.count));
        Text2->setText(result.text);
        Text5->setText(result.text);
        Text4->setText(Text1->text());
        if (yesCopy->value() == 1)
            copyOutput();
    } catch (const std::exception&) {
        Message m;
        m.title = QStringLiteral("Skiv");
        m.text =
            QStringLiteral("Internal Error: 534\r\n\r\n") +
            QStringLiteral("If you have 'Auto-Replace Clipboard' enabled it will only function "
                           "if the '") +
            cmdInput->text() + QStringLiteral("' button") +
            QStringLiteral(" is used or if text is typed or dragged into the Input Text box.") +
            QStringLiteral("\r\n\r\n") +
            QStringLiteral("Pasting directly from the clipboard yourself will result in this "
                           "message because ") +
            QStringLiteral("the clipboard cannot paste and copy simultaneously. Other faults "
                           "can cause this error.");
        ask(m);
    }
}

// --- The clipboard.

void Skivler::pasteInput() {
    const TextArea::Replacement undoable = replacingInput();
    Text1->setText(m_platform.clipboard.GetText());
    Text4->setText(Text1->text());
    // Text1 may already have held that text and raised no Change: compute here too.
    SkivIt();
}

void Skivler::copyOutput() {
    m_platform.clipboard.Clear();
    m_platform.clipboard.SetText(Text2->text());
}

void Skivler::clipboardAction(const std::function<void()>& action) {
    try {
        action();
    } catch (const ClipboardError& e) {
        Message m = plainMessage(QStringLiteral("The clipboard could not be used: ") +
                                 QString::fromUtf8(e.what()) +
                                 QStringLiteral(".\r\n\r\nAnother program may be holding it; "
                                                "please try again."));
        m.icon = MessageIcon::Warning;
        ask(m);
    }
}

TextArea::Replacement Skivler::replacingInput() {
    return TextArea::Replacement(Text1->text(), {Text1, Text4});
}

// --- Start-up, save-all and the defaults.

void Skivler::Form_Load() {
    const Message startupError = plainMessage(QStringLiteral("internal error: #197"));
    bool badValue = false;
    try {
        sus->setValue(1);
        // Read only for the reader's preparation step: it makes qnbtext.ini exist for TxtLoad.
        IniRead(textsPath(), QStringLiteral("default"), QStringLiteral("default"));
        for (const SettingRow* row : restoreOrder())
            if (!restoreRow(*row))
                badValue = true;
        Text1->setText(TxtLoad(m_platform.folder.path()));
        sus->setValue(0);
        if (yesPaste->value() == 1)
            pasteInput();
        else
            SkivIt();
    } catch (const ClipboardError&) {
        ask(startupError);
        return;
    } catch (const std::exception&) {
        // A file error, or memory running out on a huge file: never leave
        // the window dead, it computes from what it holds.
        ask(startupError);
        sus->setValue(0);
        SkivIt();
        return;
    }
    if (badValue)
        ask(startupError);
}

void Skivler::SaveAll() {
    // Every setting in the save-all order ("Remember" among them), then the
    // input text: the order of heldState().
    m_store.storeAll();
}

void Skivler::setDefaults() {
    sus->setValue(1);
    for (const SettingRow* row : resetOrder()) {
        if (row->kind == SettingKind::Slot || row->kind == SettingKind::Text)
            setText(*row, QString::fromLatin1(row->defaultText));
        else
            setNumber(*row, row->defaultNumber);
    }
    sus->setValue(0);
    SkivIt();
    m_store.emptyBoth();
}

// --- Single settings.

void Skivler::iniPut(const QString& key, const QString& value) {
    if (yesRemember->value() == 0) {
        // The files must not go on holding what the user asked the program
        // to forget: each change tries a failed emptying again.
        m_store.emptyIfPending();
        return;
    }
    m_store.storeSetting(key, value);
}

void Skivler::storeControl(const QWidget* control) {
    if (const SettingRow* row = settingOfControl(control->objectName()))
        iniPut(QString::fromLatin1(row->key), storedValue(*row));
}

void Skivler::CasePut() {
    const SettingRow& row = settingRow(Setting::CaseOption);
    iniPut(QString::fromLatin1(row.key), storedValue(row));
}

void Skivler::CaseCheck() {
    if (std::none_of(Option2.begin(), Option2.end(),
                     [](OptionButton* b) { return b->isChecked(); }))
        Option2[2]->setChecked(true);
}

int Skivler::ChkStart(const SettingRow& row, bool* usable) {
    const RestoredValue value =
        restoredValue(row, IniRead(settingsPath(), kSection, QString::fromLatin1(row.key)));
    *usable = value.usable;
    return value.number;
}

QString Skivler::TxtStart(const SettingRow& row) {
    return restoredValue(row, IniRead(settingsPath(), kSection, QString::fromLatin1(row.key))).text;
}

QString Skivler::settingsPath() const {
    return joinPath(m_platform.folder.path(), QString::fromLatin1(kSettingsFileName));
}

QString Skivler::textsPath() const {
    return joinPath(m_platform.folder.path(), QString::fromLatin1(kSavedTextsFileName));
}

// --- The controls of the key table.

QWidget* Skivler::controlOf(const SettingRow& row) const {
    if (row.kind == SettingKind::CaseOption)
        return frameCase;
    return findChild<QWidget*>(QString::fromLatin1(row.control), Qt::FindDirectChildrenOnly);
}

void Skivler::setNumber(const SettingRow& row, int value) {
    if (row.kind == SettingKind::CaseOption)
        Option2[std::size_t(value)]->setChecked(true);
    else
        static_cast<CheckBox*>(controlOf(row))->setValue(value);
}

void Skivler::setText(const SettingRow& row, const QString& text) {
    static_cast<LineBox*>(controlOf(row))->setText(text);
}

bool Skivler::restoreRow(const SettingRow& row) {
    if (row.kind == SettingKind::Slot || row.kind == SettingKind::Text) {
        setText(row, TxtStart(row));
        return true;
    }
    bool usable = true;
    setNumber(row, ChkStart(row, &usable));
    return usable;
}

int Skivler::numberValue(const SettingRow& row) const {
    switch (row.kind) {
    case SettingKind::CaseOption:
        for (OptionButton* b : Option2)
            if (b->isChecked())
                return b->index();
        return -1;
    case SettingKind::CheckBox:
        return static_cast<CheckBox*>(controlOf(row))->value();
    case SettingKind::Slot:
    case SettingKind::Text:
        break;
    }
    return 0;
}

QString Skivler::storedValue(const SettingRow& row) const {
    switch (row.kind) {
    case SettingKind::CaseOption:
    case SettingKind::CheckBox: {
        const int number = numberValue(row);
        return number < 0 ? QString() : QString::number(number);
    }
    case SettingKind::Slot:
    case SettingKind::Text:
        return static_cast<LineBox*>(controlOf(row))->text();
    }
    return QString();
}

// --- What the store writes, and its failures.

HeldState Skivler::heldState() const {
    HeldState state;
    state.remember = yesRemember->value() == 1;
    for (const SettingRow* row : saveAllOrder())
        state.settings.emplace_back(QString::fromLatin1(row->key), storedValue(*row));
    state.text = Text1->text();
    return state;
}

void Skivler::writeFailed(const FileError& e) {
    if (m_quitting) {
        std::fprintf(stderr, "quenby: could not save to %s: %s\n", qPrintable(e.path()),
                     qPrintable(e.reason()));
        return;
    }
    Message m = plainMessage(
        QStringLiteral("Quenby could not save to the file\r\n") + e.path() +
        QStringLiteral("\r\n\r\n") + e.reason() +
        QStringLiteral("\r\n\r\nEverything in the window is kept. Saving goes on at each "
                       "change; you will be told again only after a save has worked."));
    m.icon = MessageIcon::Warning;
    ask(m);
}

Answer Skivler::ask(const Message& message) {
    return m_platform.dialogs.show(message);
}
