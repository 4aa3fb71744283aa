#pragma once

#include <QString>
#include <stdexcept>

class QWidget;

// The parts of the desktop the window talks to, behind small interfaces so
// that tests can play the clipboard, answer every dialog and fail on purpose.
namespace quenby {

// The clipboard refused to give or take text.
class ClipboardError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system clipboard, plain text only.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The clipboard's text; empty when it holds no text. Throws ClipboardError.
    virtual QString GetText() = 0;
    // Empties the clipboard. Throws ClipboardError.
    virtual void Clear() = 0;
    // Puts text on the clipboard. Throws ClipboardError when it is not taken.
    virtual void SetText(const QString& text) = 0;
};

enum class MessageIcon { None, Information, Warning };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

// One modal message box: what it says and which answers it offers.
struct Message {
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    Answer defaultButton = Answer::Ok;
};

// Modal message boxes; show() returns the button the user pressed.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer show(const Message& message) = 0;
};

// The folder where the two settings files live.
class ProgramFolder {
public:
    virtual ~ProgramFolder() = default;
    virtual QString path() const = 0;
};

// Everything the window needs from the desktop.
struct Platform {
    Clipboard& clipboard;
    Dialogs& dialogs;
    ProgramFolder& folder;
};

// The real clipboard of the running QGuiApplication.
class QtClipboard : public Clipboard {
public:
    QString GetText() override;
    void Clear() override;
    void SetText(const QString& text) override;
};

// QMessageBox, modal to the given window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer show(const Message& message) override;

private:
    QWidget* m_parent = nullptr;
};

// The folder that holds the executable when the program may write there;
// otherwise (a copy installed in a system folder) the user's own
// configuration folder for the program.
class QtProgramFolder : public ProgramFolder {
public:
    QtProgramFolder();
    QString path() const override { return m_path; }

    // The choice itself, for an executable in executableDir.
    static QString choose(const QString& executableDir);

private:
    QString m_path;
};

} // namespace quenby
