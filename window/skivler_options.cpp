#include "engine/codepoints.h"
#include "window/skivler.h"

using namespace quenby;

namespace {

QString digits(int value) {
    return QString::number(value);
}

Message confirmation(const QString& text) {
    Message m;
    m.title = QStringLiteral("Confirmation Needed");
    m.text = text;
    m.icon = MessageIcon::Information;
    m.buttons = MessageButtons::YesNo;
    m.defaultButton = Answer::Yes;
    return m;
}

} // namespace

// --- Character slots.

void Skivler::slotChange(LineBox* box, Setting setting) {
    // Cutting the text raises this handling again, nested, for the cut text.
    box->setText(firstCharacter(box->text()));
    iniPut(settingKey(setting), box->text());
    SkivIt();
}

void Skivler::A_Change() {
    slotChange(A, Setting::Val01);
}
void Skivler::aa_Change() {
    slotChange(aa, Setting::Val02);
}
void Skivler::E_Change() {
    slotChange(E, Setting::Val03);
}
void Skivler::ee_Change() {
    slotChange(ee, Setting::Val04);
}
void Skivler::I_Change() {
    slotChange(I, Setting::Val05);
}
void Skivler::ii_Change() {
    slotChange(ii, Setting::Val06);
}
void Skivler::O_Change() {
    slotChange(O, Setting::Val07);
}
void Skivler::oo_Change() {
    slotChange(oo, Setting::Val08);
}
void Skivler::U_Change() {
    slotChange(U, Setting::Val09);
}
void Skivler::uu_Change() {
    slotChange(uu, Setting::Val10);
}
void Skivler::Y_Change() {
    slotChange(Y, Setting::Val11);
}
void Skivler::yy_Change() {
    slotChange(yy, Setting::Val12);
}

void Skivler::cmdClearVowels_Click() {
    sus->setValue(1);
    for (LineBox* slot : {A, E, I, O, U, Y, aa, ee, ii, oo, uu, yy})
        slot->setText(QString());
    sus->setValue(0);
    SkivIt();
}

void Skivler::noVowels_Click() {
    noY->setEnabled(noVowels->value() != 0);
    SkivIt();
}

void Skivler::noVowels_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(noVowels, Setting::StripVowels);
}

void Skivler::noY_Click() {
    SkivIt();
}

void Skivler::noY_KeyUp(int, Qt::KeyboardModifiers) {
    storeCheck(noY, Setting::incY);
}

void Skivler::noY_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(noY, Setting::incY);
}

// --- Option toggles.

void Skivler::storeCheck(CheckBox* box, Setting setting) {
    iniPut(settingKey(setting), digits(box->value()));
}

void Skivler::noGaps_Click() {
    SkivIt();
}
void Skivler::noNums_Click() {
    SkivIt();
}
void Skivler::noPunc_Click() {
    SkivIt();
}
void Skivler::yesCase_Click() {
    SkivIt();
}

void Skivler::noGaps_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(noGaps, Setting::StripSpaces);
}
void Skivler::noNums_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(noNums, Setting::StripNumbers);
}
void Skivler::noPunc_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(noPunc, Setting::StripPunctuation);
}
void Skivler::yesCase_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(yesCase, Setting::SameCase);
}
void Skivler::yesWrap_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeCheck(yesWrap, Setting::WrapText);
}

void Skivler::yesWrap_Click() {
    const bool wrap = yesWrap->value() == 1;
    Text1->setVisible(wrap);
    Text4->setVisible(!wrap);
    Text2->setVisible(wrap);
    Text5->setVisible(!wrap);
}

void Skivler::Option2_Click(int) {
    CaseCheck();
    SkivIt();
}

void Skivler::Option2_MouseUp(int, Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    CasePut();
}

bool Skivler::CasePut() {
    for (OptionButton* b : Option2)
        if (b->isChecked())
            return iniPut(settingKey(Setting::CaseOption), digits(b->index()));
    return true;
}

void Skivler::CaseCheck() {
    if (std::none_of(Option2.begin(), Option2.end(),
                     [](OptionButton* b) { return b->isChecked(); }))
        Option2[2]->setChecked(true);
}

// --- Clipboard and text buttons.

TextArea::Replacement Skivler::replacingInput() {
    return TextArea::Replacement(Text1->text(), {Text1, Text4});
}

void Skivler::cmdInput_Click() {
    const TextArea::Replacement undoable = replacingInput();
    Text1->setText(m_platform.clipboard.GetText());
    Text4->setText(Text1->text());
    // Text1 may already have held that text and raised no Change: compute here too.
    SkivIt();
}

void Skivler::cmdOutput_Click() {
    m_platform.clipboard.Clear();
    m_platform.clipboard.SetText(Text2->text());
}

void Skivler::cmdOutToIn_Click() {
    const TextArea::Replacement undoable = replacingInput();
    // Through Text4, whose change handling hands the text on to Text1.
    Text4->setText(Text2->text());
    ReplaceString->setText(QString());
    StripString->setText(QString());
}

void Skivler::cmdClearTexts_Click() {
    const TextArea::Replacement undoable = replacingInput();
    ReplaceString->setText(QString());
    StripString->setText(QString());
    Text2->setText(QString());
    Text4->setText(QString());
    Text1->setText(QString());
}

void Skivler::showAutoCopyLook(bool on) {
    cmdOutput->setEnabled(!on);
    if (!on)
        cmdOutput->setText(QStringLiteral("Copy Output"));
    Label2->setText(on ? QStringLiteral("OUTPUT TEXT ON CLIPBOARD")
                       : QStringLiteral("OUTPUT TEXT"));
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText, on ? QColor(192, 255, 192) : QColor(255, 255, 255));
    Label2->setPalette(p);
}

void Skivler::yesCopy_Click() {
    const bool on = yesCopy->value() == 1;
    if (on && !Text1->text().isEmpty())
        SkivIt();
    showAutoCopyLook(on);
}

void Skivler::storeConfirmed(CheckBox* box, Setting setting, const QString& question) {
    if (box->value() == 1 && ask(confirmation(question)) != Answer::Yes) {
        box->setValue(0);
        return;
    }
    iniPut(settingKey(setting), digits(box->value()));
}

void Skivler::yesCopy_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeConfirmed(yesCopy, Setting::AutoCopy,
                   QStringLiteral("If Auto-copy is used (with Settings Remembered enabled)\r\n"
                                  "the clipboard contents will be modified at run-time.\r\n"
                                  "\r\n"
                                  "Turn Auto-Copy On?"));
}

void Skivler::yesPaste_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeConfirmed(yesPaste, Setting::AutoPaste,
                   QStringLiteral("Auto-paste will over-ride and replace any saved texts\r\n"
                                  "with whatvever text is on the clipboard at run-time.\r\n"
                                  "\r\n"
                                  "Turn Auto-Paste On?"));
}
