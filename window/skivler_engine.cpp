#include "engine/codepoints.h"
#include "window/skivler.h"

using namespace quenby;

namespace {

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

StripOptions Skivler::readOptions() const {
    StripOptions o;
    o.stripString = StripString->text();
    o.replacement = ReplaceString->text();
    o.caseSensitive = yesCase->value() == 1;
    o.stripPunctuation = noPunc->value() == 1;
    o.stripNumbers = noNums->value() == 1;
    o.stripSpaces = noGaps->value() == 1;
    o.stripVowels = noVowels->value() == 1;
    o.includeY = noY->value() == 1;
    o.caseChoice = Option2[0]->isChecked()   ? CaseChoice::Upper
                   : Option2[1]->isChecked() ? CaseChoice::Lower
                                             : CaseChoice::Both;
    const std::array<LineBox*, 10> slots = {A, E, I, O, U, aa, ee, ii, oo, uu};
    for (std::size_t i = 0; i < slots.size(); ++i)
        o.slots[i] = slots[i]->text();
    o.marker = yy->text();
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
            cmdOutput_Click();
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

void Skivler::Text1_Change() {
    SkivIt();
    if (yesRemember->value() == 1)
        saveInputText();
    else
        emptyIfOwed();
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
    iniPut(settingKey(Setting::StripString), StripString->text());
    SkivIt();
}

void Skivler::ReplaceString_Change() {
    iniPut(settingKey(Setting::ReplaceString), ReplaceString->text());
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
