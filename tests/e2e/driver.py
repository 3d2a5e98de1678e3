"""Drives the real Nimbrel.exe under Wine (tools/wine-env.sh) as a person at the X display does: real
keys and mouse through xdotool (windows focused, never activated: Xvfb has no window manager)."""
import os
import re
import shutil
import subprocess
import time

WINE = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
DPI = int(os.environ.get("NIMBREL_DPI") or 96)  # the prefix's display scale (96 is 100 %)


def px(v):  # a size of 96 DPI at the prefix's scale, rounded as the program rounds it
    return (v * DPI + 48) // 96 if v >= 0 else -px(-v)


WINE_FRAME = {96: (4, 23), 144: (5, 33)}  # Wine's window frame (side, top) at the scales tested
DEFAULT_CLIENT = (px(662), px(414))  # the client size without a settings file
BAR_HEIGHT = px(30)
STARTED = []  # every program started, so that a failed scenario can end them all


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_until(check, timeout, interval=0.05):  # check's first true value, or None at the timeout
    end = time.monotonic() + timeout
    while not (value := check()) and time.monotonic() <= end:
        time.sleep(interval)
    return value or None


def xdo(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else ""


def key(*keys):
    for k in keys:
        xdo("key", k)


def click(x, y, button=1):
    xdo("mousemove", x, y)
    xdo("click", button)


def drag(start, end, steps=6):
    xdo("mousemove", *start)
    xdo("mousedown", 1)
    for i in range(1, steps + 1):
        xdo("mousemove", *(a + (b - a) * i // steps for a, b in zip(start, end)))
        time.sleep(0.02)
    xdo("mouseup", 1)


def windows(name, pid):  # shown windows of process pid whose title matches name
    return [int(w) for w in xdo("search", "--all", "--onlyvisible", "--pid", pid, "--name", name).split()]


def geometry(window):
    g = dict(line.split("=", 1) for line in xdo("getwindowgeometry", "--shell", window).splitlines() if "=" in line)
    return tuple(int(g[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def grab(x, y, width, height):  # the screen's RGB bytes in a rectangle
    return subprocess.run(["import", "-silent", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                           "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout


def pixel(picture, x, y, width=1):
    return tuple(picture[3 * (y * width + x):3 * (y * width + x) + 3])


class Player:
    """One run of the program from its own folder and settings file (written first from settings)."""

    def __init__(self, exe, folder, args=(), settings=None):
        self.folder, self.exe = folder, os.path.join(folder, "Nimbrel.exe")
        self.ini_path = os.path.join(folder, "Nimbrel.ini")
        os.makedirs(folder, exist_ok=True)
        if not os.path.exists(self.exe):
            shutil.copy(exe, self.exe)
        if settings:
            with open(self.ini_path, "w", newline="") as f:
                f.write("[Setting]\r\n" + "".join(f"{k}={v}\r\n" for k, v in settings.items()))
        self.stderr = open(os.path.join(folder, "stderr.txt"), "wb")
        argv = [winpath(a) if os.path.exists(a) else a for a in args]
        self.proc = subprocess.Popen([WINE, self.exe, *argv], cwd=folder, stdout=subprocess.DEVNULL, stderr=self.stderr)
        STARTED.append(self)
        self.window = wait_until(lambda: (windows("^Nimbrel", self.proc.pid) or [None])[0], 20)
        if not self.window:
            self.kill()
            raise AssertionError("the program showed no main window")
        # Wine draws the frame itself: its sides follow from the window opened at the default size.
        x, y, w, h = geometry(self.window)
        side = (w - DEFAULT_CLIENT[0]) // 2
        self.frame = WINE_FRAME[DPI] if {"WindowWidth", "WindowHeight"} & set(settings or {}) else \
            (side, h - DEFAULT_CLIENT[1] - side)
        self.focus()

    def ini(self):  # the settings file's keys
        text = open(self.ini_path, encoding="utf-8", errors="replace").read() if os.path.exists(self.ini_path) else ""
        return dict(re.findall(r"^(\w+)=(.*?)\r?$", text, re.M))

    def title(self):
        return xdo("getwindowname", self.window)

    def wait_title(self, wanted, timeout=10):
        return wait_until(lambda: self.title() == wanted, timeout)

    def focus(self, window=None):
        xdo("windowfocus", window or self.window)
        time.sleep(0.05)

    def full_screen(self):
        return geometry(self.window) == (0, 0, *map(int, xdo("getdisplaygeometry").split()))

    def client(self):  # screen x, y, width, height of the client area
        x, y, w, h = geometry(self.window)
        side, top = (0, 0) if self.full_screen() else self.frame
        return x + side, y + top, w - 2 * side, h - top - side

    def at(self, cx, cy):  # the screen point of a client point (negative: from the right or bottom)
        x, y, w, h = self.client()
        return x + (cx if cx >= 0 else w + cx), y + (cy if cy >= 0 else h + cy)

    def seek_bar(self):  # screen x and width inside its border (client x 91 to B - 230 at 96 DPI), y
        x, y, w, h = self.client()
        return x + px(91) + 1, w - px(230) - px(91) - 2, y + h - BAR_HEIGHT + px(15)

    def elapsed(self):  # the part of the seek bar drawn as played, 0 to 1
        left, width, y = self.seek_bar()
        row = grab(left, y, width, 1)
        return sum(1 for i in range(width) if pixel(row, i, 0, width) != pixel(row, width - 1, 0, width)) / width

    def stopped(self):  # the stop button grayed: its black square turns gray
        w, h = px(14), px(12)
        p = grab(*self.at(px(64), -BAR_HEIGHT + px(9)), w, h)
        return min(sum(pixel(p, x, y, w)) for x in range(w) for y in range(h)) > 3 * 0x40

    def dialog(self, caption, timeout=10):  # a window of this process with the caption
        return wait_until(lambda: (windows("^%s$" % re.escape(caption), self.proc.pid) or [None])[0], timeout)

    def answer_dialog(self, caption, text):  # text typed into the dialog's focused box, then Enter
        box = self.dialog(caption)
        assert box, "no %r dialog appeared" % caption
        self.focus(box)
        xdo("type", "--delay", 8, text)
        key("Return")

    def close(self, timeout=15):  # Alt+F4 as a user closes it; the exit code
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
        self.stderr.close()

    def errors(self):  # what the process wrote to its standard error (Wine's lines)
        return open(os.path.join(self.folder, "stderr.txt"), "rb").read().decode("utf-8", "replace")
