# SPDX-License-Identifier: GPL-3.0-or-later
"""The assembled program as a user meets it: the real binary started on a
private X display (Xvfb -displayfd) managed by openbox, with a private D-Bus
session bus, driven by xdotool's real mouse and keys. Every wait is on a
condition with a bound; the data file's bytes are read back as records."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

RECORD_SIZE = 764
# Field offsets (of the length byte) and maxima, in file order.
FIELDS = {
    "FirstName": (0, 30), "LastName": (31, 30), "Organisation": (62, 50),
    "Address1": (113, 60), "City": (174, 30), "Zip": (205, 12), "State": (218, 30),
    "Country": (249, 30), "Phone1": (280, 30), "Phone2": (311, 30), "Cell": (342, 30),
    "Phone3": (373, 30), "Email": (404, 40), "Comment": (445, 200), "Birth": (646, 8),
    "Status": (655, 15), "Password": (671, 30), "Protection": (702, 30), "Reserved": (733, 30),
}
TITLE = "Vellora Carnetique 97"
# The list box's rectangle in the main window's client area.
LIST_LEFT, LIST_TOP, LIST_WIDTH, LIST_HEIGHT = 76, 12, 218, 429
FIELD_LEFT = 454
FIELD_TOP = {"LastName": 8, "FirstName": 34, "City": 112}


class Failure(Exception):
    pass


def wait_for(condition, what, timeout=15.0):
    """Polls `condition` until it gives a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def record(fields):
    """A 764-byte record from a dict of field name -> bytes (cp1252)."""
    data = bytearray(RECORD_SIZE)
    for name, value in fields.items():
        offset, maximum = FIELDS[name]
        value = value.encode("cp1252") if isinstance(value, str) else value
        value = value[:maximum]
        data[offset] = len(value)
        data[offset + 1:offset + 1 + len(value)] = value
    return bytes(data)


def header():
    return record({"FirstName": "Beta3", "LastName": "Vellora Softwares"})


def person(last, first="", **more):
    """A contact as Save stores one with a blank birth date."""
    return record(dict({"LastName": last, "FirstName": first, "Birth": "  -  -  "}, **more))


def field(rec, name):
    offset, maximum = FIELDS[name]
    n = min(rec[offset], maximum)
    return rec[offset + 1:offset + 1 + n].decode("cp1252")


def records(path):
    data = open(path, "rb").read()
    if len(data) % RECORD_SIZE:
        raise Failure("data file of %d bytes" % len(data))
    return [data[i:i + RECORD_SIZE] for i in range(0, len(data), RECORD_SIZE)]


class Desktop:
    """Xvfb on a display it chooses, openbox on it, a private session bus."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.processes = []
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "QT_QPA_PLATFORM"):
            self.env.pop(name, None)

    def _spawn(self, args, **kw):
        p = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL, **kw)
        self.processes.append(p)
        return p

    def start(self):
        for attempt in range(4):
            try:
                self._start_once()
                return self
            except Failure:
                self.stop()
                if attempt == 3:
                    raise
        return self

    def _start_once(self):
        read_end, write_end = os.pipe()
        xvfb = self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                            "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as f:
            deadline = time.monotonic() + 20
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = f.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.env["QT_QPA_PLATFORM"] = "xcb"
        # Modems are looked for on the system bus: give it none.
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=%s/no-system-bus" % self.scratch
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                                "--address=unix:path=%s/session-bus" % self.scratch],
                               env=self.env, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.processes.append(bus)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise Failure("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        wm = self._spawn(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)

        def managed():
            if xvfb.poll() is not None or wm.poll() is not None:
                raise Failure("the desktop went away")
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                 capture_output=True, text=True).stdout
            return "window id" in out
        wait_for(managed, "the window manager")

    def stop(self):
        for p in reversed(self.processes):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        self.processes = []


class Program:
    """The installed binary, started in a folder of its own as a user starts it."""

    def __init__(self, binary, contacts=None, french=False, keep=False, header_record=None,
                 wait_main=True):
        self.binary = binary
        self.scratch = tempfile.mkdtemp(prefix="vcq-app-")
        self.keep = keep
        self.work = os.path.join(self.scratch, "work")
        self.config = os.path.join(self.scratch, "config")
        os.makedirs(self.work)
        os.makedirs(os.path.join(self.config, "vellora-carnetique-97"))
        os.makedirs(os.path.join(self.scratch, "data"))
        self.data_file = os.path.join(self.work, "VCQ97.NAM")
        if contacts is not None:
            with open(self.data_file, "wb") as f:
                f.write((header_record or header()) + b"".join(contacts))
        if french:
            self.set_registry({"Language": 1})
        self.desktop = Desktop(self.scratch)
        self.process = None
        self.window = None
        self.wait_main = wait_main
        self.log = os.path.join(self.scratch, "program.log")

    def set_registry(self, values):
        key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v1.0"
        lines = ["REGEDIT4", "", "[%s]" % key]
        for name, value in values.items():
            lines.append('"%s"=dword:%08x' % (name, value & 0xFFFFFFFF))
        path = os.path.join(self.config, "vellora-carnetique-97", "registry.reg")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n\n")

    def registry(self):
        path = os.path.join(self.config, "vellora-carnetique-97", "registry.reg")
        return open(path, encoding="utf-8").read() if os.path.exists(path) else ""

    def __enter__(self):
        self.desktop.start()
        env = self.desktop.env
        env.update(HOME=self.scratch, XDG_CONFIG_HOME=self.config,
                   XDG_DATA_HOME=os.path.join(self.scratch, "data"))
        with open(self.log, "wb") as log:
            self.process = subprocess.Popen([self.binary], cwd=self.work, env=env,
                                            stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT)
        if self.wait_main:
            self.window = self.wait_window("^%s$" % TITLE)
            self.focus(self.window)
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.desktop.stop()
        if not self.keep:
            shutil.rmtree(self.scratch, ignore_errors=True)
        return False

    # xdotool
    def xdo(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.desktop.env,
                                capture_output=True, text=True)
        if check and result.returncode != 0:
            raise Failure("xdotool %s: %s" % (" ".join(map(str, args)), result.stderr))
        return result.stdout

    def windows(self, name):
        """Visible windows whose title matches the pattern."""
        out = self.xdo("search", "--onlyvisible", "--name", name, check=False)
        return [w for w in out.split() if w]

    def wait_window(self, name, timeout=20, exclude=None):
        """The first visible window whose title matches, other than `exclude`."""
        def found():
            return [w for w in self.windows(name) if w != exclude] or self._alive()
        return wait_for(found, "a window " + name, timeout)[0]

    def wait_no_window_id(self, window, timeout=10):
        def gone():
            out = self.xdo("search", "--onlyvisible", "--pid", self.process.pid, check=False)
            return window not in out.split()
        wait_for(gone, "window %s to go" % window, timeout)

    def wait_no_window(self, name, timeout=10):
        wait_for(lambda: not self.windows(name) or not self._alive(), "no window " + name,
                 timeout)

    def _alive(self):
        if self.process.poll() is not None:
            raise Failure("the program ended (%s): %s" % (self.process.returncode,
                                                         open(self.log).read()))
        return None

    def popups(self):
        """The program's visible menus: its windows the window manager leaves alone."""
        out = self.xdo("search", "--onlyvisible", "--pid", self.process.pid, check=False)
        found = []
        for w in out.split():
            info = subprocess.run(["xwininfo", "-id", w], env=self.desktop.env,
                                  capture_output=True, text=True).stdout
            if "Override Redirect State: yes" in info:
                found.append(w)
        return found

    def wait_menu(self):
        return wait_for(lambda: self.popups() or self._alive(), "a context menu")[0]

    def wait_no_menu(self):
        wait_for(lambda: not self.popups(), "the menu to close")

    def focus(self, window):
        self.xdo("windowactivate", "--sync", window, check=False)
        self.xdo("windowfocus", "--sync", window)

    def geometry(self, window=None):
        """Outer left, top and inner size of a window, as the desktop has it."""
        out = self.xdo("getwindowgeometry", "--shell", window or self.window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def frame(self, window=None):
        """The outer rectangle (left, top, width, height), frame included."""
        x, y, w, h = self.geometry(window)
        out = subprocess.run(["xprop", "-id", str(window or self.window), "_NET_FRAME_EXTENTS"],
                             env=self.desktop.env, capture_output=True, text=True).stdout
        if "=" not in out:
            return None
        left, right, top, bottom = (int(v) for v in out.split("=", 1)[1].split(","))
        return x - left, y - top, w + left + right, h + top + bottom

    def wait_frame(self, window=None):
        return wait_for(lambda: self.frame(window), "a frame around the window")

    def move(self, x, y):
        """Moves the main window as a user drags it; --sync waits until it has moved."""
        self.xdo("windowmove", "--sync", self.window, x, y)

    def click(self, x, y, button=1):
        """A click at (x, y) of the main window's client area."""
        self.xdo("mousemove", "--window", self.window, x, y)
        self.xdo("click", button)

    def click_row(self, row, row_height, button=1):
        self.click(LIST_LEFT + 20, LIST_TOP + 1 + row * row_height + row_height // 2, button)

    def click_blank(self, button=1):
        self.click(LIST_LEFT + 20, LIST_TOP + LIST_HEIGHT - 8, button)

    def click_field(self, name):
        self.click(FIELD_LEFT + 10, FIELD_TOP[name] + 10)

    def key(self, *keys):
        self.xdo("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.xdo("type", "--delay", "15", text)

    def quit(self):
        """Quit with its mnemonic; everything typed before is handled by then."""
        self.focus(self.window)
        self.key("alt+q")
        self.wait_exit()

    def wait_exit(self, timeout=15):
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")
        if code != 0:
            raise Failure("the program ended with %d: %s" % (code, open(self.log).read()))


def run_scenario(scenarios):
    """Runs the scenario the command line names (binary, name) and says how
    it went; the exit status for the test."""
    binary, name = sys.argv[1], sys.argv[2]
    try:
        scenarios[name](binary)
    except Failure as e:
        print("FAIL: %s: %s" % (name, e), file=sys.stderr)
        return 1
    print("%s: as expected" % name)
    return 0
