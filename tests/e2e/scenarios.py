#!/usr/bin/env python3
"""End-to-end scenarios: the real Nimbrel.exe as a process under Wine on the virtual display,
driven through the X server with real keys and mouse input and checked from outside.

    scenarios.py --exe Nimbrel.exe --media MEDIA --work WORK NAME

runs scenario_NAME in a fresh folder WORK/NAME, removed afterwards. One program at a time:
the scenarios share the display and the keyboard focus."""
import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import (BAR_HEIGHT, Player, Recording, click, drag, key, reg_delete, reg_query, rms, tones,  # noqa: E402
                    wait_until, winpath, windows)

EXE = MEDIA = HERE = None
FIRST, SECOND = "first.mp4", "second.flv"


def clip(name, as_name=None, folder=None):
    """A copy of a generated clip in the scenario's folder (or the folder given)."""
    path = os.path.join(folder or HERE, as_name or name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shutil.copy(os.path.join(MEDIA, name), path)
    return path


def two_clips():
    return [clip("clip.mp4", FIRST), clip("clip.flv", SECOND)]


def start(args=(), **settings):
    return Player(EXE, os.path.join(HERE, "program"), args, settings)


def shows(name):
    return "Nimbrel - [%s]" % name


def follow(player, done, timeout):
    """Titles met, in order, until done(titles) holds or the time is up."""
    seen = []

    def step():
        t = player.title()
        if t and (not seen or seen[-1] != t):
            seen.append(t)
        return done(seen)
    wait_until(step, timeout, 0.1)
    return seen


def closes_cleanly(player):
    assert player.close() == 0, "the program did not end with exit code 0"
    assert "ALSA" not in player.errors(), "Wine fell back to ALSA:\n" + player.errors()
    return player.ini()


# Per repeat mode: the titles met from the start on, and whether the list then stops.
REPEAT_MODES = [
    (0, [FIRST, SECOND], True),          # the list once: stops after the last file
    (1, [FIRST], False),                 # the current file again and again
    (2, [FIRST, SECOND, FIRST], False),  # the list again from its first file
    (3, [FIRST], True),                  # the section (here the whole file) loops within the file... until it ends
    (4, [FIRST], True),                  # the current file once
]


def scenario_repeat_modes():
    """Two files on the command line played to the end in each repeat mode."""
    files = two_clips()
    for mode, titles, stops in REPEAT_MODES:
        began = time.monotonic()
        player = start(files, Repeat=mode)
        wanted = [shows(t) for t in titles]
        if stops:
            assert player.wait_title(wanted[0]), "mode %d: the first file did not start" % mode
            assert wait_until(player.stopped, 15, 0.1), "mode %d: the list did not stop" % mode
            seen = follow(player, lambda s: True, 0)
            assert player.title() == wanted[-1], "mode %d: stopped on %r" % (mode, player.title())
        elif mode == 1:
            assert player.wait_title(wanted[0])
            # The played part of the seek bar (whole seconds: half of it at 1 s) grows, then
            # starts again from the left.
            assert wait_until(lambda: player.elapsed() > 0.4, 10, 0.1), "mode 1: the file did not play on"
            assert wait_until(lambda: player.elapsed() < 0.1, 10, 0.1), "mode 1: the file did not start again"
            assert player.title() == wanted[0] and not player.stopped()
        else:
            seen = follow(player, lambda s: s[-len(wanted):] == wanted, 20)
            assert seen[-len(wanted):] == wanted, "mode %d: titles %r" % (mode, seen)
            assert not player.stopped()
        assert closes_cleanly(player)["Repeat"] == str(mode)
        print("repeat mode %d: %.1f s" % (mode, time.monotonic() - began))


def scenario_pause_and_resume():
    """Space pauses: the picture stops changing; space again: it changes again."""
    player = start([clip("long.mp4")])
    assert player.wait_title(shows("long.mp4"))

    def changing(seconds=0.5):
        before = player.picture().data
        time.sleep(seconds)
        return player.picture().data != before
    assert wait_until(changing, 5), "the picture does not move while playing"
    key("space")
    time.sleep(0.3)
    assert not changing(0.6), "the picture still moves after space"
    assert not player.stopped()
    key("space")
    assert wait_until(changing, 5), "the picture did not move again after the second space"
    closes_cleanly(player)


def decoded_level(path):
    """The clip's own sound level, decoded by the native ffmpeg as the sink records it."""
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-ar",
                          str(Recording.RATE), "-"], capture_output=True, check=True).stdout
    return rms(out, 0.2, 1.8)


# A fault of the engine, being mended: the second file of a list plays without sound. While
# this is True the check of the second file must fail (and says so when it passes).
SECOND_FILE_SILENT = True


def scenario_sound_reaches_the_sink():
    """Both files of a list reach the sound server's sink at the clips' own level: the
    first clip is a 440 Hz tone, the second a 660 Hz one."""
    files = two_clips()
    record = Recording(os.path.join(HERE, "monitor.raw"))
    player = start(files)
    assert player.wait_title(shows(SECOND), 15), "the second file did not start"
    assert wait_until(player.stopped, 15, 0.1), "the list did not stop after the second file"
    time.sleep(0.3)
    recorded = tones(record.stop())
    closes_cleanly(player)
    # No timing: the sink's clock runs slow at first. Count the windows of each tone heard at
    # its clip's level; the monitor only records while something plays.
    heard = []
    for path, pitch in zip(files, (440, 660)):
        level = decoded_level(path)
        seconds = 0.1 * sum(1 for got, hz in recorded if abs(hz - pitch) < 30 and 0.8 * level < got < 1.25 * level)
        print("%s: %.1f s of %d Hz at the clip's level %.3f" % (os.path.basename(path), seconds, pitch, level))
        heard.append(seconds >= 0.6)
    assert heard[0], "the first file was not heard at its level"
    if SECOND_FILE_SILENT:
        assert not heard[1], "the second file is heard now: set SECOND_FILE_SILENT to False"
        print("expected failure: the second file was not heard (known engine fault)")
    else:
        assert heard[1], "the second file was not heard at its level"


def main():
    global EXE, MEDIA, HERE
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--media", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("name")
    args = parser.parse_args()
    run = globals().get("scenario_" + args.name)
    if not run:
        sys.exit("no scenario %r" % args.name)
    if not os.environ.get("DISPLAY") or not os.environ.get("WINEPREFIX"):
        sys.exit("run under tools/wine-env.sh (tools/wine-run.sh --host ...)")
    EXE, MEDIA = args.exe, args.media
    HERE = os.path.join(args.work, args.name)
    shutil.rmtree(HERE, ignore_errors=True)
    os.makedirs(HERE)
    began = time.monotonic()
    try:
        run()
    finally:
        # Whatever happened, no program of this scenario stays behind.
        for player in Player.started:
            player.kill()
        shutil.rmtree(HERE, ignore_errors=True)
    print("%s passed in %.1f s" % (args.name, time.monotonic() - began))


if __name__ == "__main__":
    main()
