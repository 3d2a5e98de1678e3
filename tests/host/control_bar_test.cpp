// The control bar, its widgets and the splitter as real windows driven by mouse messages, pixels
// read back through WM_PRINTCLIENT. (The arithmetic and the layout under them:
// app/computations_test.cpp; real clicks and drags: the e2e scenarios.)
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

const COLORREF Face = GetSysColor(COLOR_BTNFACE), Shadow = GetSysColor(COLOR_BTNSHADOW), Green = RGB(0, 255, 0);

void Mouse(HWND w, UINT message, int x)
{
    SendMessageW(w, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM((short)x, 8));
}

void Drag(HWND w, int from, int to)
{
    Mouse(w, WM_LBUTTONDOWN, from), Mouse(w, WM_MOUSEMOVE, to), Mouse(w, WM_LBUTTONUP, to);
}

int Left(HWND w)  // in the main window's client area
{
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, MainWindow, (POINT*)&r, 2);
    return r.left;
}

void SetClientWidth(int width)
{
    SIZE outer = OuterForClient(width, 300);
    MoveWindow(MainWindow, 0, 0, outer.cx, outer.cy, TRUE);
}

void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// Pixels of a window's client area other than the button face where pick holds.
template <class Pick> int Ink(HWND w, Pick pick)
{
    Picture p = Print(w);
    int n = 0;
    for (int i = 0; i < (int)p.Pixels.size(); i++)
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

// The buttons and the menu items follow the play state; the icon is drawn inside the frame,
// greyed while disabled.
TEST_F(Bar, ButtonsFollowThePlayStateAndClicksTakeTheCommandPath)
{
    struct Row { void (*act)(); PlayStateValue state; bool play, stop; HICON* icon; } rows[] = {
        {[] {}, Idle, false, false, &PlayIcon}, {[] { Play(100); }, Playing, true, true, &PauseIcon},
        {[] { Press(PlayPauseButton); }, Paused, true, true, &PlayIcon}, {[] { Press(PlayPauseButton); }, Playing, true, true, &PauseIcon},
        {[] { Press(StopButton); }, Stopped, true, false, &PlayIcon},
        {[] { SendMessageW(ControlBar, WM_KEYUP, VK_SPACE, 0); }, Playing, true, true, &PauseIcon},
    };
    for (const Row& r : rows) {
        r.act();
        EXPECT_TRUE(PlayState == r.state && ButtonIcon(PlayPauseButton) == *r.icon && *r.icon) << r.state;
        EXPECT_TRUE(!!IsWindowEnabled(PlayPauseButton) == r.play && IsMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE) == r.play);
        EXPECT_TRUE(!!IsWindowEnabled(StopButton) == r.stop && IsMenuItemEnabled(MainMenu, IDM_STOP) == r.stop) << r.state;
    }
    auto black = [] { return Ink(PlayPauseButton, [](int x, int y, const Picture& p) {
        return x >= 4 && y >= 4 && x < p.Width - 4 && y < (int)p.Pixels.size() / p.Width - 4 && p.At(x, y) == 0; }); };
    int playing = black();
    SetPlayState(Paused);
    EXPECT_TRUE(playing > 0 && black() > 0 && black() != playing);
    EnableWindow(PlayPauseButton, FALSE);
    EXPECT_EQ(black(), 0);
}

std::wstring SeekState()
{
    return EngineValue(L"state_pause") + L" " + EngineValue(L"state_seek") + (SeekDragActive ? L" drag" : L"") +
           (GetCapture() ? L" captured" : L"");
}

// A press pauses, the release seeks once and resumes; a drag seeks by the duration of the moment,
// never to the end; a drag whose capture is taken away, or whose file stopped, seeks nothing; a
// paused file is neither paused nor resumed; a stopped one takes no press.
TEST_F(Bar, SeekPressesAndDrags)
{
    Play(100);
    SetEngineValue(L"state_seek", L"-1");
    const UINT Down = WM_LBUTTONDOWN, Move = WM_MOUSEMOVE, Up = WM_LBUTTONUP;
    struct Step { void (*act)(); const wchar_t* state; } steps[] = {
        {[] { Mouse(SeekBar, Down, 40); }, L"1 -1 drag captured"},
        {[] { Mouse(SeekBar, Up, 40); }, L"0 40"},
        {[] { PlaybackDuration = 3, Mouse(SeekBar, Down, 50), Mouse(SeekBar, Move, 150); }, L"1 0 drag captured"},  // not -2
        {[] { Mouse(SeekBar, Up, 150), PlaybackDuration = 100, Mouse(SeekBar, Down, 50), PlaybackDuration = 0,
              Mouse(SeekBar, Move, 70); }, L"1 0 drag captured"},  // the duration went while the button was held
        {[] { Mouse(SeekBar, Up, 70), PlaybackDuration = 100, Mouse(SeekBar, Down, 50), PlaybackDuration = 40,
              Mouse(SeekBar, Move, 75); }, L"1 30 drag captured"},  // or changed
        {[] { Mouse(SeekBar, Up, 75), PlaybackDuration = 100, Mouse(SeekBar, Down, 10), SetEngineValue(L"state_seek", L"-1");
              SetCapture(VolumeSlider), ReleaseCapture(), Mouse(SeekBar, Up, 80); }, L"0 -1"},
        {[] { Press(PlayPauseButton), SetEngineValue(L"state_pause", L"7"), Drag(SeekBar, 20, 20); }, L"7 20"},
        {[] { Mouse(SeekBar, Down, 30), Command(IDM_STOP), Drag(SeekBar, 40, 40), Mouse(SeekBar, Down, 30); }, L"7 20"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(SeekState(), s.state) << "step " << &s - steps;
    }
}

// The section: its band and markers in green, the elapsed part in shadow; the start marker seeks
// and moves the loop point, the end marker stops past the start and seeks nothing while the
// monitor rests; without a duration nothing is drawn.
TEST_F(Bar, SectionBandMarkersAndTheirDrags)
{
    Play(100);
    Settings.Repeat = RepeatSection;
    Section = {20, 60, 1, 0, 0};
    PlaybackPosition = 30;
    Picture p = Print(SeekBar);
    const int b = (int)p.Pixels.size() / p.Width - 1;
    struct Pixel { int x, y; COLORREF colour; } pixels[] = {
        {18, 0, Shadow}, {19, 0, Green}, {20, 0, Green}, {21, 0, Shadow}, {30, 0, Face}, {58, 0, Face}, {59, 0, Green},
        {60, 0, Green}, {61, 0, Face}, {10, b, Shadow}, {40, b, Green}, {40, b - 3, Green}, {40, b - 4, Face}, {61, b, Face}};
    for (const Pixel& px : pixels)
        EXPECT_EQ(p.At(px.x, px.y), px.colour) << px.x << "," << px.y;
    Mouse(SeekBar, WM_LBUTTONDOWN, 22);
    Mouse(SeekBar, WM_LBUTTONUP, 25);
    EXPECT_EQ(EngineValue(L"state_seek") + L" " + std::to_wstring(Section.SectionLoopPoint), L"25 25");
    Mouse(SeekBar, WM_LBUTTONDOWN, 61);
    Mouse(SeekBar, WM_MOUSEMOVE, 5);
    VideoWidth = 999;
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(Section.SectionEnd * 10 + Section.SectionDrag + VideoWidth * 1000, 212u + 999000) << "the monitor rests";
    Mouse(SeekBar, WM_LBUTTONUP, 80);
    EXPECT_EQ(Section.SectionEnd * 10 + Section.SectionDrag, 800u);
    EXPECT_EQ(EngineValue(L"state_seek"), L"25");
    PlaybackDuration = 0;
    EXPECT_EQ(Ink(SeekBar, [](int, int, const Picture&) { return true; }), 0);
}

// The hover time sits on the inner side of the pointer and follows it while dragging; the time
// text is right-aligned a little way from the right edge.
TEST_F(Bar, HoverTimeFollowsThePointerAndTheTimeTextIsRightAligned)
{
    Play(100);
    PlaybackPosition = 0;
    struct Row { int x, from, to; bool dragging; };
    for (const Row& r : {Row{49, 59, 100}, Row{50, 0, 40}, Row{20, 30, 80}, Row{95, 35, 85, true}}) {
        if (r.dragging)
            Mouse(SeekBar, WM_LBUTTONDOWN, 20);
        Mouse(SeekBar, WM_MOUSEMOVE, r.x);
        EXPECT_GT(Ink(SeekBar, [&](int x, int, const Picture&) { return x >= r.from && x < r.to; }), 0) << r.x;
        EXPECT_EQ(Ink(SeekBar, [&](int x, int, const Picture&) { return x < r.from || x >= r.to; }), 0) << r.x;
    }
    RECT client;
    GetClientRect(TimeDisplay, &client);
    int right = client.right - TimeTextInset;
    EXPECT_GT(Ink(TimeDisplay, [&](int x, int, const Picture&) { return x >= right - 3 && x < right; }), 0);
    EXPECT_EQ(Ink(TimeDisplay, [&](int x, int, const Picture&) { return x < 10 || x > right; }), 0);
}

// The level goes to the engine unless muted, also when it does not change; the mute button and
// item toggle alike. (The steps' limits: app/startup_test.cpp.)
TEST_F(Bar, VolumeDragsStepsAndMute)
{
    auto volume = [] { return std::to_wstring(Settings.VolumeLevel) + L" " + EngineValue(L"state_volume"); };
    Drag(VolumeSlider, 24, 200);
    EXPECT_EQ(volume(), L"100 100");
    SetEngineValue(L"state_volume", L"55");
    Command(IDM_VOLUME_UP);
    EXPECT_EQ(volume(), L"100 100") << "written again all the same";
    Command(IDM_MUTE);
    EXPECT_TRUE(ButtonIcon(MuteButton) == MutedIcon && IsMenuItemChecked(MainMenu, IDM_MUTE));
    Drag(VolumeSlider, 10, 12);
    Picture p = Print(VolumeSlider);
    EXPECT_TRUE(p.At(11, 8) == Shadow && p.At(12, 8) == Face);
    Command(IDM_VOLUME_UP);
    EXPECT_EQ(volume(), L"35 0") << "muted: neither a drag nor a step is sent";
    Press(MuteButton);
    EXPECT_TRUE(ButtonIcon(MuteButton) == SoundIcon && !IsMenuItemChecked(MainMenu, IDM_MUTE));
    EXPECT_EQ(volume(), L"35 35");
}

// A drag moves the splitter within its limits and sets the playlist's width; a press without
// movement changes nothing; F11 mid-drag ends the drag.
TEST_F(Bar, SplitterDragsAndF11EndsTheDrag)
{
    SetClientWidth(600);
    auto placed = [] {
        RECT video;
        GetClientRect(VideoPanel, &video);
        return std::to_string(Left(Splitter)) + " " + std::to_string(video.right) + " " + std::to_string(Settings.PlayListWidth);
    };
    for (auto [to, after] : {std::pair{10000, "500 500 95"}, {300, "300 300 295"}, {0, "300 300 295"}}) {
        int x = to ? to - Left(Splitter) : 2;  // 0: released where it was pressed, without moving
        Mouse(Splitter, WM_LBUTTONDOWN, 2), Mouse(Splitter, to ? WM_MOUSEMOVE : WM_NULL, x), Mouse(Splitter, WM_LBUTTONUP, x);
        EXPECT_EQ(placed(), after) << to;
    }
    Mouse(Splitter, WM_LBUTTONDOWN, 2);
    Command(IDM_FULL_SCREEN);
    Mouse(Splitter, WM_MOUSEMOVE, -100);
    EXPECT_TRUE(GetCapture() != Splitter && Settings.PlayListWidth == 295);
}

}  // namespace
