#pragma once

// Opening the display without Qt's abort. When no window system can be
// reached (no DISPLAY or WAYLAND_DISPLAY, or a server that is gone), Qt
// reports a fatal error while the application is made, and a fatal error
// ends in abort(): a core dump and status 134 for what is the user's
// setting, not a fault. Qt alone decides which platform it uses (the
// -platform option, QT_QPA_PLATFORM, the session type), so the program asks
// Qt itself rather than guessing: while a DisplayGuard lives, Qt's messages
// are held back; a fatal one about the platform becomes one line naming
// DISPLAY and WAYLAND_DISPLAY and the exit status 1. Once the application
// is made, release() passes every held message on as Qt would have shown it.
namespace quenby::app {

class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard() { release(); }
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    void release();

private:
    bool m_holding = true;
};

} // namespace quenby::app
