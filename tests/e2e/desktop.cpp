#include "desktop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <xcb/xcb.h>

namespace quenby::e2e {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 10350 / kTwipsPerPixel;
constexpr int kClientHeight = 7965 / kTwipsPerPixel;
// Gaps between synthetic key strokes, so that each reaches the program as
// its own press and release.
constexpr int kKeyDelayMs = 40;
// How long a close request may take before the close button is pressed again.
constexpr int kClosePatienceMs = 3000;

// Environment variables that would scale, restyle or move the window.
const char* const kLayoutChangers[] = {
    "QT_SCALE_FACTOR",
    "QT_SCREEN_SCALE_FACTORS",
    "QT_AUTO_SCREEN_SCALE_FACTOR",
    "QT_ENABLE_HIGHDPI_SCALING",
    "QT_FONT_DPI",
    "QT_QPA_PLATFORMTHEME",
    "QT_STYLE_OVERRIDE",
    "QT_DEVICE_PIXEL_RATIO",
    "QT_QPA_PLATFORM",
};

// A window title as an xdotool pattern that matches it exactly.
QString exactPattern(const QString& title) {
    QString pattern = QStringLiteral("^");
    for (const QChar c : title) {
        if (QStringLiteral(".[]{}()\\*+?|^$").contains(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('$');
}

QByteArray tail(const QString& path, qint64 bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<none>";
    if (f.size() > bytes)
        f.seek(f.size() - bytes);
    return f.readAll();
}

// What a window manager sends when the user clicks a window's close button.
::testing::AssertionResult sendDeleteWindow(const QString& display, quint32 window) {
    xcb_connection_t* c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return ::testing::AssertionFailure()
               << "cannot connect to X display " << display.toStdString();
    }
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    };
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    const xcb_void_cookie_t cookie = xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                            reinterpret_cast<const char*>(&event));
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    const bool sent = error == nullptr && event.type != XCB_ATOM_NONE;
    std::free(error);
    xcb_disconnect(c);
    if (!sent)
        return ::testing::AssertionFailure() << "the X server refused the close message";
    return ::testing::AssertionSuccess();
}

} // namespace

Desktop::Desktop() {
    QDir dir(m_dir.path());
    dir.mkpath(QStringLiteral("program"));
    dir.mkpath(QStringLiteral("home"));
    dir.mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(dir.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString copy = dir.filePath(QStringLiteral("program/quenby"));
    if (!QFile::copy(QStringLiteral(QUENBY_EXECUTABLE), copy))
        ADD_FAILURE() << "cannot copy " << QUENBY_EXECUTABLE << " to " << copy.toStdString();
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

Desktop::~Desktop() {
    if (::testing::Test::HasFailure())
        printLogs();
    for (auto it = m_owners.rbegin(); it != m_owners.rend(); ++it)
        stop(**it, false);
    if (m_program)
        stop(*m_program, true);
    if (m_server)
        stop(*m_server, true);
}

::testing::AssertionResult Desktop::startServer() {
    for (const char* tool : {"Xvfb", "xdotool", "xclip"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return ::testing::AssertionFailure()
                   << tool << " is not installed (scripts/setup.sh installs it)";
    m_server = std::make_unique<QProcess>();
    m_server->setStandardErrorFile(QDir(m_dir.path()).filePath(QStringLiteral("xvfb.log")));
    // -displayfd 1: the server picks a free display and writes its number to
    // our pipe once it accepts connections.
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1024x768x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                     QStringLiteral("-noreset")});
    if (!m_server->waitForStarted(kWaitMs))
        return ::testing::AssertionFailure() << "Xvfb did not start";
    QByteArray number;
    const QDeadlineTimer deadline(kWaitMs);
    while (!number.contains('\n') && !deadline.hasExpired()) {
        if (!m_server->waitForReadyRead(int(deadline.remainingTime())))
            break;
        number += m_server->readAllStandardOutput();
    }
    if (!number.contains('\n'))
        return ::testing::AssertionFailure() << "Xvfb gave no display number";
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return ::testing::AssertionSuccess();
}

QProcessEnvironment Desktop::xEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    return env;
}

::testing::AssertionResult Desktop::startProgram() {
    if (m_display.isEmpty())
        return ::testing::AssertionFailure() << "no X server";
    QProcessEnvironment env = xEnvironment();
    for (const char* name : kLayoutChangers)
        env.remove(QLatin1String(name));
    const QDir dir(m_dir.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));

    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(env);
    m_program->setWorkingDirectory(programFolder());
    m_program->setStandardOutputFile(dir.filePath(QStringLiteral("quenby.log")), QIODevice::Append);
    m_program->setStandardErrorFile(dir.filePath(QStringLiteral("quenby.log")), QIODevice::Append);
    m_program->start(dir.filePath(QStringLiteral("program/quenby")), {});
    if (!m_program->waitForStarted(kWaitMs))
        return ::testing::AssertionFailure() << "the program did not start";

    QStringList found;
    bool ended = false;
    waitUntil([&] {
        found = windows(QStringLiteral("Quenby 5.0"));
        ended = m_program->waitForFinished(0) || m_program->state() == QProcess::NotRunning;
        return !found.isEmpty() || ended;
    });
    if (ended)
        return ::testing::AssertionFailure() << "the program ended before showing its window";
    if (found.size() != 1)
        return ::testing::AssertionFailure()
               << "expected one window \"Quenby 5.0\", found " << found.size();
    m_window = found.front();

    const Run geometry =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_window});
    int width = 0, height = 0;
    for (const QByteArray& line : geometry.out.split('\n')) {
        const QList<QByteArray> kv = line.trimmed().split('=');
        if (kv.size() != 2)
            continue;
        const int value = kv[1].toInt();
        if (kv[0] == "X")
            m_windowX = value;
        else if (kv[0] == "Y")
            m_windowY = value;
        else if (kv[0] == "WIDTH")
            width = value;
        else if (kv[0] == "HEIGHT")
            height = value;
    }
    if (width != kClientWidth || height != kClientHeight)
        return ::testing::AssertionFailure()
               << "the window's client area is " << width << "x" << height << ", not "
               << kClientWidth << "x" << kClientHeight;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Desktop::closeProgram() {
    if (!m_program || m_program->state() == QProcess::NotRunning)
        return ::testing::AssertionFailure() << "the program is not running";
    // Qt 6.4 on X sometimes loses a close request that arrives within a
    // moment of a click; like a person, press the close button again when
    // the window is still there after a while.
    const QDeadlineTimer deadline(kWaitMs);
    bool ended = false;
    int presses = 0;
    while (!ended && !deadline.hasExpired()) {
        const ::testing::AssertionResult sent = sendDeleteWindow(m_display, m_window.toUInt());
        if (!sent)
            return sent;
        ++presses;
        ended = m_program->waitForFinished(kClosePatienceMs);
    }
    if (!ended)
        return ::testing::AssertionFailure()
               << "the program did not end after " << presses << " close requests";
    if (presses > 1)
        std::cerr << "note: the window closed at close request " << presses << "\n";
    if (m_program->exitStatus() != QProcess::NormalExit || m_program->exitCode() != 0)
        return ::testing::AssertionFailure()
               << "the program ended abnormally: status " << m_program->exitStatus() << ", code "
               << m_program->exitCode();
    m_program.reset();
    return ::testing::AssertionSuccess();
}

void Desktop::click(const Twips& control) {
    const int x = m_windowX + (2 * control.left + control.width) / (2 * kTwipsPerPixel);
    const int y = m_windowY + (2 * control.top + control.height) / (2 * kTwipsPerPixel);
    const Run r = xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y),
                           QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(r.finished && r.exitCode == 0) << "xdotool click at " << x << "," << y;
}

void Desktop::type(const QString& text) {
    const Run r = xdotool({QStringLiteral("type"), QStringLiteral("--delay"),
                           QString::number(kKeyDelayMs), QStringLiteral("--"), text});
    EXPECT_TRUE(r.finished && r.exitCode == 0) << "xdotool type " << text.toStdString();
}

void Desktop::key(const QString& keysym) {
    const Run r = xdotool({QStringLiteral("key"), keysym});
    EXPECT_TRUE(r.finished && r.exitCode == 0) << "xdotool key " << keysym.toStdString();
}

::testing::AssertionResult Desktop::answerMessageBox(const QString& title, const QString& keysym) {
    QStringList boxes;
    if (!waitUntil([&] { return !(boxes = windows(title)).isEmpty(); }))
        return ::testing::AssertionFailure()
               << "no message box \"" << title.toStdString() << "\" appeared";
    // The key must reach the box, not the window it blocks.
    QString focus;
    if (!waitUntil([&] {
            focus = QString::fromLatin1(xdotool({QStringLiteral("getwindowfocus")}).out.trimmed());
            return boxes.contains(focus);
        }))
        return ::testing::AssertionFailure()
               << "the message box \"" << title.toStdString()
               << "\" never took the keyboard focus (focus: " << focus.toStdString() << ")";
    key(keysym);
    if (!waitUntil([&] { return windows(title).isEmpty(); }))
        return ::testing::AssertionFailure() << "the message box \"" << title.toStdString()
                                             << "\" stayed after " << keysym.toStdString();
    return ::testing::AssertionSuccess();
}

std::optional<QString> Desktop::clipboard() {
    const Run r = run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                QStringLiteral("clipboard")});
    if (!r.finished || r.exitCode != 0)
        return std::nullopt;
    return QString::fromUtf8(r.out);
}

::testing::AssertionResult Desktop::offerClipboard(const QString& text) {
    auto owner = std::make_unique<QProcess>();
    owner->setProcessEnvironment(xEnvironment());
    owner->setStandardOutputFile(QProcess::nullDevice());
    owner->setStandardErrorFile(QProcess::nullDevice());
    // -quiet keeps xclip in the foreground, so that its process is ours to end.
    owner->start(QStringLiteral("xclip"),
                 {QStringLiteral("-quiet"), QStringLiteral("-i"), QStringLiteral("-selection"),
                  QStringLiteral("clipboard")});
    if (!owner->waitForStarted(kWaitMs))
        return ::testing::AssertionFailure() << "xclip did not start";
    owner->write(text.toUtf8());
    owner->closeWriteChannel();
    owner->waitForBytesWritten(kWaitMs);
    m_owners.push_back(std::move(owner));
    std::optional<QString> seen;
    if (!waitUntil([&] { return (seen = clipboard()) == text; }))
        return ::testing::AssertionFailure()
               << "the clipboard never held the offered text; it holds "
               << (seen ? "\"" + seen->toStdString() + "\"" : std::string("nothing"));
    return ::testing::AssertionSuccess();
}

bool Desktop::offeringClipboard() const {
    if (m_owners.empty())
        return false;
    QProcess& owner = *m_owners.back();
    owner.waitForFinished(0);
    return owner.state() != QProcess::NotRunning;
}

QString Desktop::programFolder() const {
    return QDir(m_dir.path()).filePath(QStringLiteral("program"));
}

QByteArray Desktop::file(const QString& name) const {
    QFile f(QDir(programFolder()).filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Desktop::waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

Run Desktop::run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess p;
    p.setProcessEnvironment(xEnvironment());
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, arguments);
    Run r;
    if (!p.waitForStarted(timeoutMs))
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(kWaitMs);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    return r;
}

Run Desktop::xdotool(const QStringList& arguments) {
    return run(QStringLiteral("xdotool"), arguments);
}

QStringList Desktop::windows(const QString& title) {
    if (!m_program)
        return {};
    const Run r =
        xdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(m_program->processId()),
                 QStringLiteral("--name"), exactPattern(title)});
    QStringList ids;
    for (const QByteArray& line : r.out.split('\n'))
        if (!line.trimmed().isEmpty())
            ids << QString::fromLatin1(line.trimmed());
    return ids;
}

void Desktop::stop(QProcess& process, bool gently) {
    if (process.state() == QProcess::NotRunning)
        return;
    if (gently) {
        process.terminate();
        if (process.waitForFinished(5000))
            return;
    }
    process.kill();
    process.waitForFinished(kWaitMs);
}

void Desktop::printLogs() const {
    const QDir dir(m_dir.path());
    std::cerr << "--- display " << m_display.toStdString() << ", program folder "
              << programFolder().toStdString() << "\n--- Xvfb log (end):\n"
              << tail(dir.filePath(QStringLiteral("xvfb.log")), 2000).toStdString()
              << "\n--- program log (end):\n"
              << tail(dir.filePath(QStringLiteral("quenby.log")), 4000).toStdString() << "\n";
}

} // namespace quenby::e2e
