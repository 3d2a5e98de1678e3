// The program on today's desktop, in-process with real windows: display scales handed in as
// the system hands them (WM_DPICHANGED), monitors that go, the screen kept awake, media keys
// (WM_APPCOMMAND) and the taskbar button through a stand-in for the shell's interface.
// (The whole program at 144 DPI with real keys: the e2e scenario high_dpi.)
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "app/keep_awake.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "controls/control_bar.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

RECT Rect(HWND w) { RECT r; GetWindowRect(w, &r); return r; }
bool OnAMonitor() { return MonitorFromWindow(MainWindow, MONITOR_DEFAULTTONULL) != nullptr; }

int IconSide(HICON icon)
{
    ICONINFO info = {};
    BITMAP bitmap = {};
    if (!GetIconInfo(icon, &info))
        return 0;
    GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return bitmap.bmWidth;
}

int RowHeight()
{
    RECT r = {LVIR_BOUNDS};
    SendMessageW(PlaylistView, LVM_GETITEMRECT, 0, (LPARAM)&r);
    return r.bottom - r.top;
}

int FontHeight()
{
    LOGFONTW lf = {};
    GetObjectW(UiFont, sizeof lf, &lf);
    return abs(lf.lfHeight);
}

using Desktop = AppTest;

// Each scale the system hands the window, in and out of 96..480: the suggested rectangle (moved
// onto a monitor when it lies on none), every size, the font and the icons follow; back at a
// scale the window comes back whole, no GDI object is lost, and the file keeps sizes at 100 %.
TEST_F(Desktop, EachScaleReachesEverySizeAndTheFileKeepsThemAt100Percent)
{
    const char placed[] = "[Setting]\r\nWindowPosX=40\r\nWindowPosY=30\r\nWindowWidth=670\r\nWindowHeight=441\r\n";
    Restart(placed);
    AddFiles({L"a.flv"});
    const RECT at96 = Rect(MainWindow);
    const int row96 = RowHeight(), font96 = FontHeight();
    long objects = 0;  // at the first return to 96 (Wine keeps a few objects of each scale it met)
    struct Row { int dpi; bool offScreen; int bar, seekLeft, icon, column, playlist; } rows[] = {
        {144, false, 45, 137, 24, 30, 218}, {1000, true, 150, 455, 80, 100, 727}, {20, false, 30, 91, 16, 20, 145},
        {144, false, 45, 137, 24, 30, 218}, {1000, true, 150, 455, 80, 100, 727}, {96, false, 30, 91, 16, 20, 145},
        {144, false, 45, 137, 24, 30, 218},
    };
    for (const Row& r : rows) {
        int dpi = ClampDpi(r.dpi);
        SIZE frame96 = OuterSizeAt(0, 0, 96), frame = OuterSizeAt(0, 0, dpi);
        int width = ScaleWindowSide(670, frame96.cx, frame.cx, 96, dpi);
        int height = ScaleWindowSide(441, frame96.cy, frame.cy, 96, dpi);
        RECT suggested = {40, 30, 40 + width, 30 + height};
        if (r.offScreen)
            OffsetRect(&suggested, -30000, -30000);
        SendMessageW(MainWindow, WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi), (LPARAM)&suggested);
        RECT now = Rect(MainWindow), seek = Rect(SeekBar), bar = Rect(ControlBar);
        EXPECT_TRUE(r.offScreen ? OnAMonitor() : EqualRect(&now, &suggested)) << r.dpi;
        EXPECT_EQ(bar.bottom - bar.top, r.bar) << r.dpi;
        EXPECT_EQ(seek.left - bar.left, r.seekLeft) << r.dpi;
        EXPECT_EQ(IconSide(ButtonIcon(PlayPauseButton)), r.icon) << r.dpi;
        EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 0, 0), r.column) << r.dpi;
        EXPECT_EQ(Settings.PlayListWidth, r.playlist) << r.dpi;
        EXPECT_EQ(RowHeight() > row96 && FontHeight() > font96, dpi > 96) << r.dpi;
        if (dpi == 96) {
            EXPECT_TRUE(EqualRect(&now, &at96));
            long count = GdiObjects();
            EXPECT_TRUE(!objects || count == objects) << count << " GDI objects, " << objects << " before: a scale's left";
            objects = count;
        }
    }
    EXPECT_EQ(CloseApp(), 0);
    std::string ini = ReadTestIni();
    EXPECT_EQ(ini.rfind(placed, 0), 0u) << ini;
    EXPECT_EQ(IniValue(ini, "PlayListWidth"), "145");
}

// A window left on no monitor (saved there, or its monitor removed) comes back onto one; full
// screen follows its monitor, and leaving it does not return to a monitor that went.
TEST_F(Desktop, AWindowOnNoMonitorComesBack)
{
    Restart("[Setting]\r\nWindowPosX=-30000\r\nWindowPosY=-30000\r\n");
    EXPECT_TRUE(OnAMonitor());
    MoveWindow(MainWindow, 50000, 40000, 600, 400, TRUE);
    SendMessageW(MainWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    RECT r = Rect(MainWindow);
    EXPECT_TRUE(OnAMonitor() && r.right - r.left == 600 && r.bottom - r.top == 400);
    Command(IDM_FULL_SCREEN);
    MoveWindow(MainWindow, 10, 10, 300, 200, TRUE);
    SendMessageW(MainWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, full = Rect(MainWindow);
    EXPECT_TRUE(EqualRect(&full, &screen));
    Settings.WindowPosX = -30000;  // the monitor it came from went meanwhile
    Command(IDM_ESCAPE);
    EXPECT_TRUE(OnAMonitor());
    EXPECT_EQ(CloseApp(), 0);
    EXPECT_GE(std::stoi(IniValue(ReadTestIni(), "WindowPosX")), 0);
}

std::vector<EXECUTION_STATE> Requests;
EXECUTION_STATE WINAPI RecordRequest(EXECUTION_STATE state)
{
    Requests.push_back(state);
    return ES_CONTINUOUS;
}

// Playing keeps the display and the system awake; pause, stop, the end of the list and exit let
// them sleep. The screen saver and the monitor's power-down are refused only while playing in
// full screen.
TEST_F(Desktop, PlayingKeepsTheScreenAwakeUntilPauseStopEndOrExit)
{
    SetExecutionStateHandler(RecordRequest);
    Requests.clear();
    AddFiles({L"a.flv", L"b.flv"});
    const EXECUTION_STATE awake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED, asleep = ES_CONTINUOUS;
    struct Row { void (*act)(); EXECUTION_STATE last; size_t count; } rows[] = {
        {[] { PlayEntry(0); }, awake, 1},
        {[] { Command(IDM_NEXT); }, awake, 1},  // from file to file: still awake, nothing asked again
        {[] { Command(IDM_PLAY_PAUSE); }, asleep, 2},
        {[] { Command(IDM_PLAY_PAUSE); }, awake, 3},
        {[] { Command(IDM_STOP); }, asleep, 4},
        {[] { PlayEntry(1); }, awake, 5},
        {[] { AdvanceAfterEnd(); }, asleep, 6},  // the end of the list
        {[] { PlayEntry(0); }, awake, 7},
        {[] { CloseApp(); }, asleep, 8},
    };
    for (const Row& r : rows) {
        r.act();
        ASSERT_EQ(Requests.size(), r.count) << NowPlaying();
        EXPECT_EQ(Requests.back(), r.last) << NowPlaying();
    }
    SetExecutionStateHandler(nullptr);
    struct Blank { WPARAM command; LPARAM power; bool playing, fullScreen, refused; };
    for (const Blank& b : {Blank{SC_SCREENSAVE, 0, true, true, true}, Blank{SC_MONITORPOWER, 2, true, true, true},
                           Blank{SC_MONITORPOWER | 3, 1, true, true, true}, Blank{SC_MONITORPOWER, -1, true, true, false},
                           Blank{SC_SCREENSAVE, 0, false, true, false}, Blank{SC_SCREENSAVE, 0, true, false, false},
                           Blank{SC_CLOSE, 0, true, true, false}})
        EXPECT_EQ(RefusesScreenBlanking(b.command, b.power, b.playing, b.fullScreen), b.refused) << b.command << " " << b.power;
}

LRESULT AppCommand(HWND target, int command)
{
    return SendMessageW(target, WM_APPCOMMAND, (WPARAM)target, MAKELPARAM(0, command | FAPPCOMMAND_KEY));
}

// Media keys run the menu's commands with their guards; play and pause alone act one way only;
// the list, the bar and the video pass them up to the main window; others go to the system.
TEST_F(Desktop, MediaKeysRunTheMenusCommands)
{
    EXPECT_EQ(AppCommand(MainWindow, APPCOMMAND_MEDIA_PLAY_PAUSE), TRUE);
    EXPECT_EQ(NowPlaying(), L"-1 Idle") << "guarded as the menu item is";
    AddFiles({L"a.flv", L"b.flv"});
    PlayEntry(0);
    struct Row { HWND target; int command; const wchar_t* now; int volume; bool muted; } rows[] = {
        {MainWindow, APPCOMMAND_MEDIA_PAUSE, L"0 Paused [a.flv]", 100, false},
        {MainWindow, APPCOMMAND_MEDIA_PAUSE, L"0 Paused [a.flv]", 100, false},
        {PlaylistView, APPCOMMAND_MEDIA_PLAY, L"0 Playing [a.flv]", 100, false},
        {ControlBar, APPCOMMAND_MEDIA_PLAY, L"0 Playing [a.flv]", 100, false},
        {MainWindow, APPCOMMAND_MEDIA_PLAY_PAUSE, L"0 Paused [a.flv]", 100, false},
        {MainWindow, APPCOMMAND_MEDIA_NEXTTRACK, L"1 Playing [b.flv]", 100, false},
        {MainWindow, APPCOMMAND_MEDIA_NEXTTRACK, L"1 Playing [b.flv]", 100, false},  // the last row
        {MainWindow, APPCOMMAND_MEDIA_PREVIOUSTRACK, L"0 Playing [a.flv]", 100, false},
        {MainWindow, APPCOMMAND_VOLUME_DOWN, L"0 Playing [a.flv]", 90, false},
        {GetWindow(VideoPanel, GW_CHILD), APPCOMMAND_VOLUME_UP, L"0 Playing [a.flv]", 100, false},
        {MainWindow, APPCOMMAND_VOLUME_MUTE, L"0 Playing [a.flv]", 100, true},
        {MainWindow, APPCOMMAND_MEDIA_STOP, L"0 Stopped [a.flv]", 100, true},
        {MainWindow, APPCOMMAND_MEDIA_PAUSE, L"0 Stopped [a.flv]", 100, true},
        {MainWindow, APPCOMMAND_MEDIA_PLAY, L"0 Playing [a.flv]", 100, true},
    };
    for (const Row& r : rows) {
        AppCommand(r.target, r.command);
        EXPECT_EQ(NowPlaying(), r.now) << r.command;
        EXPECT_EQ(Settings.VolumeLevel * 10 + Settings.VolumeMute, r.volume * 10 + r.muted) << r.command;
        EXPECT_EQ(IsMenuItemChecked(MainMenu, IDM_MUTE), r.muted) << r.command;
    }
    EXPECT_EQ(AppCommand(MainWindow, APPCOMMAND_BROWSER_HOME), FALSE) << "not the program's: the system's";
}

// What the shell's taskbar interface is told, kept by a stand-in for it.
struct Taskbar : ITaskbarList3 {
    TBPFLAG State = (TBPFLAG)-1;
    ULONGLONG Done = 0, Total = 0;
    int Added = 0;
    bool Moved = false;  // a position of the 12-second clip arrived
    THUMBBUTTON Buttons[3] = {};
#define NOTHING(name, ...) HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    NOTHING(HrInit) NOTHING(AddTab, HWND) NOTHING(DeleteTab, HWND) NOTHING(ActivateTab, HWND) NOTHING(SetActiveAlt, HWND)
    NOTHING(MarkFullscreenWindow, HWND, BOOL) NOTHING(RegisterTab, HWND, HWND) NOTHING(UnregisterTab, HWND)
    NOTHING(SetTabOrder, HWND, HWND) NOTHING(SetTabActive, HWND, HWND, DWORD) NOTHING(ThumbBarSetImageList, HWND, HIMAGELIST)
    NOTHING(SetOverlayIcon, HWND, HICON, LPCWSTR) NOTHING(SetThumbnailTooltip, HWND, LPCWSTR) NOTHING(SetThumbnailClip, HWND, RECT*)
#undef NOTHING
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG done, ULONGLONG total) override
    {
        Done = done, Total = total, Moved |= total == 12 && done > 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG state) override { State = state; return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT n, LPTHUMBBUTTON b) override { Added++; return ThumbBarUpdateButtons(nullptr, n, b); }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT n, LPTHUMBBUTTON b) override
    {
        std::copy(b, b + (n < 3 ? n : 3), Buttons);
        return S_OK;
    }
    // The three buttons as "-" disabled, "p" play, "=" pause, "<" previous, ">" next.
    std::wstring Shown()
    {
        std::wstring s;
        for (const THUMBBUTTON& b : Buttons)
            s += (b.dwFlags & THBF_DISABLED) ? L'-' : b.hIcon == PlayIcon ? L'p' : b.hIcon == PauseIcon ? L'=' : b.iId == IDM_PREVIOUS ? L'<' : L'>';
        return s;
    }
} Shell;
ITaskbarList3* GiveShell() { return &Shell; }
ITaskbarList3* NoTaskbar() { return nullptr; }

// Progress and thumbnail buttons follow the play state, the position and the enabled items once
// the shell announces the button; a click on one runs its command; without the interface all
// goes on as before. The icons follow the scale.
TEST_F(Desktop, TheTaskbarButtonShowsProgressAndItsThumbnailButtonsWork)
{
    UINT created = RegisterWindowMessageW(L"TaskbarButtonCreated");
    SetTaskbarFactory(NoTaskbar);
    SendMessageW(MainWindow, created, 0, 0);
    AddEntry(0, Clip(L"long.mp4").c_str());
    AddEntry(1, Clip(L"long.mp4").c_str());
    PlayEntry(0);
    EXPECT_EQ(PlayState, Playing) << "no taskbar: playing all the same";
    Command(IDM_STOP);
    Shell = {};
    SetTaskbarFactory(GiveShell);
    SendMessageW(MainWindow, created, 0, 0);
    EXPECT_EQ(Shell.Added, 1);
    struct Row { void (*act)(); TBPFLAG state; const wchar_t* buttons; } rows[] = {
        {[] {}, TBPF_NOPROGRESS, L"-p>"},
        {[] { PlayEntry(0); }, TBPF_NORMAL, L"-=>"},
        {[] { PumpUntil([] { return Shell.Moved; }, 10000); }, TBPF_NORMAL, L"-=>"},
        {[] { Command(IDM_PLAY_PAUSE); }, TBPF_PAUSED, L"-p>"},
        {[] {  // the enabled items reach the shell at the monitor's next tick
             SendMessageW(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_NEXT, THBN_CLICKED), 0);
             MonitorTick(nullptr, 0, 0, 0);
         }, TBPF_NORMAL, L"<=-"},
        {[] { Command(IDM_STOP); }, TBPF_NOPROGRESS, L"<p-"},
        {[] { RemoveAllEntries(); MonitorTick(nullptr, 0, 0, 0); }, TBPF_NOPROGRESS, L"---"},
    };
    for (const Row& r : rows) {
        r.act();
        EXPECT_EQ(Shell.State, r.state) << r.buttons;
        EXPECT_EQ(Shell.Shown(), r.buttons);
        EXPECT_TRUE(r.state != TBPF_NORMAL || Shell.Total == 12 || Shell.Total == 1) << Shell.Total;
    }
    EXPECT_TRUE(Shell.Moved) << "the position reached the shell";
    EXPECT_EQ(std::wstring(Shell.Buttons[1].szTip), L"再生/一時停止");
    RECT r = Rect(MainWindow);
    SendMessageW(MainWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), (LPARAM)&r);
    EXPECT_EQ(IconSide(Shell.Buttons[0].hIcon) * 100 + IconSide(Shell.Buttons[1].hIcon), 2424);
    CloseApp();
    SetTaskbarFactory(nullptr);
}

}  // namespace
