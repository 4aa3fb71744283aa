#include "engine/codepoints.h"
#include "window/skivler.h"

using namespace quenby;

// Every handler of the window, one per control and event, in the order of
// the window: the text fields, the character slots, the option toggles, the
// clipboard and text buttons, "Remember settings" and "Reset to Defaults".
// They call the shared routines of skivler_routines.cpp and no other file.

namespace {

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

// --- The input, strip-string and replace fields.

void Skivler::Text1_Change() {
    SkivIt();
    if (yesRemember->value() == 1)
        m_store.storeText();
    else
        m_store.emptyIfPending();
}

void Skivler::Text4_Change() {
    Text1->setText(Text4->text());
}

void Skivler::StripString_Change() {
    if (StripString->text().isEmpty()) {
        ReplaceString->setText(QString());
        Label6->setEnabled(false);
        ReplaceString->setEnabled(false);
    } else {
        Label6->setEnabled(true);
        ReplaceString->setEnabled(true);
    }
    storeControl(StripString);
    SkivIt();
}

void Skivler::ReplaceString_Change() {
    storeControl(ReplaceString);
    SkivIt();
}

void Skivler::selectShown(TextArea* wrapping, TextArea* plain, bool all) {
    TextArea* target = yesWrap->value() == 1 ? wrapping : plain;
    target->finishFill();
    target->setFocus(Qt::OtherFocusReason);
    QTextCursor cursor = target->textCursor();
    cursor.setPosition(0);
    if (all)
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    target->setTextCursor(cursor);
}

void Skivler::cmdAll1_Click() {
    selectShown(Text1, Text4, true);
}

void Skivler::cmdNone1_Click() {
    selectShown(Text1, Text4, false);
}

void Skivler::cmdAll2_Click() {
    selectShown(Text2, Text5, true);
}

void Skivler::cmdNone2_Click() {
    selectShown(Text2, Text5, false);
}

// --- Character slots.

void Skivler::slotChange(LineBox* box) {
    // Cutting the text raises this handling again, nested, for the cut text.
    box->setText(firstCharacter(box->text()));
    storeControl(box);
    SkivIt();
}

void Skivler::A_Change() {
    slotChange(A);
}
void Skivler::aa_Change() {
    slotChange(aa);
}
void Skivler::E_Change() {
    slotChange(E);
}
void Skivler::ee_Change() {
    slotChange(ee);
}
void Skivler::I_Change() {
    slotChange(I);
}
void Skivler::ii_Change() {
    slotChange(ii);
}
void Skivler::O_Change() {
    slotChange(O);
}
void Skivler::oo_Change() {
    slotChange(oo);
}
void Skivler::U_Change() {
    slotChange(U);
}
void Skivler::uu_Change() {
    slotChange(uu);
}
void Skivler::Y_Change() {
    slotChange(Y);
}
void Skivler::yy_Change() {
    slotChange(yy);
}

void Skivler::cmdClearVowels_Click() {
    sus->setValue(1);
    for (const SettingRow* row : resetOrder())
        if (row->kind == SettingKind::Slot)
            setText(*row, QString());
    sus->setValue(0);
    SkivIt();
}

void Skivler::noVowels_Click() {
    noY->setEnabled(noVowels->value() != 0);
    SkivIt();
}

void Skivler::noVowels_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeControl(noVowels);
}

void Skivler::noY_Click() {
    SkivIt();
}

void Skivler::noY_KeyUp(int, Qt::KeyboardModifiers) {
    storeControl(noY);
}

void Skivler::noY_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeControl(noY);
}

// --- Option toggles.

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
    storeControl(noGaps);
}
void Skivler::noNums_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeControl(noNums);
}
void Skivler::noPunc_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeControl(noPunc);
}
void Skivler::yesCase_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeControl(yesCase);
}
void Skivler::yesWrap_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeControl(yesWrap);
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

// --- Clipboard and text buttons.

void Skivler::cmdInput_Click() {
    pasteInput();
}

void Skivler::cmdOutput_Click() {
    copyOutput();
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

void Skivler::storeConfirmed(CheckBox* box, const QString& question) {
    if (box->value() == 1 && ask(confirmation(question)) != Answer::Yes) {
        box->setValue(0);
        return;
    }
    storeControl(box);
}

void Skivler::yesCopy_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeConfirmed(yesCopy,
                   QStringLiteral("If Auto-copy is used (with Settings Remembered enabled)\r\n"
                                  "the clipboard contents will be modified at run-time.\r\n"
                                  "\r\n"
                                  "Turn Auto-Copy On?"));
}

void Skivler::yesPaste_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    storeConfirmed(yesPaste,
                   QStringLiteral("Auto-paste will over-ride and replace any saved texts\r\n"
                                  "with whatvever text is on the clipboard at run-time.\r\n"
                                  "\r\n"
                                  "Turn Auto-Paste On?"));
}

// --- "Remember settings" and "Reset to Defaults".

void Skivler::yesRemember_Click() {
    if (sus->value() == 1)
        return;
    if (yesRemember->value() == 1)
        SaveAll();
    else
        m_store.emptyBoth();
}

void Skivler::cmdDefaults_Click() {
    setDefaults();
}
