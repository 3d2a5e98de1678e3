#!/usr/bin/env python3
"""End-to-end scenarios: what only the real Nimbrel.exe can show, as a process under Wine on the
virtual display, driven through the X server with real keys and mouse input and checked from
outside: real clicks and drags, real keys, the real menu and message boxes, the real file
dialogs. (What the program does with each input: the in-process tests.)

    scenarios.py --exe Nimbrel.exe --media MEDIA --work WORK NAME

runs scenario_NAME in a fresh folder WORK/NAME, removed afterwards. One program at a time:
the scenarios share the display and the keyboard focus."""
import argparse
import os
import shutil
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import (BAR_HEIGHT, DPI, STARTED, Player, click, drag, key, reg_query, screenshot, wait_until,  # noqa: E402
                    winpath, windows, xdo)

EXE = MEDIA = HERE = None
FIRST, SECOND = "first.mp4", "second.flv"


def clip(name, as_name=None):
    """A copy of a generated clip in the scenario's folder."""
    path = os.path.join(HERE, as_name or name)
    shutil.copy(os.path.join(MEDIA, name), path)
    return path


def start(args=(), **settings):
    return Player(EXE, os.path.join(HERE, "program"), args, settings)


def shows(name):
    return "Nimbrel - [%s]" % name


def closes_cleanly(player):
    assert player.close() == 0, "the program did not end with exit code 0"
    assert "ALSA" not in player.errors(), "Wine fell back to ALSA:\n" + player.errors()
    return player.ini()


def scenario_clicks_and_drags():
    """A click near the right end of the seek bar seeks there: a 20 s clip ends at once. Drags
    on the volume slider and the splitter end up in the settings file."""
    player = start([clip("long.mp4"), clip("clip.mp4", FIRST)])
    assert player.wait_title(shows("long.mp4"))
    assert wait_until(lambda: player.elapsed() > 0, 10), "no duration: the seek bar shows nothing played"
    left, width, y = player.seek_bar()
    click(left + width * 95 // 100, y)
    assert wait_until(lambda: player.elapsed() > 0.9, 5), "the seek bar did not jump near its end"
    assert player.wait_title(shows(FIRST), 10), "the clip did not end early"
    # The slider's inside is 48 pixels wide from client x B - 87 (B = 662): x 12 is 25 %.
    slider = -88 + 1
    drag(player.at(slider + 40, -BAR_HEIGHT + 15), player.at(slider + 12, -BAR_HEIGHT + 15))
    # The splitter lies at B - 145 - 5; dropped at x 400 it leaves the playlist 662 - 400 - 5.
    face = player.grab(514, 100, 1, 1).pixel(0, 0)
    drag(player.at(514, 100), player.at(400, 100))
    assert wait_until(lambda: player.grab(402, 100, 1, 1).pixel(0, 0) == face, 5), "the splitter did not move"
    settings = closes_cleanly(player)
    assert (settings["VolumeLevel"], settings["PlayListWidth"]) == ("25", "257"), settings


def scenario_view_mode_keys():
    """Alt+2, F11, F10, Esc and Ctrl+L, with the client sizes and what fills them."""
    player = start([clip("clip.mp4", FIRST)], Repeat=1)
    assert player.wait_title(shows(FIRST))
    face = player.grab(0, -15, 1, 1).pixel(0, 0)  # the bar left of its first button

    def size():
        return player.client()[2:]

    def bar_shown():
        return player.grab(0, -15, 1, 1).pixel(0, 0) == face

    def alt_2():  # does nothing until the video's size is known
        key("alt+2")
        return wait_until(lambda: size() == (790, 390), 0.5)
    # 100 %: the 640 x 360 picture, the 145-pixel playlist and splitter, the bar.
    assert wait_until(alt_2, 10), "Alt+2 gave a client area of %r" % (size(),)
    outer = player.client()
    key("F11")
    assert wait_until(lambda: player.full_screen() and bar_shown(), 5), "F11 did not fill the screen with the bar"
    key("F10")
    assert wait_until(lambda: not bar_shown(), 5), "F10 did not hide the bar in full screen"
    key("Escape")
    assert wait_until(lambda: player.client() == outer and bar_shown(), 5), "Esc did not bring the window back"
    splitter = (790 - 145 - 5 + 2, 100)
    assert player.grab(*splitter, 1, 1).pixel(0, 0) == face
    key("ctrl+l")
    assert wait_until(lambda: player.grab(*splitter, 1, 1).pixel(0, 0) != face, 5), "Ctrl+L did not hide the playlist"
    assert player.client() == outer, "hiding the playlist changed the window's size"
    assert closes_cleanly(player)["PlayListShow"] == "0"


def scenario_menu_and_message_boxes():
    """A right click on the picture opens the main menu; the association item chosen by
    keyboard asks in a real message box; "No" ends it with nothing written. (The keys written
    after "Yes", into a private registry key: the in-process tests.)"""
    written = reg_query("HKCR\\nimbrel_nbl\\shell\\open\\command")
    player = start()
    before = player.grab(200, 150, 60, 60).data
    click(*player.at(200, 150), button=3)
    assert wait_until(lambda: player.grab(200, 150, 60, 60).data != before, 5), "no menu opened"
    key("Up", "Up", "Up", "Return")  # from the bottom: exit, about, association
    question = player.dialog("確認")
    assert question, "the association question did not appear"
    player.focus(question)
    key("Tab", "Return")  # from Yes, the default button, to No
    assert wait_until(lambda: not windows("^確認$", player.proc.pid), 5), "a box stayed open after No"
    closes_cleanly(player)
    assert reg_query("HKCR\\nimbrel_nbl\\shell\\open\\command") == written, "No wrote the association"


HEADER = "[Nimbrel Play List]"


def scenario_open_and_save_dialogs():
    """Ctrl+O picks two files in the real open dialog; Ctrl+S saves them under a new name in
    the real save dialog, which adds the extension."""
    files = [clip("clip.mp4", FIRST), clip("clip.flv", SECOND)]
    player = start()
    player.focus()
    key("ctrl+o")
    player.answer_dialog("Open", winpath(HERE))  # into the clips' folder; the keys wait their turn
    player.answer_dialog("Open", '"%s" "%s"' % (FIRST, SECOND))
    assert player.wait_title(shows(FIRST)), "the chosen files did not arrive"
    saved = os.path.join(HERE, "saved")
    rows = player.save_playlist(saved, saved + ".nbl")
    assert rows == [HEADER, winpath(files[0]), winpath(files[1]), ""], rows
    closes_cleanly(player)


def scenario_at_144_dpi():
    """At 150 % (a Wine prefix of its own at 144 DPI, visual styles on): the window opens at 150 %
    of its 100 % size, the bar 45 pixels high (in full screen too) with the visual style's buttons;
    the media keys act; Alt+2 shows the video's own pixels one to one; the settings file keeps the
    sizes at 100 %, and the next run opens as the last one closed."""
    assert DPI == 144, "run with NIMBREL_DPI=144 (tools/wine-env.sh makes that prefix)"
    player = start([clip("clip.mp4", FIRST), clip("clip.flv", SECOND)], Repeat=1)  # only the keys change the file
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
