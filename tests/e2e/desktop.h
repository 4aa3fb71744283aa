#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

// Drives the real program on a private X server the way a person does: the
// pointer and the keyboard through xdotool, the X clipboard through xclip
// (another process), the settings files on disk. Each Desktop starts its own
// Xvfb and ends exactly the processes it started.
namespace quenby::e2e {

// A control's rectangle in twips, relative to the window's client area.
struct Twips {
    int left, top, width, height;
};

// Twips inside a frame, made relative to the client area.
constexpr Twips inside(const Twips& frame, const Twips& control) {
    return {frame.left + control.left, frame.top + control.top, control.width, control.height};
}

// The output of a helper program that ran to its end.
struct Run {
    bool finished = false; // ended by itself within the time allowed
    int exitCode = -1;
    QByteArray out;
};

class Desktop {
public:
    // Waits in these tests allow for a busy two-core machine.
    static constexpr int kWaitMs = 20000;

    // A fresh temporary folder holding a copy of the program; nothing runs yet.
    Desktop();
    // Ends every process this Desktop started that is still running, and
    // prints the logs of the X server and the program when the test failed.
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Starts Xvfb on a display number it picks itself and waits until it
    // accepts connections.
    ::testing::AssertionResult startServer();
    // Starts the copy of the program and waits for its window; the window
    // must have the fixed client size.
    ::testing::AssertionResult startProgram();
    // Closes the window as a window manager's close button does (the
    // WM_DELETE_WINDOW message) and waits for the program to end normally.
    ::testing::AssertionResult closeProgram();

    // Moves the pointer to the centre of a control and clicks the left button.
    void click(const Twips& control);
    // Types text with the keyboard into whatever has the focus.
    void type(const QString& text);
    // Presses and releases one key, named as an X keysym ("Return", "Escape").
    void key(const QString& keysym);
    // Waits for a message box with this title to show with the keyboard
    // focus, presses the key, and waits for the box to go away.
    ::testing::AssertionResult answerMessageBox(const QString& title, const QString& keysym);

    // The clipboard's text as another program reads it; none when no
    // program holds the clipboard.
    std::optional<QString> clipboard();
    // Puts text on the clipboard from another program (xclip, which keeps
    // running as the clipboard's owner until someone else takes it over).
    ::testing::AssertionResult offerClipboard(const QString& text);
    // Whether the last clipboard owner started by offerClipboard still runs.
    bool offeringClipboard() const;

    // The folder of the program's copy, where its settings files live.
    QString programFolder() const;
    // The X server's display name, ":N", once it runs.
    QString display() const { return m_display; }
    // A file's bytes; empty when it is missing.
    QByteArray file(const QString& name) const;

    // Polls condition until it holds or timeoutMs passes.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);

private:
    QProcessEnvironment xEnvironment() const;
    Run run(const QString& program, const QStringList& arguments, int timeoutMs = kWaitMs);
    Run xdotool(const QStringList& arguments);
    // The visible windows of the program whose title is exactly title.
    QStringList windows(const QString& title);
    void stop(QProcess& process, bool gently);
    void printLogs() const;

    QTemporaryDir m_dir;
    QString m_display; // ":N" once the server runs
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_program;
    std::vector<std::unique_ptr<QProcess>> m_owners; // xclip -i processes
    QString m_window;                                // X id of the program's window
    int m_windowX = 0, m_windowY = 0;                // its client area on the screen
};

} // namespace quenby::e2e
