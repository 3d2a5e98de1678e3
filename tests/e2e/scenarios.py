#!/usr/bin/env python3
"""What only the real Nimbrel.exe shows, with real input. `scenarios.py EXE MEDIA WORK NAME` runs
scenario_NAME in a fresh folder WORK/NAME, removed afterwards."""
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import BAR_HEIGHT, DPI, STARTED, Player, click, drag, grab, key, pixel, wait_until, \
    winpath, windows, xdo  # noqa: E402

EXE = MEDIA = HERE = None
FIRST, SECOND = "first.mp4", "second.flv"


def clip(name, as_name=None):  # a copy of a generated clip in the scenario's folder
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
    """A click near the seek bar's end ends a 20 s clip at once; a volume drag reaches the settings."""
    player = start([clip("long.mp4"), clip("clip.mp4", FIRST)])
    assert player.wait_title(shows("long.mp4"))
    assert wait_until(lambda: player.elapsed() > 0, 10), "no duration: the seek bar shows nothing played"
    left, width, y = player.seek_bar()
    click(left + width * 95 // 100, y)
    assert wait_until(lambda: player.elapsed() > 0.9, 5), "the seek bar did not jump near its end"
    assert player.wait_title(shows(FIRST), 10), "the clip did not end early"
    # The slider's inside is 48 pixels wide from client x B - 87 (B = 662): x 12 is 25 %.
    drag(player.at(-87 + 40, -BAR_HEIGHT + 15), player.at(-87 + 12, -BAR_HEIGHT + 15))
    assert closes_cleanly(player)["VolumeLevel"] == "25"


def scenario_menu_boxes_and_dialogs():
    """The main menu on a right click; the association's real box closed with "No"; two files picked
    in the real open dialog (Ctrl+O), saved under a new name in the real save dialog (Ctrl+S)."""
    files = [clip("clip.mp4", FIRST), clip("clip.flv", SECOND)]
    player = start()
    before = grab(*player.at(200, 150), 60, 60)
    click(*player.at(200, 150), button=3)
    assert wait_until(lambda: grab(*player.at(200, 150), 60, 60) != before, 5), "no menu opened"
    key("Up", "Up", "Up", "Return")  # from the bottom: exit, about, association
    question = player.dialog("確認")
    assert question, "the association question did not appear"
    player.focus(question)
    key("Tab", "Return")  # from Yes, the default button, to No
    assert wait_until(lambda: not windows("^確認$", player.proc.pid), 5), "a box stayed open after No"
    player.focus()
    key("ctrl+o")
    player.answer_dialog("Open", winpath(HERE))  # into the clips' folder; the keys wait their turn
    player.answer_dialog("Open", '"%s" "%s"' % (FIRST, SECOND))
    assert player.wait_title(shows(FIRST)), "the chosen files did not arrive"
    player.focus()
    key("ctrl+s")
    saved = os.path.join(HERE, "saved")
    player.answer_dialog("Save As", winpath(saved))
    assert wait_until(lambda: os.path.exists(saved + ".nbl") and os.path.getsize(saved + ".nbl"), 10), "nothing was saved"
    rows = open(saved + ".nbl", "rb").read().decode("utf-8").split("\r\n")
    assert rows == ["[Nimbrel Play List]", winpath(files[0]), winpath(files[1]), ""], rows
    closes_cleanly(player)


def scenario_at_144_dpi():
    """At 144 DPI with visual styles: sizes at 150 % (the bar in full screen too), styled buttons, media
    keys, Alt+2 one to one, the sizes saved at 100 % and the next run opening as the last closed."""
    assert DPI == 144, "run with NIMBREL_DPI=144 (tools/wine-env.sh makes that prefix)"
    player = start([clip("clip.mp4", FIRST), clip("clip.flv", SECOND)], Repeat=1)  # only the keys change the file
    assert player.wait_title(shows(FIRST))
    assert player.client()[2:] == (993, 621), "opened with a client area of %r" % (player.client()[2:],)
    face = pixel(grab(*player.at(1, -1), 1, 1), 0, 0)  # the bar, left of its first button

    def bar_height():  # rows of the bar's face colour from the client's bottom up (the letterbox is black)
        column = grab(*player.at(1, -60), 1, 60)
        return next((i for i in range(60) if pixel(column, 0, 59 - i) != face), 60)
    assert wait_until(lambda: bar_height() == 45, 3), "the bar is %d pixels high" % bar_height()
    xdo("mousemove", *player.at(200, 150))  # the menu button in the visual style: hot under the pointer
    time.sleep(0.3)
    button = grab(*player.at(-42, -42), 39, 39)
    xdo("mousemove", *player.at(-22, -22))
    assert wait_until(lambda: grab(*player.at(-42, -42), 39, 39) != button, 3), "the button shows no hot state"
    steps = [("XF86AudioNext", lambda: player.title() == shows(SECOND)),
             ("XF86AudioPrev", lambda: player.title() == shows(FIRST)),
             ("XF86AudioStop", player.stopped), ("XF86AudioPlay", lambda: not player.stopped())]
    for name, done in steps:
        player.focus()
        key(name)
        assert wait_until(done, 5), "%s did not act (title %r)" % (name, player.title())
    key("XF86AudioLowerVolume", "XF86AudioLowerVolume", "XF86AudioMute")
    # 100 %: the 640 x 360 picture, the playlist (218), the splitter (8), the bar; Alt+2 until the size is known.
    assert wait_until(lambda: key("alt+2") or player.client()[2:] == (640 + 218 + 8, 360 + 45), 5, 0.3), \
        "Alt+2 gave a client area of %r" % (player.client()[2:],)
    key("F11")
    assert wait_until(player.full_screen, 3) and wait_until(lambda: bar_height() == 45, 3), "F11: %d" % bar_height()
    key("F10")
    assert wait_until(lambda: bar_height() == 0, 3), "F10 left a bar %d pixels high" % bar_height()
    key("Escape")
    assert wait_until(lambda: player.client()[2:] == (866, 405) and bar_height() == 45, 3), "Esc did not bring the window back"
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
    EXE, MEDIA, work, name = (sys.argv[1:] + [""] * 4)[:4]
    run = globals().get("scenario_" + name)
    if not run or not os.environ.get("DISPLAY") or not os.environ.get("WINEPREFIX"):
        sys.exit("no scenario %r, or not run under tools/wine-env.sh (tools/wine-run.sh --host ...)" % name)
    HERE = os.path.join(work, name)
    shutil.rmtree(HERE, ignore_errors=True)
    os.makedirs(HERE)
    try:
        run()
    except BaseException:
        shot = os.path.join(work, "failed", name + ".png")  # what the screen showed
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        subprocess.run(["import", "-silent", "-window", "root", shot])
        print("the screen at the failure: " + shot)
        raise
    finally:
        for program in STARTED:  # whatever happened, no program of this scenario stays behind
            program.kill()
        shutil.rmtree(HERE, ignore_errors=True)


if __name__ == "__main__":
    main()
