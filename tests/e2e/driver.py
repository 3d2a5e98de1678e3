"""Drives the real Nimbrel.exe under Wine from outside, as a person at the X display does:
starts it, finds its window, sends real keys and mouse input through the X server (xdotool),
and reads back what is left to see: window titles and sizes, pixels, the settings file,
saved playlists and registry keys.

Needs the environment of tools/wine-env.sh (DISPLAY, WINEPREFIX, the Wine server running).
Xvfb has no window manager: windows are focused with windowfocus, never activated."""
import os
import re
import shutil
import subprocess
import time

WINE = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
# The display scale of the Wine prefix (tools/wine-env.sh: NIMBREL_DPI; 96 is 100 %).
DPI = int(os.environ.get("NIMBREL_DPI") or 96)


def px(v):
    """A size of 96 DPI at the prefix's scale, rounded as the program rounds it."""
    return (v * DPI + 48) // 96 if v >= 0 else -px(-v)


# Wine's window frame at the scales the tests run at: side, top.
WINE_FRAME = {96: (4, 23), 144: (5, 33)}
# Client sizes the program opens with when its settings file names none.
DEFAULT_CLIENT = (px(662), px(414))
BAR_HEIGHT = px(30)
# Every program and recorder started, so that a failed scenario can end them all (kill()).
STARTED = []


def winpath(path):
    """The Windows form of a local path (Wine's Z: drive)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_until(check, timeout, interval=0.05):
    """Polls check until it returns something true; that value, or None at the timeout."""
    end = time.monotonic() + timeout
    while True:
        value = check()
        if value or time.monotonic() > end:
            return value or None
        time.sleep(interval)


def xdo(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else ""


def key(*keys):
    """Presses and releases each key (xdotool names: ctrl+s, alt+2, F11, Escape, space)."""
    for k in keys:
        xdo("key", k)


def type_text(text):
    xdo("type", "--delay", 8, text)


def click(x, y, button=1):
    xdo("mousemove", x, y)
    xdo("click", button)


def drag(start, end, steps=6):
    """Left-button drag in screen coordinates, moving through a few points on the way."""
    xdo("mousemove", *start)
    xdo("mousedown", 1)
    for i in range(1, steps + 1):
        xdo("mousemove", start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        time.sleep(0.02)
    xdo("mouseup", 1)


def windows(name, pid=None):
    """Shown X windows whose title matches the regular expression name (of process pid)."""
    args = ["search", "--all", "--onlyvisible"] + (["--pid", pid] if pid else []) + ["--name", name]
    return [int(w) for w in xdo(*args).split()]


def title(window):
    return xdo("getwindowname", window)


def geometry(window):
    """Outer (x, y, width, height) of a window as the X server has it."""
    out = xdo("getwindowgeometry", "--shell", window)
    g = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return tuple(int(g[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")) if g else None


class Picture:
    """An RGB rectangle of the screen."""

    def __init__(self, x, y, width, height):
        self.width, self.height = width, height
        self.data = subprocess.run(
            ["import", "-silent", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-depth", "8", "rgb:-"],
            capture_output=True, check=True).stdout

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def row(self, y):
        return [self.pixel(x, y) for x in range(self.width)]


def screenshot(path):
    subprocess.run(["import", "-silent", "-window", "root", path], check=True)


def ini(path):
    """The keys of a settings file as a dict of strings ({} when it is missing)."""
    try:
        text = open(path, encoding="utf-8", errors="replace").read()
    except FileNotFoundError:
        return {}
    return dict(re.findall(r"^(\w+)=(.*?)\r?$", text, re.M))


def reg_query(key, value=None):
    """The data of a registry value (the default one without a name), None when absent."""
    args = [WINE, "reg", "query", key] + (["/v", value] if value else ["/ve"])
    # From / so that no reg.exe of the current folder is run instead.
    out = subprocess.run(args, capture_output=True, cwd="/").stdout.decode("utf-8", "replace")
    m = re.search(r"^\s+\S.*?\s+REG_\w+\s+(.*?)\r?$", out, re.M)
    return m.group(1) if m else None


class Player:
    """One run of the program from its own folder, so that its settings file is its own.

    folder: where the exe is linked and Nimbrel.ini lives; args: command-line paths (local
    paths are given in their Windows form); settings: keys written to Nimbrel.ini first."""

    def __init__(self, exe, folder, args=(), settings=None):
        self.folder = folder
        self.exe = os.path.join(folder, "Nimbrel.exe")
        os.makedirs(folder, exist_ok=True)
        if not os.path.exists(self.exe):
            try:
                os.link(exe, self.exe)
            except OSError:
                shutil.copy(exe, self.exe)
        if settings:
            with open(self.ini_path, "w", newline="") as f:
                f.write("[Setting]\r\n" + "".join(f"{k}={v}\r\n" for k, v in settings.items()))
        self.stderr = open(os.path.join(folder, "stderr.txt"), "wb")
        argv = [a if a.startswith("Z:") else winpath(a) if os.path.exists(a) else a for a in args]
        self.proc = subprocess.Popen([WINE, self.exe, *argv], cwd=folder, stdout=subprocess.DEVNULL,
                                     stderr=self.stderr)
        STARTED.append(self)
        self.window = wait_until(lambda: (windows("^Nimbrel", self.proc.pid) or [None])[0], 20)
        if not self.window:
            self.kill()
            raise AssertionError("the program showed no main window")
        # Wine draws the frame itself (no window manager): its sizes follow from the outer
        # size of the window opened at the default client size (else Wine's usual ones).
        x, y, w, h = geometry(self.window)
        side, top = (w - DEFAULT_CLIENT[0]) // 2, h - DEFAULT_CLIENT[1] - (w - DEFAULT_CLIENT[0]) // 2
        if "WindowWidth" in (settings or {}) or "WindowHeight" in (settings or {}):
            side, top = WINE_FRAME[DPI]
        self.frame = (side, top, side)  # left, top, bottom
        self.focus()

    def ini(self):
        return ini(self.ini_path)

    @property
    def ini_path(self):
        return os.path.join(self.folder, "Nimbrel.ini")

    def title(self):
        return title(self.window)

    def wait_title(self, wanted, timeout=10):
        return wait_until(lambda: self.title() == wanted, timeout)

    def focus(self, window=None):
        xdo("windowfocus", window or self.window)
        time.sleep(0.05)

    def full_screen(self):
        x, y, w, h = geometry(self.window)
        return (x, y) == (0, 0) and (w, h) == screen_size()

    def client(self):
        """Screen rectangle (x, y, width, height) of the main window's client area."""
        x, y, w, h = geometry(self.window)
        if self.full_screen():
            return x, y, w, h
        left, top, bottom = self.frame
        return x + left, y + top, w - 2 * left, h - top - bottom

    def at(self, cx, cy):
        """Screen point of a client point; negative values count from the right or bottom."""
        x, y, w, h = self.client()
        return x + (cx if cx >= 0 else w + cx), y + (cy if cy >= 0 else h + cy)

    def grab(self, cx, cy, width, height):
        x, y = self.at(cx, cy)
        return Picture(x, y, width, height)

    # The control bar, laid out from the client width B (at 96 DPI): stop button 58..84, seek
    # bar 91..B-230 (1-pixel border), volume slider B-88..B-38.
    def seek_bar(self):
        """Screen x of the seek bar's inner left edge, its inner width, and the screen y."""
        x, y, w, h = self.client()
        return x + px(91) + 1, w - px(230) - px(91) - 2, y + h - BAR_HEIGHT + px(15)

    def elapsed(self):
        """The part of the seek bar drawn as played, 0 to 1."""
        left, width, y = self.seek_bar()
        row = Picture(left, y, width, 1).row(0)
        face = row[-1]
        return sum(1 for p in row if p != face) / width

    def stopped(self):
        """Whether the stop button is grayed: its black square turns gray when it is."""
        p = self.grab(px(64), -BAR_HEIGHT + px(9), px(14), px(12))
        darkest = min(sum(p.pixel(x, y)) for x in range(p.width) for y in range(p.height))
        return darkest > 3 * 0x40

    def dialog(self, caption, timeout=10):
        """A window of this process with the given caption (a dialog or message box)."""
        return wait_until(lambda: (windows("^%s$" % re.escape(caption), self.proc.pid) or [None])[0], timeout)

    def answer_dialog(self, caption, text, timeout=10):
        """Types text into the dialog's focused box (its file name) and presses Enter."""
        box = self.dialog(caption, timeout)
        assert box, "no %r dialog appeared" % caption
        self.focus(box)
        type_text(text)
        key("Return")
        return box

    def save_playlist(self, typed, path):
        """Ctrl+S, the name typed into the real save dialog; the rows of the file at path."""
        self.focus()
        key("ctrl+s")
        self.answer_dialog("Save As", winpath(typed))
        assert wait_until(lambda: not windows("^Save As$", self.proc.pid), 10), "the save dialog stayed open"
        assert wait_until(lambda: os.path.exists(path) and os.path.getsize(path) > 0, 10), "nothing was saved"
        return open(path, "rb").read().decode("utf-8").split("\r\n")

    def close(self, timeout=15):
        """Alt+F4 as a user closes it; the exit code."""
        self.focus()
        key("alt+F4")
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after Alt+F4")
        finally:
            self.kill()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if not self.stderr.closed:
            self.stderr.close()

    def errors(self):
        """What the program's process wrote to its standard error (Wine's own lines)."""
        return open(os.path.join(self.folder, "stderr.txt"), "rb").read().decode("utf-8", "replace")


def screen_size():
    out = xdo("getdisplaygeometry").split()
    return int(out[0]), int(out[1])
