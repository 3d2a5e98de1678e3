// The control bar, its widgets and the splitter as real windows driven by mouse messages,
// pixels read back through WM_PRINTCLIENT. (The arithmetic under them: app/computations_test.cpp
// and the arithmetic fuzzer; real clicks and drags: the e2e scenarios.)
#include <windows.h>

#include "app/app.h"
#include "app/aspect.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/seek_bar.h"
#include "controls/splitter.h"
#include "controls/time_display.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const COLORREF Face = GetSysColor(COLOR_BTNFACE), Shadow = GetSysColor(COLOR_BTNSHADOW);

void Mouse(HWND w, UINT message, int x, int y = 8)
{
    SendMessageW(w, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM((short)x, (short)y));
}

void Drag(HWND w, int from, int to)
{
    Mouse(w, WM_LBUTTONDOWN, from);
    Mouse(w, WM_MOUSEMOVE, to);
    Mouse(w, WM_LBUTTONUP, to);
}

RECT RectIn(HWND child, HWND parent)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
    return r;
}

void SetClientWidth(int width)
{
    SIZE outer = OuterForClient(width, 300);
    MoveWindow(MainWindow, 0, 0, outer.cx, outer.cy, TRUE);
}

void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// Pixels of a window's client area other than the button face, counted where pick holds.
template <class Pick> int Ink(HWND w, Pick pick)
{
    Picture p = Print(w);
    int n = 0;
    for (int i = 0; i < p.Width * p.Height; i++)
        n += p.Pixels[i] != Face && pick(i % p.Width, i / p.Width, p);
    return n;
}

// A real clip plays; the bar maps with the given duration (nothing is pumped, so the monitor
// leaves it), on a seek bar 100 client pixels wide.
void Play(unsigned duration)
{
    SetClientWidth(423);
    AddEntry(PlaylistCount(), Clip(L"long.mp4").c_str());
    PlayEntry(0);
    PlaybackDuration = duration;
}

using Bar = AppTest;

// Left to right inside the bar, none over another; only the seek bar grows. The bar spans the
// bottom under the video.
TEST_F(Bar, WidgetsInOrderInsideTheBarAtThreeWidths)
{
    for (int width : {390, 600, 900}) {
        SetClientWidth(width);
        RECT bar = RectIn(ControlBar, MainWindow), seek = RectIn(SeekBar, ControlBar);
        EXPECT_TRUE(bar.left == 0 && bar.right == width && bar.top == RectIn(VideoPanel, MainWindow).bottom &&
                    bar.bottom == 300) << width;
        EXPECT_EQ(seek.right - seek.left, width - 321);
        int right = 0;
        for (HWND w : {PlayPauseButton, StopButton, SeekBar, TimeDisplay, MuteButton, VolumeSlider, MenuButton}) {
            RECT r = RectIn(w, ControlBar);
            EXPECT_TRUE(r.left >= right && r.right > r.left && r.top >= 0 && r.bottom <= 30)
                << GetDlgCtrlID(w) << " at " << width;
            right = r.right;
        }
        EXPECT_LE(right, width);
    }
}

TEST_F(Bar, ButtonsFollowThePlayStateAndClicksTakeTheCommandPath)
{
    // The buttons and the menu items both follow the play state.
    struct Row { void (*act)(); PlayStateValue state; bool play, stop; HICON* icon; };
    const Row rows[] = {
        {[] {}, Idle, false, false, &PlayIcon},
        {[] { Play(100); }, Playing, true, true, &PauseIcon},
        {[] { Press(PlayPauseButton); }, Paused, true, true, &PlayIcon},
        {[] { Press(PlayPauseButton); }, Playing, true, true, &PauseIcon},
        {[] { Press(StopButton); }, Stopped, true, false, &PlayIcon},
        {[] { SendMessageW(ControlBar, WM_KEYUP, VK_SPACE, 0); }, Playing, true, true, &PauseIcon},
    };
    for (const Row& r : rows) {
        r.act();
        EXPECT_EQ(PlayState, r.state);
        EXPECT_TRUE(!!IsWindowEnabled(PlayPauseButton) == r.play && IsMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE) == r.play);
        EXPECT_TRUE(!!IsWindowEnabled(StopButton) == r.stop && IsMenuItemEnabled(MainMenu, IDM_STOP) == r.stop) << r.state;
        EXPECT_TRUE(ButtonIcon(PlayPauseButton) == *r.icon && *r.icon) << r.state;
    }
    EXPECT_NE(ButtonIcon(StopButton), nullptr);
    // The icon is drawn inside the frame, greyed while disabled; changing it (every file, every
    // pause) costs no GDI object.
    auto black = [] { return Ink(PlayPauseButton, [](int x, int y, const Picture& p) {
        return x >= 4 && y >= 4 && x < p.Width - 4 && y < p.Height - 4 && p.At(x, y) == 0; }); };
    int playing = black();
    SetPlayState(Paused);
    EXPECT_TRUE(playing > 0 && black() > 0 && black() != playing);
    EnableWindow(PlayPauseButton, FALSE);
    EXPECT_EQ(black(), 0);
    long before = GdiObjects();
    EXPECT_GT(before, 0) << "the GDI objects could not be counted";
    for (int i = 0; i < 20; ++i)
        SetPlayState(i % 2 ? Playing : Paused);
    EXPECT_EQ(GdiObjects(), before);
}

TEST_F(Bar, SeekClickPausesAroundOneSeekDragsUseTheDurationOfTheMomentAndLostCaptureSeeksNothing)
{
    Play(100);
    SetEngineValue(L"state_seek", L"-1");
    Mouse(SeekBar, WM_LBUTTONDOWN, 40);
    EXPECT_EQ(EngineValue(L"state_pause") + EngineValue(L"state_seek"), L"1-1") << "paused, not sought";
    EXPECT_TRUE(SeekDragActive && GetCapture() == SeekBar);
    Mouse(SeekBar, WM_LBUTTONUP, 40);
    EXPECT_EQ(EngineValue(L"state_pause") + EngineValue(L"state_seek"), L"040");
    EXPECT_TRUE(PlayState == Playing && !SeekDragActive && !GetCapture());
    // The duration at the press and while dragging; where the pointer goes; the seek.
    struct Row { unsigned atPress, whileDragging; int x; const wchar_t* seek; } rows[] = {
        {3, 3, 150, L"0"},     // at the end, shorter than five seconds: 0, not -2
        {100, 0, 70, L"0"},    // the duration went while the button was held
        {100, 40, 75, L"30"},  // or changed
    };
    for (const Row& r : rows) {
        PlaybackDuration = r.atPress;
        Mouse(SeekBar, WM_LBUTTONDOWN, 50);
        PlaybackDuration = r.whileDragging;
        Mouse(SeekBar, WM_MOUSEMOVE, r.x);
        EXPECT_EQ(EngineValue(L"state_seek"), r.seek) << r.x << " of " << r.whileDragging;
        Mouse(SeekBar, WM_LBUTTONUP, r.x);
    }
    PlaybackDuration = 100;
    Mouse(SeekBar, WM_LBUTTONDOWN, 10);
    SetEngineValue(L"state_seek", L"-1");
    SetCapture(VolumeSlider);  // taken away
    ReleaseCapture();
    Mouse(SeekBar, WM_LBUTTONUP, 80);
    EXPECT_EQ(EngineValue(L"state_pause") + EngineValue(L"state_seek"), L"0-1");
    EXPECT_FALSE(SeekBarDragging() || SeekDragActive);

    Press(PlayPauseButton);  // paused: no pause or resume written
    SetEngineValue(L"state_pause", L"7");
    Drag(SeekBar, 20, 20);
    EXPECT_EQ(EngineValue(L"state_pause") + EngineValue(L"state_seek"), L"720");
    Mouse(SeekBar, WM_LBUTTONDOWN, 30);
    Command(IDM_STOP);  // Ctrl+X while the button is held
    Drag(SeekBar, 40, 40);
    EXPECT_EQ(EngineValue(L"state_seek"), L"20") << "no seek into a stopped file";
    EXPECT_FALSE(SeekDragActive);
    Mouse(SeekBar, WM_LBUTTONDOWN, 30);  // stopped: a press does nothing
    EXPECT_FALSE(SeekDragActive || GetCapture());
}

TEST_F(Bar, SectionBandMarkersAndTheirDrags)
{
    Play(100);
    Settings.Repeat = RepeatSection;
    Section = {20, 60, 1, 0, 0};
    PlaybackPosition = 30;
    Picture p = Print(SeekBar);
    const COLORREF green = RGB(0, 255, 0);
    const int b = p.Height - 1;
    struct Pixel { int x, y; COLORREF colour; };
    const Pixel pixels[] = {{18, 0, Shadow}, {19, 0, green}, {20, 0, green}, {21, 0, Shadow}, {30, 0, Face},
                            {58, 0, Face}, {59, 0, green}, {60, 0, green}, {61, 0, Face}, {10, b, Shadow},
                            {40, b, green}, {40, b - 3, green}, {40, b - 4, Face}, {61, b, Face}};
    for (const Pixel& px : pixels)
        EXPECT_EQ(p.At(px.x, px.y), px.colour) << px.x << "," << px.y;

    Mouse(SeekBar, WM_LBUTTONDOWN, 22);  // the start marker: seeks and moves the loop point
    EXPECT_EQ(Section.SectionDrag, 1u);
    Mouse(SeekBar, WM_LBUTTONUP, 25);
    EXPECT_EQ(EngineValue(L"state_seek"), L"25");
    EXPECT_EQ(Section.SectionLoopPoint, 25u);

    Mouse(SeekBar, WM_LBUTTONDOWN, 61);  // the end marker: stops past the start, seeks nothing
    EXPECT_EQ(Section.SectionDrag, 2u);
    Mouse(SeekBar, WM_MOUSEMOVE, 5);
    EXPECT_EQ(Section.SectionEnd, 21u);
    VideoWidth = 999;
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(VideoWidth, 999) << "the monitor rests while the end marker is dragged";
    Mouse(SeekBar, WM_LBUTTONUP, 80);
    EXPECT_EQ(Section.SectionEnd * 10 + Section.SectionDrag, 800u);
    EXPECT_EQ(EngineValue(L"state_seek"), L"25");

    PlaybackDuration = 0;  // no duration: no elapsed part, no section
    Picture empty = Print(SeekBar);
    for (int x : {0, 20, 40, 60})
        EXPECT_EQ(empty.At(x, 0), Face) << x;
}

TEST_F(Bar, HoverTimeSitsOnTheInnerSideOfThePointer)
{
    Play(100);
    PlaybackPosition = 0;
    struct Row { int x, from, to; bool dragging; };  // a drag moves it along too
    for (const Row& r : {Row{49, 59, 100}, Row{50, 0, 40}, Row{80, 20, 70}, Row{20, 30, 80}, Row{95, 35, 85, true}}) {
        if (r.dragging)
            Mouse(SeekBar, WM_LBUTTONDOWN, 20);
        Mouse(SeekBar, WM_MOUSEMOVE, r.x);
        EXPECT_GT(Ink(SeekBar, [&](int x, int, const Picture&) { return x >= r.from && x < r.to; }), 0) << r.x;
        EXPECT_EQ(Ink(SeekBar, [&](int x, int, const Picture&) { return x < r.from || x >= r.to; }), 0) << r.x;
        if (r.dragging)
            Mouse(SeekBar, WM_LBUTTONUP, r.x);
    }
}

// The level goes to the engine unless muted, also when it does not change; the mute button and
// item toggle alike. (The steps' limits: app/startup_test.cpp.)
TEST_F(Bar, VolumeDragsStepsAndMute)
{
    Drag(VolumeSlider, 24, 200);
    EXPECT_EQ(std::to_wstring(Settings.VolumeLevel) + L" " + EngineValue(L"state_volume"), L"100 100");
    SetEngineValue(L"state_volume", L"55");
    Command(IDM_VOLUME_UP);  // 100 already: written again all the same
    EXPECT_EQ(EngineValue(L"state_volume"), L"100");
    Command(IDM_MUTE);
    EXPECT_TRUE(ButtonIcon(MuteButton) == MutedIcon && IsMenuItemChecked(MainMenu, IDM_MUTE));
    EXPECT_EQ(EngineValue(L"state_volume"), L"0");
    Drag(VolumeSlider, 10, 12);
    EXPECT_EQ(Settings.VolumeLevel, 25);
    Picture p = Print(VolumeSlider);
    EXPECT_TRUE(p.At(11, 8) == Shadow && p.At(12, 8) == Face);
    Command(IDM_VOLUME_UP);
    EXPECT_EQ(Settings.VolumeLevel, 35);
    EXPECT_EQ(EngineValue(L"state_volume"), L"0") << "muted: neither a drag nor a step is sent";
    Press(MuteButton);
    EXPECT_TRUE(ButtonIcon(MuteButton) == SoundIcon && !IsMenuItemChecked(MainMenu, IDM_MUTE));
    EXPECT_EQ(EngineValue(L"state_volume"), L"35");
}

// The time text is right-aligned, a little way from the right edge. (Its text:
// app/computations_test.cpp.)
TEST_F(Bar, TimeTextIsRightAligned)
{
    RECT client;
    GetClientRect(TimeDisplay, &client);
    int right = client.right - TimeTextInset;
    EXPECT_GT(Ink(TimeDisplay, [&](int x, int, const Picture&) { return x >= right - 3 && x < right; }), 0);
    EXPECT_EQ(Ink(TimeDisplay, [&](int x, int, const Picture&) { return x < 10 || x > right; }), 0);
}

// (The width saved after a real drag: the e2e scenarios.)
TEST_F(Bar, SplitterStaysWithinItsLimitsAndSetsThePlaylistsWidth)
{
    struct Row { int width, pointer, left; };
    for (const Row& r : {Row{600, -200, 50}, Row{600, 10000, 500}, Row{400, 390, 300}, Row{600, 300, 300}}) {
        SetClientWidth(r.width);
        int at = RectIn(Splitter, MainWindow).left;
        Mouse(Splitter, WM_LBUTTONDOWN, 2);
        Mouse(Splitter, WM_MOUSEMOVE, r.pointer - at);
        EXPECT_EQ(RectIn(Splitter, MainWindow).left, r.left) << r.pointer << " in " << r.width;
        Mouse(Splitter, WM_LBUTTONUP, r.pointer - at);
        EXPECT_EQ(Settings.PlayListWidth, r.width - r.left - 5);
        EXPECT_EQ(RectIn(VideoPanel, MainWindow).right, r.left);
    }
    RECT before = RectIn(PlaylistPanel, MainWindow);
    Mouse(Splitter, WM_LBUTTONDOWN, 2);  // a press without movement
    Mouse(Splitter, WM_LBUTTONUP, 2);
    RECT after = RectIn(PlaylistPanel, MainWindow);
    EXPECT_TRUE(EqualRect(&before, &after) && after.right - after.left == 295);
    Mouse(Splitter, WM_LBUTTONDOWN, 2);  // F11 mid-drag ends the drag
    Command(IDM_FULL_SCREEN);
    Mouse(Splitter, WM_MOUSEMOVE, -100);
    EXPECT_TRUE(GetCapture() != Splitter && Settings.PlayListWidth == 295);
}

}  // namespace
