#include "window/platform.h"

#include "settings/programfolder.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace quenby {

static QClipboard* systemClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw ClipboardError("there is no clipboard");
    return clipboard;
}

QString QtClipboard::GetText() {
    return systemClipboard()->text(QClipboard::Clipboard);
}

void QtClipboard::Clear() {
    systemClipboard()->clear(QClipboard::Clipboard);
}

void QtClipboard::SetText(const QString& text) {
    QClipboard* clipboard = systemClipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    // Qt does not report a refused selection; reading back our own data is
    // local and cheap, and tells whether we really own the clipboard now.
    if (clipboard->text(QClipboard::Clipboard) != text)
        throw ClipboardError("the clipboard did not take the text");
}

Answer QtDialogs::show(const Message& message) {
    QMessageBox box(m_parent);
    box.setWindowTitle(message.title);
    // The texts carry CR LF line ends; the label wants LF.
    box.setText(QString(message.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setTextFormat(Qt::PlainText);
    switch (message.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        Answer answer;
    };
    QVector<Choice> choices;
    switch (message.buttons) {
    case MessageButtons::Ok:
        choices = {{QMessageBox::Ok, Answer::Ok}};
        break;
    case MessageButtons::OkCancel:
        choices = {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}};
        break;
    case MessageButtons::YesNo:
        choices = {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}};
        break;
    }
    for (const Choice& c : choices) {
        QPushButton* b = box.addButton(c.button);
        if (c.answer == message.defaultButton)
            box.setDefaultButton(b);
    }
    box.exec();
    for (const Choice& c : choices)
        if (box.clickedButton() == box.button(c.button))
            return c.answer;
    // Closed with Escape or the title bar: the "no" answer of the set.
    return choices.back().answer;
}

QtProgramFolder::QtProgramFolder() : m_path(choose(QCoreApplication::applicationDirPath())) {}

QString QtProgramFolder::choose(const QString& executableDir) {
    const QString folder = programFolder(executableDir);
    // The window writes there from its first change on.
    makeProgramFolder(folder);
    return folder;
}

} // namespace quenby
