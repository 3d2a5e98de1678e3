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

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import (BAR_HEIGHT, DPI, STARTED, Player, Recording, click, drag, key, reg_delete, reg_query, rms,  # noqa: E402
                    screenshot, tones, wait_until, winpath, windows, xdo)

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
    """The titles naming a file, in the order met, until done(titles) holds (or the time is
    up); and whether it held."""
    seen = []

    def step():
        t = player.title()
        if t.startswith("Nimbrel - [") and (not seen or seen[-1] != t):
            seen.append(t)
        return done(seen)
    return seen, bool(wait_until(step, timeout, 0.1))


def closes_cleanly(player):
    assert player.close() == 0, "the program did not end with exit code 0"
    assert "ALSA" not in player.errors(), "Wine fell back to ALSA:\n" + player.errors()
    return player.ini()


# Per repeat mode: the files that play, in order, and how it ends.
REPEAT_MODES = [
    (0, [FIRST, SECOND], "stops"),          # the list once
    (1, [FIRST], "starts again"),           # the current file again and again
    (2, [FIRST, SECOND, FIRST], "goes on"),  # the list again and again
    (3, [FIRST], "stays"),                  # the section, here the whole file (see below)
    (4, [FIRST], "stops"),                  # the current file once
]


def scenario_repeat_modes():
    """Two files on the command line played to the end in each repeat mode."""
    files = two_clips()
    for mode, names, end in REPEAT_MODES:
        began = time.monotonic()
        player = start(files, Repeat=mode)
        wanted = [shows(n) for n in names]
        if end == "stops":
            seen, done = follow(player, lambda seen: seen and player.stopped(), 15)
        elif end == "goes on":
            seen, done = follow(player, lambda seen: seen[-3:] == wanted, 20)
        elif end == "starts again":
            # The played part of the seek bar (half of it at 1 s of 2) grows, then starts again.
            seen, done = follow(player, lambda _: player.elapsed() > 0.4, 10)
            done = done and follow(player, lambda _: player.elapsed() < 0.1, 10)[1]
        else:
            # The file stops at its end, or loops when a tick sees the position reach the
            # section's end before the end is reported: either way the list stays on it.
            seen, _ = follow(player, lambda seen: seen and player.stopped(), 6)
            done = bool(seen)
        assert done, "mode %d: it did not %s (files %r)" % (mode, end, seen)
        assert seen == wanted, "mode %d: files %r" % (mode, seen)
        stopped = player.stopped()
        assert stopped == (end == "stops") or end == "stays", "mode %d: stopped %s" % (mode, stopped)
        assert closes_cleanly(player)["Repeat"] == str(mode)
        print("repeat mode %d: %s in %.1f s" % (mode, "stopped" if stopped else "playing", time.monotonic() - began))


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


def scenario_seek_click_ends_the_clip_early():
    """A click near the right end of the seek bar seeks there: a 20 s clip ends at once."""
    player = start([clip("long.mp4"), clip("clip.mp4", FIRST)])
    assert player.wait_title(shows("long.mp4"))
    time.sleep(1)  # the duration is known after the first ticks
    left, width, y = player.seek_bar()
    click(left + width * 95 // 100, y)
    assert wait_until(lambda: player.elapsed() > 0.9, 3), "the seek bar did not jump near its end"
    # At 19 s of 20 the first clip ends and the second starts, long before 20 s have passed.
    assert player.wait_title(shows(FIRST), 8), "the clip did not end early"
    closes_cleanly(player)


def scenario_volume_and_splitter_drags_are_saved():
    """Drags on the volume slider and the splitter end up in the settings file."""
    player = start()
    # The slider's inside is 48 pixels wide from client x B - 87 (B = 662): x 12 is 25 %.
    slider = -88 + 1
    drag(player.at(slider + 40, -BAR_HEIGHT + 15), player.at(slider + 12, -BAR_HEIGHT + 15))
    # The splitter lies at B - 145 - 5; dropped at x 400 it leaves the playlist 662 - 400 - 5.
    face = player.grab(514, 100, 1, 1).pixel(0, 0)
    drag(player.at(514, 100), player.at(400, 100))
    assert wait_until(lambda: player.grab(402, 100, 1, 1).pixel(0, 0) == face, 3), "the splitter did not move"
    settings = closes_cleanly(player)
    assert settings["VolumeLevel"] == "25", settings
    assert settings["PlayListWidth"] == "257", settings


def scenario_view_mode_keys():
    """Alt+2, F11, F10, Esc and Ctrl+L, with the client sizes and what fills them."""
    player = start([clip("clip.mp4", FIRST)], Repeat=1)
    assert player.wait_title(shows(FIRST))
    time.sleep(1)  # the video's size is known after the first ticks
    face = player.grab(0, -15, 1, 1).pixel(0, 0)  # the bar left of its first button

    def size():
        return player.client()[2:]

    def bar_shown():
        return player.grab(0, -15, 1, 1).pixel(0, 0) == face
    key("alt+2")  # 100 %: the 640 x 360 picture, the 145-pixel playlist and splitter, the bar
    assert wait_until(lambda: size() == (790, 390), 3), "Alt+2 gave a client area of %r" % (size(),)
    outer = player.client()
    key("F11")
    assert wait_until(player.full_screen, 3), "F11 did not fill the screen"
    assert bar_shown()
    key("F10")
    assert wait_until(lambda: not bar_shown(), 3), "F10 did not hide the bar in full screen"
    key("Escape")
    assert wait_until(lambda: player.client() == outer, 3), "Esc did not bring the window back"
    assert bar_shown(), "the bar did not come back after full screen"
    splitter = (790 - 145 - 5 + 2, 100)
    assert player.grab(*splitter, 1, 1).pixel(0, 0) == face
    key("ctrl+l")
    assert wait_until(lambda: player.grab(*splitter, 1, 1).pixel(0, 0) != face, 3), "Ctrl+L did not hide the playlist"
    assert player.client() == outer, "hiding the playlist changed the window's size"
    settings = closes_cleanly(player)
    assert settings["PlayListShow"] == "0", settings


CLASSES = {".flv": "nimbrel_flv", ".mp4": "nimbrel_mp4", ".nbl": "nimbrel_nbl"}


def scenario_menu_by_keyboard_associates_the_types():
    """A right click on the picture opens the main menu; the association item chosen by
    keyboard, "Yes" in the question, and Wine's registry holds the three types."""
    keys = ["HKCR\\" + k for pair in CLASSES.items() for k in pair]
    for k in keys:
        reg_delete(k)
    try:
        player = start()
        point = player.at(200, 150)
        before = player.grab(200, 150, 60, 60).data
        click(*point, button=3)
        assert wait_until(lambda: player.grab(200, 150, 60, 60).data != before, 3), "no menu opened"
        key("Up", "Up", "Up", "Return")  # from the bottom: exit, about, association
        question = player.dialog("確認")
        assert question, "the association question did not appear"
        player.focus(question)
        key("Return")  # Yes, the default button
        result = wait_until(lambda: [w for w in windows("^確認$", player.proc.pid) if w != question], 5)
        assert result, "no result box after Yes"
        player.focus(result[0])
        key("Return")
        assert wait_until(lambda: not windows("^確認$", player.proc.pid), 5), "a box stayed open"
        closes_cleanly(player)
        exe = winpath(player.exe)
        for extension, name in CLASSES.items():
            assert reg_query("HKCR\\" + extension) == name, extension
            command = reg_query("HKCR\\%s\\shell\\open\\command" % name)
            assert command.lower() == ('"%s" "%%1"' % exe).lower(), command
            assert reg_query("HKCR\\%s\\DefaultIcon" % name).lower() == (exe + ",0").lower()
    finally:
        for k in keys:
            reg_delete(k)


HEADER = "[Nimbrel Play List]"


def scenario_open_and_save_dialogs():
    """Ctrl+O picks two files in the real open dialog; Ctrl+S saves them under a new name in
    the real save dialog; that playlist opened in a second run saves the same rows."""
    files = two_clips()
    player = start()
    player.focus()
    key("ctrl+o")
    player.answer_dialog("Open", winpath(HERE))  # into the clips' folder
    time.sleep(0.3)
    player.answer_dialog("Open", '"%s" "%s"' % (FIRST, SECOND))
    assert player.wait_title(shows(FIRST)), "the chosen files did not arrive"
    saved = os.path.join(HERE, "saved")  # the dialog adds the extension
    rows = player.save_playlist(saved, saved + ".nbl")
    assert rows == [HEADER, winpath(files[0]), winpath(files[1]), ""], rows
    closes_cleanly(player)
    player = start([saved + ".nbl"])
    assert player.wait_title(shows(FIRST))
    again = os.path.join(HERE, "again.nbl")
    assert player.save_playlist(again, again) == rows
    closes_cleanly(player)


def scenario_damaged_clip_in_the_middle():
    """Between two good clips, one whose middle is garbage and one that cannot be opened at all
    (garbage right after its ftyp box): what can be decoded plays and the list goes on."""
    def garbage(span):
        return bytes((i * 7919) % 251 for i in span)

    first, second = two_clips()
    data = bytearray(open(first, "rb").read())
    ftyp = int.from_bytes(data[:4], "big")
    open(os.path.join(HERE, "unopenable.mp4"), "wb").write(data[:ftyp] + garbage(range(20000)))
    middle = range(len(data) // 4, len(data) * 2 // 3)
    data[middle.start:middle.stop] = garbage(middle)
    damaged = os.path.join(HERE, "damaged.mp4")
    open(damaged, "wb").write(data)
    player = start([first, damaged, os.path.join(HERE, "unopenable.mp4"), second])
    seen, done = follow(player, lambda seen: seen[-1:] == [shows(SECOND)] and player.stopped(), 20)
    # The file that cannot open ends at the next tick: its title may pass between two looks.
    seen = [t for t in seen if t != shows("unopenable.mp4")]
    assert done and seen == [shows(n) for n in (FIRST, "damaged.mp4", SECOND)], seen
    closes_cleanly(player)


def scenario_playlist_naming_missing_files():
    """A playlist naming a missing file: one error box, and the other rows are taken."""
    first, second = two_clips()
    listed = os.path.join(HERE, "list.nbl")
    missing = winpath(os.path.join(HERE, "gone.mp4"))
    with open(listed, "wb") as f:
        f.write("\r\n".join([HEADER, winpath(first), missing, winpath(second), ""]).encode())
    player = start([listed])
    box = player.dialog("Error")
    assert box, "no error box for the missing file"
    player.focus(box)
    key("Return")
    assert player.wait_title(shows(FIRST))
    rows = player.save_playlist(os.path.join(HERE, "rows.nbl"), os.path.join(HERE, "rows.nbl"))
    assert rows == [HEADER, winpath(first), winpath(second), ""], rows
    closes_cleanly(player)


def plays_with_its_name(path):
    player = start([path])
    assert player.wait_title(shows(os.path.basename(path))), "title %r" % player.title()
    before = player.picture().data
    assert wait_until(lambda: player.picture().data != before, 5), "no moving picture"
    return player


def scenario_japanese_name_with_spaces():
    path = clip("clip.mp4", "日本語の 名前 clip.mp4")
    player = plays_with_its_name(path)
    rows = player.save_playlist(os.path.join(HERE, "rows.nbl"), os.path.join(HERE, "rows.nbl"))
    assert rows == [HEADER, winpath(path), ""], rows
    closes_cleanly(player)


def scenario_path_longer_than_260():
    folder = os.path.join(HERE, *["folder %02d with a long name" % i for i in range(10)])
    path = clip("clip.mp4", "long path clip.mp4", folder)
    assert len(winpath(path)) > 260
    player = plays_with_its_name(path)
    assert closes_cleanly(player)["PlayListShow"] == "1"


def decoded_level(path):
    """The clip's own sound level, decoded by the native ffmpeg as the sink records it."""
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-ar",
                          str(Recording.RATE), "-"], capture_output=True, check=True).stdout
    return rms(out, 0.2, 1.8)


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
    for path, pitch in zip(files, (440, 660)):
        level = decoded_level(path)
        seconds = 0.1 * sum(1 for got, hz in recorded if abs(hz - pitch) < 30 and 0.8 * level < got < 1.25 * level)
        print("%s: %.1f s of %d Hz at the clip's level %.3f" % (os.path.basename(path), seconds, pitch, level))
        assert seconds >= 0.6, "%s was not heard at its level" % os.path.basename(path)


def scenario_at_144_dpi():
    """At 150 % (a Wine prefix of its own at 144 DPI, visual styles on): the window opens at 150 %
    of its 100 % size, the bar 45 pixels high (in full screen too) with the visual style's buttons;
    the media keys act; Alt+2 shows the video's own pixels one to one; the settings file keeps the
    sizes at 100 %, and the next run opens as the last one closed."""
    assert DPI == 144, "run with NIMBREL_DPI=144 (tools/wine-env.sh makes that prefix)"
    player = start(two_clips(), Repeat=1)  # each file repeats: only the keys change it
    assert player.wait_title(shows(FIRST))
    assert player.client()[2:] == (993, 621), "opened with a client area of %r" % (player.client()[2:],)
    face = player.grab(1, -1, 1, 1).pixel(0, 0)  # the bar, left of its first button

    def bar_height():
        """Rows of the bar's face colour from the client's bottom up (the letterbox is black)."""
        column = player.grab(1, -60, 1, 60)
        return next((i for i in range(60) if column.pixel(0, 59 - i) != face), 60)
    assert wait_until(lambda: bar_height() == 45, 3), "the bar is %d pixels high" % bar_height()
    # The menu button in the visual style: the pointer over it lights it up.
    xdo("mousemove", *player.at(200, 150))
    time.sleep(0.3)
    button = player.grab(-42, -42, 39, 39).data
    xdo("mousemove", *player.at(-22, -22))
    assert wait_until(lambda: player.grab(-42, -42, 39, 39).data != button, 3), "the button shows no hot state"

    # (Pause and play alone, and the keys' guards: in-process, desktop_test.cpp.)
    steps = [("XF86AudioNext", lambda: player.title() == shows(SECOND)),
             ("XF86AudioPrev", lambda: player.title() == shows(FIRST)),
             ("XF86AudioStop", player.stopped), ("XF86AudioPlay", lambda: not player.stopped())]
    for name, done in steps:
        player.focus()
        key(name)
        assert wait_until(done, 5), "%s did not act (title %r)" % (name, player.title())
    key("XF86AudioLowerVolume", "XF86AudioLowerVolume", "XF86AudioMute")
    # 100 %: the 640 x 360 picture, the playlist (145 at 100 %), the splitter, the bar. The video's
    # size is known from the monitor's first tick after the file started: Alt+2 until then.
    assert wait_until(lambda: key("alt+2") or player.client()[2:] == (640 + 218 + 8, 360 + 45), 5, 0.3), \
        "Alt+2 gave a client area of %r" % (player.client()[2:],)
    key("F11")
    assert wait_until(player.full_screen, 3), "F11 did not fill the screen"
    assert wait_until(lambda: bar_height() == 45, 3), "the full-screen bar is %d high" % bar_height()
    key("Escape")
    assert wait_until(lambda: player.client()[2:] == (866, 405), 3), "Esc did not bring the window back"
    frame = player.frame
    settings = closes_cleanly(player)
    got = {k: settings.get(k) for k in ("WindowWidth", "WindowHeight", "PlayListWidth", "VolumeLevel", "VolumeMute")}
    # 866 x 405 is 577 x 270 at 100 %, with Wine's frame of 100 % (8 and 27) around it.
    assert got == {"WindowWidth": "585", "WindowHeight": "297", "PlayListWidth": "145", "VolumeLevel": "80",
                   "VolumeMute": "1"}, got
    player = start([clip("clip.mp4", FIRST)])
    player.frame = frame
    assert player.wait_title(shows(FIRST))
    assert player.client()[2:] == (866, 405), "reopened with a client area of %r" % (player.client()[2:],)
    closes_cleanly(player)


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
    except BaseException:
        # What the screen showed, for the one who reads the failure.
        shot = os.path.join(args.work, "failed", args.name + ".png")
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        screenshot(shot)
        print("the screen at the failure: " + shot)
        raise
    finally:
        # Whatever happened, no program of this scenario stays behind.
        for program in STARTED:
            program.kill()
        shutil.rmtree(HERE, ignore_errors=True)
    print("%s passed in %.1f s" % (args.name, time.monotonic() - began))


if __name__ == "__main__":
    main()
