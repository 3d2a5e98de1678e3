#!/usr/bin/env python3
"""Soak: the real Nimbrel.exe plays a folder of 100 short generated clips in repeat-list mode
while a script seeks, pauses, changes the volume, the view and the modes, as a user would.
The process's private memory, kernel handles, GDI objects (bitmaps apart) and windows are
sampled every 2 s; each minute prints the lowest of its samples and how many files began
playing. Memory and handles rise and fall with the pictures and threads in flight (and with
the kind of file playing), so they are judged by what they read while playback is stopped for a
moment (one of the actions); the lowest while playing is shown beside them.

    soak.py --exe Nimbrel.exe --counts process_counts.exe --work FOLDER [--minutes 10]
            [--leave-out pause,volume]   (actions not taken)

    soak.py --judge LOG          the verdict on the minute lines of an earlier run

Needs the environment of tools/wine-env.sh. Exit status 1 when a count grew by more than 2 %
(the median of the minute floors of the last fifth of the run against that of the fifth after
minute 1, three minutes at least each), when no new file
began for a whole minute while not paused (a stall), or when the program did not end cleanly."""
import argparse
import collections
import concurrent.futures
import os
import random
import statistics
import subprocess
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from driver import WINE, Player, click, key  # noqa: E402

CLIPS = 100
SIZES = ["320x240", "176x144", "640x360", "480x270"]
GROWTH = 0.02
SAMPLE_EVERY = 2  # seconds: a minute's floor is the lowest of some twenty samples


def make_clip(folder, n):
    """Clip n: 2 to 4 s, picture size and container taken in turn, a tone of its own."""
    ext = "flv" if n % 2 else "mp4"
    path = os.path.join(folder, "clip%03d.%s" % (n, ext))
    if os.path.exists(path):
        return path
    seconds = 2 + n % 3
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                    "-f", "lavfi", "-i", "testsrc2=size=%s:rate=25:duration=%d" % (SIZES[n % 4], seconds),
                    "-f", "lavfi", "-i", "sine=frequency=%d:sample_rate=44100:duration=%d" % (300 + 7 * n, seconds),
                    "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25",
                    "-c:a", "aac", path + ".part." + ext], check=True)
    os.replace(path + ".part." + ext, path)
    return path


COLUMNS = ["private memory (MB)", "handles", "GDI objects but bitmaps", "bitmaps", "windows"]


class Counts:
    """process_counts.exe --watch beside the running Nimbrel.exe: one line of counts per line
    written to it, without starting a process for each sample."""

    def __init__(self, exe):
        self.proc = subprocess.Popen([WINE, exe, "Nimbrel.exe", "--watch"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)

    def sample(self):
        """(private MB, handles, GDI objects but bitmaps, bitmaps, windows)."""
        self.proc.stdin.write("\n")
        self.proc.stdin.flush()
        rows = []
        while (line := self.proc.stdout.readline()).strip() != "end":
            if not line:
                break
            rows.append(line.split())
        if not line or len(rows) != 1 or len(rows[0]) < 6:
            raise AssertionError("the program's counts could not be read")
        f = rows[0]
        return int(f[1]) / 1024, int(f[2]), int(f[3]) - int(f[4]), int(f[4]), int(f[5])

    def close(self):
        self.proc.kill()
        self.proc.wait()


def handle_list(counts_exe):
    """The program's kernel handles by type and name (process_counts.exe --handles)."""
    out = subprocess.run([WINE, counts_exe, "Nimbrel.exe", "--handles"], capture_output=True, text=True).stdout
    return collections.Counter(line.split(" ", 1)[1] for line in out.splitlines() if " " in line)


def print_handle_change(before, after):
    """The handles that appeared or went since `before`, by type and name."""
    change = sorted((after[k] - before[k], k) for k in set(before) | set(after) if after[k] != before[k])
    print("handles while stopped, since minute 2: %s" % ("none changed" if not change else ""))
    for n, k in change:
        print("  %+d %s" % (n, k))


def menu(player, first, down):
    """A right click on the picture, then the submenu `first` keys from the top (positive) or
    the bottom (negative) of the main menu, and its item `down` steps below its first one."""
    click(*player.at(100, 100), button=3)
    time.sleep(0.3)
    key(*(["Down"] * first if first > 0 else ["Up"] * -first), "Right", *(["Down"] * down), "Return")
    time.sleep(0.3)


class Soak:
    def __init__(self, player, sample, leave_out=()):
        self.player = player
        self.sample = sample
        self.list_handles = None  # when set, the stop action also lists the handles
        self.handles = None  # the first such list
        self.stopped = []  # (private memory in MB, handles) read while stopped, since the last minute
        self.actions = [a for a in self.ACTIONS if a.__name__ not in leave_out]
        self.step = 0
        self.paused = False

    # Each action leaves the program as it found it: normal view, repeat-list mode, playing.
    def seek(self):
        left, width, y = self.player.seek_bar()
        click(left + int(width * random.uniform(0.1, 0.9)), y)

    def pause(self):
        key("ctrl+z")
        self.paused = True
        time.sleep(1.5)
        key("ctrl+z")
        self.paused = False

    def volume(self):
        key("F8", "F8", "F7", "F7", "F9", "F9")

    def files(self):
        key("Next" if self.step % 3 else "Prior")

    def full_screen(self):
        key("F11")
        time.sleep(0.8)
        key("F10")
        time.sleep(0.4)
        key("F10", "Escape")

    def sizes(self):
        key(random.choice(["alt+1", "alt+2", "alt+3"]))
        time.sleep(0.4)
        key("ctrl+l")
        time.sleep(0.4)
        key("ctrl+l", "ctrl+t", "ctrl+t")

    def modes(self):
        kind = self.step // len(self.actions) % 3
        if kind == 0:  # repeat the file for a moment, then the list again
            menu(self.player, 3, 1)
            time.sleep(2)
            menu(self.player, 3, 2)
        elif kind == 1:  # 16:9, then the natural ratio
            menu(self.player, -7, 2)
            time.sleep(1)
            menu(self.player, -7, 0)
        else:  # low picture quality, then high
            menu(self.player, -6, 0)
            time.sleep(1)
            menu(self.player, -6, 2)

    def halt(self):
        """Stops playback and lets the engine let go of the file."""
        key("ctrl+x")
        self.paused = True
        time.sleep(1.0)

    def stop(self):
        """Stopped, nothing is in flight: the memory read then is what the program keeps."""
        self.halt()
        self.stopped.append(self.sample()[:2])
        if self.list_handles and self.handles is None:
            self.handles = self.list_handles()
        key("ctrl+z")  # plays the current file again
        self.paused = False

    ACTIONS = [seek, pause, volume, files, full_screen, seek, sizes, modes, stop]

    def act(self):
        self.player.focus()
        self.actions[self.step % len(self.actions)](self)
        self.step += 1


def window(values):
    """Minutes in each window judged: a fifth of the run, three at least."""
    return max(3, len(values) // 5)


def growth(values):
    """The median of the last window's minute floors over that of the first window after minute 1,
    minus one. A leak raises every floor; a median is not moved by the odd minute that caught the
    program between two files (fewer threads, no pictures) or under a passing load."""
    n = window(values)
    return statistics.median(values[-n:]) / statistics.median(values[1:1 + n]) - 1


def judge(minutes, quiet):
    """Prints each count's growth; True when none is over the limit."""
    if len(minutes) < 5:
        print("too short for a growth figure (5 minutes at least)")
        return True
    ok, n = True, window(minutes)
    for i, name in enumerate(COLUMNS):
        playing = [m[i] for m in minutes]
        g = growth([q[i] for q in quiet] if i < 2 else playing)
        ok &= g <= GROWTH
        note = " read while stopped (while playing: %+.1f %%)" % (growth(playing) * 100) if i < 2 else ""
        print("%s: %+.1f %%%s (median of the last %d minutes against minutes 2-%d; limit +%.0f %%)"
              % (name, g * 100, note, n, n + 1, GROWTH * 100))
    return ok


def judge_log(path):
    """The verdict on the counts of an earlier run, from the minute lines it printed."""
    minutes, quiet, names = [], [], []
    for line in open(path):
        f = line.split()
        if f and f[0] == "minute":
            names = f
        elif len(f) >= 9 and f[0].isdigit():
            v = dict(zip(names, f))
            minutes.append((float(v["private_mb"]), int(v["handles"]), int(v["gdi_but_bitmaps"]), int(v["bitmaps"]),
                            int(v["windows"])))
            # Runs before the handles were read while stopped: the playing floor stands in.
            quiet.append((float(v["stopped_mb"]), int(v.get("stopped_handles", v["handles"]))))
    if "stopped_handles" not in names:
        print("(a log without handles read while stopped: their playing floors stand in)")
    return 0 if judge(minutes, quiet) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe")
    parser.add_argument("--counts")
    parser.add_argument("--work")
    parser.add_argument("--judge", metavar="LOG", help="judge the counts an earlier run printed, and stop")
    parser.add_argument("--minutes", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--leave-out", default="", help="actions not taken, separated by commas")
    a = parser.parse_args()
    if a.judge:
        return judge_log(a.judge)
    if not (a.exe and a.counts and a.work):
        parser.error("--exe, --counts and --work are needed")
    random.seed(a.seed)
    clips = os.path.join(a.work, "clips")
    os.makedirs(clips, exist_ok=True)
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        list(pool.map(lambda n: make_clip(clips, n), range(CLIPS)))

    player = Player(a.exe, os.path.join(a.work, "program"), [clips], {"Repeat": 2})
    names, stalls, minutes, samples = set(), 0, [], []
    title, began, last_change = player.title(), 0, time.monotonic()
    watch = Counts(a.counts)
    soak = Soak(player, watch.sample, a.leave_out.split(","))
    quiet = []  # each minute's lowest (memory, handles) read while stopped (the one before, if none)
    start = time.monotonic()
    next_sample, next_minute = start + SAMPLE_EVERY, start + 60
    print("minute private_mb stopped_mb handles stopped_handles gdi_but_bitmaps bitmaps windows files_begun", flush=True)
    try:
        while time.monotonic() - start < a.minutes * 60:
            soak.act()
            for _ in range(20):  # about 4 s between actions, watching the title
                now_title = player.title()
                if now_title != title:
                    title, began, last_change = now_title, began + 1, time.monotonic()
                    names.add(now_title)
                if time.monotonic() - last_change > 60 and not soak.paused:
                    stalls += 1
                    print("stall: no new file for a minute (title %r)" % title, flush=True)
                    last_change = time.monotonic()
                if player.proc.poll() is not None:
                    raise AssertionError("the program ended (exit code %s)" % player.proc.returncode)
                if time.monotonic() >= next_sample:
                    samples.append(watch.sample())
                    next_sample = time.monotonic() + SAMPLE_EVERY
                time.sleep(0.2)
            if time.monotonic() >= next_minute and samples:
                floor = tuple(min(s[i] for s in samples) for i in range(len(COLUMNS)))
                minutes.append(floor)
                quiet.append(tuple(min(q[i] for q in soak.stopped) for i in range(2)) if soak.stopped
                             else quiet[-1] if quiet else floor[:2])
                samples, soak.stopped = [], []
                print("%6d %10.1f %10.1f %7d %15d %15d %7d %7d %11d"
                      % (len(minutes), floor[0], quiet[-1][0], floor[1], quiet[-1][1], *floor[2:], began), flush=True)
                if len(minutes) == 2:
                    soak.list_handles = lambda: handle_list(a.counts)
                next_minute += 60
        if soak.handles is not None:
            soak.halt()
            print_handle_change(soak.handles, handle_list(a.counts))
        code = player.close()
    finally:
        watch.close()
        player.kill()
    ok = code == 0 and stalls == 0
    print("files begun %d (%d distinct titles), stalls %d, exit code %s" % (began, len(names), stalls, code))
    ok &= judge(minutes, quiet)
    repeat = player.ini().get("Repeat")
    ok &= repeat == "2"
    print("settings saved at exit: Repeat=%s" % repeat)
    print("soak %s" % ("passed" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
