// The control bar, its widgets and the splitter driven by mouse messages; pixels read back.
#include "app/app.h"
#include "app/aspect.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/splitter.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const COLORREF Face = GetSysColor(COLOR_BTNFACE);
const UINT Down = WM_LBUTTONDOWN, Move = WM_MOUSEMOVE, Up = WM_LBUTTONUP;

void Mouse(HWND w, UINT message, int x) { SendMessageW(w, message, message == Up ? 0 : MK_LBUTTON, MAKELPARAM((short)x, 8)); }
void Drag(HWND w, int from, int to) { Mouse(w, Down, from), Mouse(w, Move, to), Mouse(w, Up, to); }

int Left(HWND w)  // in the main window's client area
{
    POINT p = {Rect(w).left, 0};
    return ScreenToClient(MainWindow, &p), p.x;
}

// Pixels other than the button face where pick(x, y) holds, as the window prints its client area.
template <class Pick> int Ink(HWND w, Pick pick)
{
    RECT r;
    GetClientRect(w, &r);
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, CreateCompatibleBitmap(screen, r.right, r.bottom));
    SendMessageW(w, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
    int n = 0;
    for (int i = 0; i < r.right * r.bottom; i++)
        n += GetPixel(dc, i % r.right, i / r.right) != Face && pick(i % r.right, i / r.right);
    DeleteObject(SelectObject(dc, old)), DeleteDC(dc), ReleaseDC(nullptr, screen);
    return n;
}

void Resize(int w) { SIZE o = OuterForClient(w, 300); MoveWindow(MainWindow, 0, 0, o.cx, o.cy, TRUE); }

// A real clip plays, with this duration (nothing pumped: the monitor leaves it), on a 100-pixel seek bar.
void Play(unsigned duration)
{
    Resize(423);
    AddEntry(PlaylistCount(), Clip(L"long.mp4").c_str());
    PlayEntry(0);
    PlaybackDuration = duration;
}

using Bar = AppTest;

// A press pauses, the release seeks and resumes; drags follow the duration, never past the end.
TEST_F(Bar, SeekPressesAndDrags)
{
    Play(100);
    SetEngineValue(L"state_seek", L"-1");
    auto duration = [](unsigned d) { PlaybackDuration = d; };
    ExpectSteps([] { return EngineValue(L"state_pause") + L" " + EngineValue(L"state_seek") + (SeekDragActive ? L" drag" : L"") +
                            (GetCapture() ? L" captured" : L""); },
                {{[] { Mouse(SeekBar, Down, 40); }, L"1 -1 drag captured"}, {[] { Mouse(SeekBar, Up, 40); }, L"0 40"},
                 {[&] { duration(3), Mouse(SeekBar, Down, 50), Mouse(SeekBar, Move, 150); }, L"1 0 drag captured"},  // not -2
                 {[&] { Mouse(SeekBar, Up, 150), duration(100), Mouse(SeekBar, Down, 50), duration(0), Mouse(SeekBar, Move, 70); },
                  L"1 0 drag captured"},  // the duration went while the button was held
                 {[&] { Mouse(SeekBar, Up, 70), duration(100), Mouse(SeekBar, Down, 50), duration(40), Mouse(SeekBar, Move, 75); },
                  L"1 30 drag captured"},  // or changed
                 {[&] { Mouse(SeekBar, Up, 75), duration(100), Mouse(SeekBar, Down, 10), SetEngineValue(L"state_seek", L"-1"),
                        SetCapture(VolumeSlider), ReleaseCapture(), Mouse(SeekBar, Up, 80); }, L"0 -1"},
                 {[] { Press(PlayPauseButton), SetEngineValue(L"state_pause", L"7"), Drag(SeekBar, 20, 20); }, L"7 20"},
                 {[] { Mouse(SeekBar, Down, 30), Command(IDM_STOP), Drag(SeekBar, 40, 40), Mouse(SeekBar, Down, 30); }, L"7 20"}});
}

// The hover time follows the pointer, also while dragging; the section's start marker seeks and moves the
// loop point, its end one only moves; without a duration nothing is drawn.
TEST_F(Bar, HoverTimeAndSectionMarkers)
{
    Play(100);
    PlaybackPosition = 0;
    for (auto [x, from, to] : {std::tuple{49, 59, 100}, {50, 0, 40}, {20, 30, 80}, {95, 35, 85}}) {
        Mouse(SeekBar, x == 95 ? Down : Move, 20);  // the last while dragging
        Mouse(SeekBar, Move, x);
        EXPECT_GT(Ink(SeekBar, [&](int x, int) { return x >= from && x < to; }), 0) << x;
        EXPECT_EQ(Ink(SeekBar, [&](int x, int) { return x < from || x >= to; }), 0) << x;
    }
    Mouse(SeekBar, Up, 95), SendMessageW(SeekBar, WM_MOUSELEAVE, 0, 0);  // the pointer leaves the bar
    Settings.Repeat = RepeatSection, Section = {20, 60, 1, 0, 0};
    PlaybackPosition = 30;
    ExpectSteps([] { return EngineValue(L"state_seek") + L" " + std::to_wstring(Section.SectionLoopPoint) + L" " +
                            std::to_wstring(Section.SectionEnd) + L" " + std::to_wstring(Section.SectionDrag) + L" " +
                            std::to_wstring(VideoWidth); },
                {{[] { Mouse(SeekBar, Down, 22), Mouse(SeekBar, Up, 25); }, L"25 25 60 0 0"},
                 {[] { Mouse(SeekBar, Down, 61), Mouse(SeekBar, Move, 5); }, L"25 25 21 2 0"},
                 {[] { VideoWidth = 999, MonitorTick(nullptr, 0, 0, 0); }, L"25 25 21 2 999"},  // the monitor rests
                 {[] { Mouse(SeekBar, Up, 80); }, L"25 25 80 0 999"}});
    PlaybackDuration = 0;
    EXPECT_EQ(Ink(SeekBar, [](int, int) { return true; }), 0);
}

// The level goes to the engine unless muted, also when unchanged; the mute button and item alike.
TEST_F(Bar, VolumeDragsStepsAndMute)
{
    ExpectSteps([] { return std::to_wstring(Settings.VolumeLevel) + L" " + EngineValue(L"state_volume") +
                            (ButtonIcon(MuteButton) == MutedIcon && IsMenuItemChecked(MainMenu, IDM_MUTE) ? L" muted" :
                             ButtonIcon(MuteButton) == SoundIcon && !IsMenuItemChecked(MainMenu, IDM_MUTE) ? L"" : L" ?"); },
                {{[] { Drag(VolumeSlider, 24, 200); }, L"100 100"},
                 {[] { SetEngineValue(L"state_volume", L"55"), Command(IDM_VOLUME_UP); }, L"100 100"},
                 {[] { Command(IDM_MUTE); }, L"100 0 muted"}, {[] { Drag(VolumeSlider, 10, 12); }, L"25 0 muted"},
                 {[] { Command(IDM_VOLUME_UP); }, L"35 0 muted"}, {[] { Press(MuteButton); }, L"35 35"}});
}

// A drag moves the splitter within its limits, a bare press does nothing, F11 ends the drag.
TEST_F(Bar, SplitterDragsAndF11EndsTheDrag)
{
    Resize(600);
    for (auto [to, placed] : {std::pair{10000, L"500 500 95"}, {300, L"300 300 295"}, {0, L"300 300 295"}}) {
        int x = to ? to - Left(Splitter) : 2;  // 0: released where it was pressed, without moving
        Mouse(Splitter, Down, 2), Mouse(Splitter, to ? Move : WM_NULL, x), Mouse(Splitter, Up, x);
        EXPECT_EQ(std::to_wstring(Left(Splitter)) + L" " + std::to_wstring(Rect(VideoPanel).right - Rect(VideoPanel).left) + L" " +
                  std::to_wstring(Settings.PlayListWidth), placed);
    }
    Mouse(Splitter, Down, 2);
    Command(IDM_FULL_SCREEN);
    Mouse(Splitter, Move, -100);
    EXPECT_TRUE(GetCapture() != Splitter && Settings.PlayListWidth == 295);
}

}  // namespace
