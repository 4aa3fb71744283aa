#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/keytable.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/storedsettings.h"
#include "window/skivler.h"

using namespace quenby;

namespace {

const QString kSection = QString::fromLatin1(kSettingsSection);

Message plainMessage(const QString& text) {
    Message m;
    m.title = QStringLiteral("Skiv");
    m.text = text;
    return m;
}

} // namespace

Skivler::Skivler(Platform platform, QWidget* parent) : QWidget(parent), m_platform(platform) {
    buildLayout();
    // The two boxes of each text area, one shown at a time, show one
    // document: the shown one holds it.
    TextArea::pair(Text1, Text4);
    TextArea::pair(Text2, Text5);
    connectHandlers();
    Form_Load();
}

void Skivler::connectHandlers() {
    connect(Text1, &TextArea::Change, this, &Skivler::Text1_Change);
    connect(Text4, &TextArea::Change, this, &Skivler::Text4_Change);
    connect(StripString, &LineBox::Change, this, &Skivler::StripString_Change);
    connect(ReplaceString, &LineBox::Change, this, &Skivler::ReplaceString_Change);

    connect(A, &LineBox::Change, this, &Skivler::A_Change);
    connect(E, &LineBox::Change, this, &Skivler::E_Change);
    connect(I, &LineBox::Change, this, &Skivler::I_Change);
    connect(O, &LineBox::Change, this, &Skivler::O_Change);
    connect(U, &LineBox::Change, this, &Skivler::U_Change);
    connect(aa, &LineBox::Change, this, &Skivler::aa_Change);
    connect(ee, &LineBox::Change, this, &Skivler::ee_Change);
    connect(ii, &LineBox::Change, this, &Skivler::ii_Change);
    connect(oo, &LineBox::Change, this, &Skivler::oo_Change);
    connect(uu, &LineBox::Change, this, &Skivler::uu_Change);
    connect(Y, &LineBox::Change, this, &Skivler::Y_Change);
    connect(yy, &LineBox::Change, this, &Skivler::yy_Change);
    connect(cmdClearVowels, &CommandButton::Click, this, &Skivler::cmdClearVowels_Click);

    connect(noVowels, &CheckBox::Click, this, &Skivler::noVowels_Click);
    connect(noVowels, &CheckBox::MouseUp, this, &Skivler::noVowels_MouseUp);
    connect(noY, &CheckBox::Click, this, &Skivler::noY_Click);
    connect(noY, &CheckBox::KeyUp, this, &Skivler::noY_KeyUp);
    connect(noY, &CheckBox::MouseUp, this, &Skivler::noY_MouseUp);
    connect(noGaps, &CheckBox::Click, this, &Skivler::noGaps_Click);
    connect(noGaps, &CheckBox::MouseUp, this, &Skivler::noGaps_MouseUp);
    connect(noNums, &CheckBox::Click, this, &Skivler::noNums_Click);
    connect(noNums, &CheckBox::MouseUp, this, &Skivler::noNums_MouseUp);
    connect(noPunc, &CheckBox::Click, this, &Skivler::noPunc_Click);
    connect(noPunc, &CheckBox::MouseUp, this, &Skivler::noPunc_MouseUp);
    connect(yesCase, &CheckBox::Click, this, &Skivler::yesCase_Click);
    connect(yesCase, &CheckBox::MouseUp, this, &Skivler::yesCase_MouseUp);
    connect(yesWrap, &CheckBox::Click, this, &Skivler::yesWrap_Click);
    connect(yesWrap, &CheckBox::MouseUp, this, &Skivler::yesWrap_MouseUp);
    for (OptionButton* b : Option2) {
        connect(b, &OptionButton::Click, this, &Skivler::Option2_Click);
        connect(b, &OptionButton::MouseUp, this, &Skivler::Option2_MouseUp);
    }

    connect(yesCopy, &CheckBox::Click, this, &Skivler::yesCopy_Click);
    connect(yesCopy, &CheckBox::MouseUp, this, &Skivler::yesCopy_MouseUp);
    connect(yesPaste, &CheckBox::MouseUp, this, &Skivler::yesPaste_MouseUp);
    connect(yesRemember, &CheckBox::Click, this, &Skivler::yesRemember_Click);
    connect(cmdInput, &CommandButton::Click, this,
            [this] { clipboardAction([this] { cmdInput_Click(); }); });
    connect(cmdOutput, &CommandButton::Click, this,
            [this] { clipboardAction([this] { cmdOutput_Click(); }); });
    connect(cmdOutToIn, &CommandButton::Click, this, &Skivler::cmdOutToIn_Click);
    connect(cmdClearTexts, &CommandButton::Click, this, &Skivler::cmdClearTexts_Click);
    connect(cmdDefaults, &CommandButton::Click, this, &Skivler::cmdDefaults_Click);

    connect(cmdAll1, &CommandButton::Click, this, &Skivler::cmdAll1_Click);
    connect(cmdNone1, &CommandButton::Click, this, &Skivler::cmdNone1_Click);
    connect(cmdAll2, &CommandButton::Click, this, &Skivler::cmdAll2_Click);
    connect(cmdNone2, &CommandButton::Click, this, &Skivler::cmdNone2_Click);
}

Answer Skivler::ask(const Message& message) {
    return m_platform.dialogs.show(message);
}

QString Skivler::settingsPath() const {
    return joinPath(m_platform.folder.path(), QString::fromLatin1(kSettingsFileName));
}

QString Skivler::textsPath() const {
    return joinPath(m_platform.folder.path(), QString::fromLatin1(kSavedTextsFileName));
}

bool Skivler::storing(const std::function<void()>& write) {
    try {
        write();
    } catch (const FileError& e) {
        writeFailed(e);
        return false;
    }
    try {
        writePending();
        m_writeFailureShown = false;
    } catch (const FileError& e) {
        // The run of failures goes on for what is still pending.
        writeFailed(e);
    }
    return true;
}

void Skivler::writeFailed(const FileError& e) {
    m_pendingWrites = true;
    if (m_writeFailureShown)
        return;
    m_writeFailureShown = true;
    Message m = plainMessage(
        QStringLiteral("Quenby could not save to the file\r\n") + e.path() +
        QStringLiteral("\r\n\r\n") + e.reason() +
        QStringLiteral("\r\n\r\nEverything in the window is kept. Saving goes on at each "
                       "change; you will be told again only after a save has worked."));
    m.icon = MessageIcon::Warning;
    ask(m);
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

bool Skivler::iniPut(const QString& key, const QString& value) {
    if (yesRemember->value() == 0) {
        emptyIfOwed();
        return true;
    }
    return storing([&] { IniWrite(settingsPath(), kSection, key, value, m_lockPolicy); });
}

void Skivler::writePending() {
    if (!m_pendingWrites || yesRemember->value() == 0)
        return;
    for (const SettingRow* row : saveAllOrder())
        IniWrite(settingsPath(), kSection, QString::fromLatin1(row->key), storedValue(*row),
                 m_lockPolicy);
    TxtSave(m_platform.folder.path(), QString::fromLatin1(kSavedTextsFileName), Text1->text(),
            m_lockPolicy);
    m_pendingWrites = false;
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

void Skivler::saveInputText() {
    storing([this] {
        TxtSave(m_platform.folder.path(), QString::fromLatin1(kSavedTextsFileName), Text1->text(),
                m_lockPolicy);
    });
}

void Skivler::emptyBothFiles() {
    emptyFiles({kSavedTextsFileName, kSettingsFileName});
}

void Skivler::emptyFiles(const std::vector<const char*>& fileNames) {
    // Emptied files hold nothing to bring up to date.
    m_pendingWrites = false;
    m_emptyingOwed.clear();
    const QString folder = m_platform.folder.path();
    for (auto name = fileNames.begin(); name != fileNames.end(); ++name) {
        if (!storing(
                [&] { TxtSave(folder, QString::fromLatin1(*name), QString(), m_lockPolicy); })) {
            m_emptyingOwed.assign(name, fileNames.end());
            return;
        }
    }
}

void Skivler::emptyIfOwed() {
    if (!m_emptyingOwed.empty())
        emptyFiles(std::vector<const char*>(m_emptyingOwed));
}

QWidget* Skivler::control(const SettingRow& row) const {
    const QString name = QString::fromLatin1(row.control);
    if (name == QLatin1String("Option2"))
        return frameCase;
    return findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

void Skivler::setNumber(const SettingRow& row, int value) {
    if (row.kind == SettingKind::CaseOption)
        Option2[std::size_t(value)]->setChecked(true);
    else
        static_cast<CheckBox*>(control(row))->setValue(value);
}

void Skivler::setText(const SettingRow& row, const QString& text) {
    static_cast<LineBox*>(control(row))->setText(text);
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

QString Skivler::storedValue(const SettingRow& row) const {
    switch (row.kind) {
    case SettingKind::CaseOption:
        for (OptionButton* b : Option2)
            if (b->isChecked())
                return QString::number(b->index());
        return QString();
    case SettingKind::CheckBox:
        return QString::number(static_cast<CheckBox*>(control(row))->value());
    case SettingKind::Slot:
    case SettingKind::Text:
        return static_cast<LineBox*>(control(row))->text();
    }
    return QString();
}

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
            cmdInput_Click();
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
    for (const SettingRow* rowPointer : saveAllOrder()) {
        const SettingRow& row = *rowPointer;
        bool stored = false;
        if (row.setting == Setting::Remember)
            stored = storing([&] {
                IniWrite(settingsPath(), kSection, QString::fromLatin1(row.key), storedValue(row),
                         m_lockPolicy);
            });
        else if (row.kind == SettingKind::CaseOption)
            stored = CasePut();
        else
            stored = iniPut(QString::fromLatin1(row.key), storedValue(row));
        if (!stored)
            return;
    }
    saveInputText();
}

void Skivler::yesRemember_Click() {
    if (sus->value() == 1)
        return;
    if (yesRemember->value() == 1) {
        m_emptyingOwed.clear(); // every setting and the text are written anew
        SaveAll();
    } else
        emptyBothFiles();
}

void Skivler::cmdDefaults_Click() {
    sus->setValue(1);
    for (const SettingRow* row : resetOrder()) {
        if (row->kind == SettingKind::Slot || row->kind == SettingKind::Text)
            setText(*row, QString::fromLatin1(row->defaultText));
        else
            setNumber(*row, row->defaultNumber);
    }
    sus->setValue(0);
    SkivIt();
    emptyBothFiles();
}
