#!/usr/bin/python3
"""The program in a desktop session, as a screen reader and a Wayland
compositor meet it.

    session_test.py SCENARIO PROGRAM

Each run has its own session bus (dbus-run-session) with the accessibility
bus on it, its own servers and a copy of the program in a temporary folder;
it ends exactly the processes it started. Scenarios:

  screen-reader     on an X server (Xvfb): the window and its controls found
                    by their accessible names over AT-SPI, as a screen reader
                    finds them; typing through xdotool; the output, the count
                    and the strip string read and set over AT-SPI.
  wayland-headless  the program as a native Wayland client of weston's
                    headless backend: input set and output read over AT-SPI.
                    The headless backend has no seat, so no keyboard and no
                    clipboard reach any client there.
  wayland-keyboard  the program as a native Wayland client of weston running
                    on an X server (the x11 backend gives weston a seat):
                    typing through the compositor, the clipboard exchanged
                    with wl-copy and wl-paste.

Exit status 0 when every check held; otherwise the failures and the ends of
the logs on stderr.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

WAIT = 20.0  # seconds; allows for a busy two-core machine
TITLE = "Quenby 5.0"


class Failed(Exception):
    pass


def wait_until(condition, what, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failed("timed out waiting for " + what)
        time.sleep(0.1)


def tail(path, size=3000):
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - size))
            return f.read().decode("utf-8", "replace")
    except OSError:
        return "<none>"


class Session:
    """The servers and the program of one run, in one temporary folder."""

    def __init__(self, folder, program):
        self.dir = folder
        self.runtime = os.environ["XDG_RUNTIME_DIR"]
        os.mkdir(os.path.join(self.dir, "program"))
        self.program = os.path.join(self.dir, "program", "quenby")
        shutil.copy(program, self.program)
        self.processes = []  # (name, Popen), in the order started
        self.display = None

    def close(self, failed):
        for name, p in reversed(self.processes):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        if failed:
            for name, _ in self.processes:
                sys.stderr.write("--- %s log (end):\n%s\n" % (name, tail(self.log(name))))

    def log(self, name):
        return os.path.join(self.dir, name + ".log")

    def environment(self, **changes):
        env = dict(os.environ)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR",
                     "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_STYLE_OVERRIDE",
                     "QT_QPA_PLATFORMTHEME", "QT_WAYLAND_DISABLE_WINDOWDECORATION"):
            env.pop(name, None)
        env["XDG_RUNTIME_DIR"] = self.runtime
        env.update(changes)
        return env

    def start(self, name, command, env, **kwargs):
        with open(self.log(name), "ab") as log:
            p = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                 stderr=log, **kwargs)
        self.processes.append((name, p))
        return p

    def run(self, command, env):
        r = subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                           capture_output=True, timeout=WAIT)
        if r.returncode != 0:
            raise Failed("%s failed (%d): %s" % (command[0], r.returncode,
                                                 r.stderr.decode(errors="replace").strip()))
        return r.stdout.decode("utf-8", "replace")

    def start_x(self):
        """Xvfb on a display number it picks itself."""
        read, write = os.pipe()
        # -fbdir: the screen is also a file, to find weston's windows on it.
        self.start("xvfb", ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                            "-fbdir", self.dir, "-nolisten", "tcp", "-noreset"],
                   self.environment(), pass_fds=(write,))
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise Failed("Xvfb gave no display number")
                number += chunk
        self.display = ":" + number.decode().strip()

    def window_top(self):
        """Left end, row and right end of the window's top teal row on the X
        screen (weston does not tell where a window is); the teal icon in the
        title bar is too narrow to count."""
        with open(os.path.join(self.dir, "Xvfb_screen0"), "rb") as f:
            screen = f.read()
        header = [int.from_bytes(screen[i:i + 4], "big") for i in range(0, 100, 4)]
        width, height, line, colours = header[4], header[5], header[12], header[19]
        start = header[0] + 12 * colours
        for y in range(height):
            row = screen[start + y * line:start + y * line + 4 * width]
            left, right = row.find(b"\x80\x80\x00"), row.rfind(b"\x80\x80\x00")  # teal's BGR
            if left >= 0 and right - left > 4 * 300:
                return (left // 4, y, right // 4 + 1)
        return None

    def x_environment(self, **changes):
        return self.environment(DISPLAY=self.display, **changes)

    def start_weston(self, backend):
        """weston with its own socket; returns the socket's name."""
        name = "quenby-%d" % os.getpid()
        env = self.x_environment() if self.display else self.environment()
        # No key repeat: on a busy machine the program may see a key's
        # release late, and repeat the key in the meantime.
        config = os.path.join(self.dir, "weston.ini")
        with open(config, "w") as f:
            f.write("[keyboard]\nrepeat-rate=0\n")
        self.start("weston", ["weston", "--backend=" + backend, "--socket=" + name,
                              "--config=" + config, "--use-pixman", "--width=1024",
                              "--height=768"], env)
        path = os.path.join(self.runtime, name)

        def accepts():
            with socket.socket(socket.AF_UNIX) as s:
                try:
                    s.connect(path)
                    return True
                except OSError:
                    return False

        wait_until(accepts, "weston's socket")
        return name

    def wayland_environment(self, name):
        # No DISPLAY: the program cannot fall back to X.
        return self.environment(WAYLAND_DISPLAY=name)

    def start_program(self, env):
        env = dict(env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        return self.start("quenby", [self.program], env, cwd=os.path.dirname(self.program))


class Reader:
    """The program's window as a screen reader reaches it over AT-SPI."""

    def __init__(self, process):
        import pyatspi  # the accessibility bus starts on the session bus

        self.at = pyatspi
        self.process = process
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.set_cache_mask(pyatspi.Atspi.Cache.NONE)  # read every value afresh

        def window():
            if process.poll() is not None:
                raise Failed("the program ended (status %d)" % process.returncode)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is None or app.get_process_id() != process.pid:
                    continue
                for j in range(app.childCount):
                    w = app.getChildAtIndex(j)
                    if w is not None and w.name == TITLE:
                        return w
            return None

        self.window = wait_until(window, 'a window "%s" on the accessibility bus' % TITLE)

    def has(self, accessible, state):
        return accessible.getState().contains(state)

    def shown(self, accessible):
        return self.has(accessible, self.at.STATE_SHOWING)

    def controls(self, parent=None):
        parent = parent or self.window
        for i in range(parent.childCount):
            c = parent.getChildAtIndex(i)
            yield c
            if c.getRole() in (self.at.ROLE_PANEL, self.at.ROLE_GROUPING):
                yield from self.controls(c)

    def control(self, name):
        """The control on screen with this name; labels, which may share the
        name of the box they caption, do not count."""
        found = [c for c in self.controls()
                 if c.name == name and self.shown(c) and c.getRole() != self.at.ROLE_LABEL]
        if len(found) != 1:
            raise Failed('%d controls on screen named "%s", not one' % (len(found), name))
        return found[0]

    def text(self, name):
        return self.control(name).queryText().getText(0, -1)

    def set_text(self, name, text):
        if not self.control(name).queryEditableText().setTextContents(text):
            raise Failed('"%s" refused its new text' % name)

    def press(self, name):
        action = self.control(name).queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Press" not in names:
            raise Failed('"%s" cannot be pressed (actions: %s)' % (name, names))
        action.doAction(names.index("Press"))

    def expect_text(self, name, expected):
        seen = []

        def holds():
            seen[:] = [self.text(name)]
            return seen[0] == expected

        try:
            wait_until(holds, '"%s" to read %r' % (name, expected))
        except Failed:
            raise Failed('"%s" reads %r, not %r' % (name, seen[0], expected))


def check(condition, message):
    if not condition:
        raise Failed(message)


def type_keys(session, text):
    session.run(["xdotool", "type", "--delay", "40", "--", text], session.x_environment())


def screen_reader(session):
    session.start_x()
    program = session.start_program(session.x_environment(QT_QPA_PLATFORM="xcb"))
    reader = Reader(program)
    check(reader.window.getRole() == reader.at.ROLE_FRAME,
          "the window is a %s, not a frame" % reader.window.getRoleName())

    # Every text field and every small select button has a name of its own;
    # the four buttons captioned "all" and "none" say which text they select.
    names = ["Input text", "Output text", "Strip this string", "Replace with", "Occurrences",
             "Marker"] + ["Character slot %d" % n for n in range(1, 11)]
    for name in names:
        check(reader.control(name).getRole() == reader.at.ROLE_TEXT, '"%s" is no text' % name)
    described = {}
    for name in ("Select all of the input", "Select none of the input",
                 "Select all of the output", "Select none of the output"):
        button = reader.control(name)
        check(button.getRole() == reader.at.ROLE_PUSH_BUTTON, '"%s" is no button' % name)
        check(button.description and button.description not in described,
              '"%s" has no description of its own' % name)
        described[button.description] = name

    # The input box has the keyboard focus; typing reaches it, and the
    # output reads as a screen reader reads it.
    window = session.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                          str(program.pid), "--name", "^Quenby 5\\.0$"],
                         session.x_environment()).split()[0]
    session.run(["xdotool", "windowfocus", "--sync", window], session.x_environment())
    wait_until(lambda: reader.has(reader.control("Input text"), reader.at.STATE_FOCUSED),
               "the input box to have the focus")
    type_keys(session, "Hello, wonderful world 42")
    reader.expect_text("Input text", "Hello, wonderful world 42")
    reader.expect_text("Output text", "Hll, wndrfl wrld 42")

    # What an assistive tool writes into a field counts as typed.
    reader.set_text("Strip this string", "world")
    reader.expect_text("Occurrences", "1")
    reader.expect_text("Output text", "Hll, wndrfl  42")


def wayland_headless(session):
    name = session.start_weston("headless-backend.so")
    program = session.start_program(dict(session.wayland_environment(name),
                                         QT_QPA_PLATFORM="wayland"))
    reader = Reader(program)
    reader.set_text("Input text", "Hello, wonderful world 42")
    reader.expect_text("Output text", "Hll, wndrfl wrld 42")


def wayland_keyboard(session):
    session.start_x()
    name = session.start_weston("x11-backend.so")
    # Keys pressed on the X server go to weston's window, and weston hands
    # them to the client it has activated. (Moving the X focus later makes
    # weston take the keyboard focus from its client now and then.)
    [weston] = session.run(["xdotool", "search", "--sync", "--class", "Weston Compositor"],
                           session.x_environment()).split()
    session.run(["xdotool", "windowfocus", "--sync", weston], session.x_environment())
    env = session.wayland_environment(name)
    program = session.start_program(dict(env, QT_QPA_PLATFORM="wayland"))
    reader = Reader(program)
    wait_until(lambda: reader.has(reader.window, reader.at.STATE_ACTIVE),
               "the compositor to activate the window")
    type_keys(session, "Hello, wonderful world 42")
    reader.expect_text("Input text", "Hello, wonderful world 42")
    reader.expect_text("Output text", "Hll, wndrfl wrld 42")

    # Copy Output, and another Wayland client pastes the output.
    reader.press("Copy Output")
    pasted = []

    def paste():
        try:
            pasted.append(session.run(["wl-paste", "--no-newline"], env))
        except Failed as e:  # "No selection" until the button has copied
            pasted.append(str(e))
        return pasted[-1] == "Hll, wndrfl wrld 42"

    try:
        wait_until(paste, "")
    except Failed:
        raise Failed("wl-paste reads %r, not the output" % pasted[-1])

    # Another client copies; once the window has the focus again (Wayland
    # offers the clipboard to the focused client), Paste Input takes it.
    session.start("wl-copy", ["wl-copy", "--foreground", "--", "Quite a day"], env)
    presses = []

    def pasted_in():
        wait_until(lambda: reader.has(reader.window, reader.at.STATE_ACTIVE),
                   "the window to be active again")
        presses.append(1)
        reader.press("Paste Input")
        try:
            return wait_until(lambda: reader.text("Input text") == "Quite a day", "", timeout=3)
        except Failed:
            return False

    wait_until(pasted_in, "Paste Input to take the copied text")
    if len(presses) > 1:
        sys.stderr.write("note: the copied text arrived at press %d\n" % len(presses))
    reader.expect_text("Output text", "Qt  d")

    # The window keeps its size: the maximize button of the title bar (drawn
    # by Qt, 37 pixels left of the window's right teal end) and a double
    # click on the title bar leave it as it is, and it still takes typed keys.
    top = session.window_top()
    check(top, "no window on the screen")
    x = session.x_environment()
    # Weston follows the X pointer only once it has entered weston's own X
    # window, so the pointer comes in from outside before the first click
    # (else the click lands where weston last saw it: on its panel's launcher).
    session.run(["xdotool", "mousemove", "--sync", "1200", "1000", "sleep", "0.2",
                 "mousemove", "--sync", str(top[2] - 37), str(top[1] - 15), "sleep", "0.2",
                 "click", "1"], x)
    session.run(["xdotool", "mousemove", str(top[0] + 200), str(top[1] - 15),
                 "click", "--repeat", "2", "1"], x)
    reader.set_text("Input text", "")
    wait_until(lambda: reader.has(reader.window, reader.at.STATE_ACTIVE),
               "the window to be active after the title-bar clicks")
    type_keys(session, "Good day")
    reader.expect_text("Input text", "Good day")
    reader.expect_text("Output text", "Gd d")
    check(program.poll() is None, "the program ended")
    # Its top edge (weston's on-screen keyboard may now cover its bottom).
    wait_until(lambda: session.window_top() == top, "the window at its place and size")


SCENARIOS = {
    "screen-reader": screen_reader,
    "wayland-headless": wayland_headless,
    "wayland-keyboard": wayland_keyboard,
}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SCENARIOS:
        sys.stderr.write("usage: session_test.py {%s} PROGRAM\n" % ",".join(SCENARIOS))
        return 2
    scenario, program = sys.argv[1], sys.argv[2]
    folder = os.environ.get("QUENBY_SESSION_FOLDER")
    if folder is None:
        # Again under a private session bus, with a home and a runtime folder
        # of its own, where the accessibility bus puts its socket: nothing
        # reaches the user's own session, nor another run of this script.
        folder = tempfile.mkdtemp(prefix="quenby-session-")
        try:
            os.mkdir(os.path.join(folder, "runtime"), 0o700)
            os.mkdir(os.path.join(folder, "home"))
            env = {k: v for k, v in os.environ.items()
                   if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                                "AT_SPI_BUS_ADDRESS", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                "XDG_DATA_HOME", "XDG_STATE_HOME")}
            env.update(QUENBY_SESSION_FOLDER=folder, HOME=os.path.join(folder, "home"),
                       XDG_RUNTIME_DIR=os.path.join(folder, "runtime"))
            command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                       scenario, program]
            return subprocess.run(command, env=env).returncode
        except FileNotFoundError:
            sys.stderr.write("dbus-run-session is not installed (scripts/setup.sh installs it)\n")
            return 1
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    missing = [tool for tool in ("Xvfb", "xdotool", "weston", "wl-copy", "wl-paste")
               if shutil.which(tool) is None]
    if missing:
        sys.stderr.write("not installed: %s (scripts/setup.sh installs them)\n" % " ".join(missing))
        return 1

    session = Session(folder, program)
    failed = True
    try:
        SCENARIOS[scenario](session)
        failed = False
    except Failed as e:
        sys.stderr.write("FAILED: %s\n" % e)
    finally:
        session.close(failed)
    if not failed:
        print("%s: passed" % scenario)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
