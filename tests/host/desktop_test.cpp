// Display scales, monitors that go, the screen kept awake, app commands, the taskbar button.
#include <windows.h>
#include <winternl.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "app/keep_awake.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "controls/control_bar.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

bool OnAMonitor() { return MonitorFromWindow(MainWindow, MONITOR_DEFAULTTONULL) != nullptr; }

int IconSide(HICON icon)
{
    ICONINFO info = {};
    BITMAP bitmap = {};
    GetIconInfo(icon, &info), GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
    return DeleteObject(info.hbmMask), DeleteObject(info.hbmColor), bitmap.bmWidth;
}

// Where the system does not count them (Wine): live rows of the GDI handle table (24-byte rows).
long GdiObjects()
{
    if (long n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return n;
    PROCESS_BASIC_INFORMATION info = {};
    NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr);
    auto* table = *reinterpret_cast<unsigned char**>(reinterpret_cast<char*>(info.PebBaseAddress) + 0xF8);
    long n = 0;
    for (int i = 0; table && i < 0x10000; ++i)
        n += table[24 * i + 14] != 0;
    return n;
}

using Desktop = AppTest;

// At each scale the window takes the suggested rectangle and every size follows, no GDI object left.
TEST_F(Desktop, EachScaleReachesEverySize)
{
    Restart("[Setting]\r\nWindowPosX=40\r\nWindowPosY=30\r\nWindowWidth=670\r\nWindowHeight=441\r\n");
    const RECT at96 = Rect(MainWindow);
    auto font = [] { LOGFONTW f = {}; GetObjectW(UiFont, sizeof f, &f); return abs(f.lfHeight); };
    const int font96 = font();
    long objects = 0;  // at the first return to 96 (Wine keeps a few objects of each scale it met)
    struct Row { int dpi; bool offScreen; int bar, seekLeft, icon, playlist; } rows[] = {
        {144, false, 45, 137, 24, 218}, {1000, true, 150, 455, 80, 727}, {20, false, 30, 91, 16, 145},
        {144, false, 45, 137, 24, 218}, {1000, true, 150, 455, 80, 727}, {96, false, 30, 91, 16, 145},
    };
    for (const Row& r : rows) {
        int dpi = ClampDpi(r.dpi);
        SIZE frame96 = OuterSizeAt(0, 0, 96), frame = OuterSizeAt(0, 0, dpi);
        RECT suggested = {40, 30, 40 + ScaleWindowSide(670, frame96.cx, frame.cx, 96, dpi),
                          30 + ScaleWindowSide(441, frame96.cy, frame.cy, 96, dpi)};
        OffsetRect(&suggested, r.offScreen ? -30000 : 0, 0);
        SendMessageW(MainWindow, WM_DPICHANGED, MAKEWPARAM(r.dpi, r.dpi), (LPARAM)&suggested);
        for (int i = 0; i < 4; i++)  // the play/pause icon changes with every file and every pause
            SetPlayState(i % 2 ? Playing : Paused);
        RECT now = Rect(MainWindow), seek = Rect(SeekBar), bar = Rect(ControlBar);
        EXPECT_TRUE(r.offScreen ? OnAMonitor() : EqualRect(&now, &suggested)) << r.dpi;
        EXPECT_EQ(std::vector({(int)(bar.bottom - bar.top), (int)(seek.left - bar.left), IconSide(ButtonIcon(PlayPauseButton)),
                               Settings.PlayListWidth, (int)(font() > font96)}),
                  std::vector({r.bar, r.seekLeft, r.icon, r.playlist, (int)(dpi > 96)})) << r.dpi;
        if (dpi == 96) {
            long count = GdiObjects();
            EXPECT_TRUE(EqualRect(&now, &at96) && (!objects || count == objects)) << count << " GDI objects, " << objects << " before";
            objects = count;
        }
    }
}

// A window on no monitor comes back at start and when the displays change; full screen follows.
TEST_F(Desktop, AWindowOnNoMonitorComesBack)
{
    Restart("[Setting]\r\nWindowPosX=-30000\r\nWindowPosY=-30000\r\n");
    EXPECT_TRUE(OnAMonitor());
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MoveWindow(MainWindow, 50000, 40000, 600, 400, TRUE);
    SendMessageW(MainWindow, WM_DISPLAYCHANGE, 32, 0);
    RECT r = Rect(MainWindow);
    EXPECT_TRUE(OnAMonitor() && r.right - r.left == 600 && r.bottom - r.top == 400);
    Command(IDM_FULL_SCREEN);
    MoveWindow(MainWindow, 10, 10, 300, 200, TRUE);
    SendMessageW(MainWindow, WM_DISPLAYCHANGE, 32, 0);
    r = Rect(MainWindow);
    EXPECT_TRUE(EqualRect(&r, &screen));
    Settings.WindowPosX = -30000;  // the monitor it came from went meanwhile
    Command(IDM_ESCAPE);
    EXPECT_TRUE(OnAMonitor());
}

std::vector<EXECUTION_STATE> Requests;

// Playing keeps the system awake until pause, stop, end or exit; blanking is refused playing in full screen.
TEST_F(Desktop, PlayingKeepsTheScreenAwakeUntilPauseStopEndOrExit)
{
    SetExecutionStateHandler([](EXECUTION_STATE state) -> EXECUTION_STATE { return Requests.push_back(state), ES_CONTINUOUS; });
    Requests.clear();
    AddFiles({L"a.flv", L"b.flv"});
    const EXECUTION_STATE on = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED, off = ES_CONTINUOUS;
    PlayEntry(0), Command(IDM_NEXT), Command(IDM_PLAY_PAUSE), Command(IDM_PLAY_PAUSE), Command(IDM_STOP);
    PlayEntry(1), AdvanceAfterEnd(), PlayEntry(0), CloseApp();
    EXPECT_EQ(Requests, (std::vector<EXECUTION_STATE>{on, off, on, off, on, off, on, off}));
    SetExecutionStateHandler(nullptr);
    struct Blank { WPARAM command; LPARAM power; bool playing, fullScreen, refused; };
    for (const Blank& b : {Blank{SC_SCREENSAVE, 0, true, true, true}, Blank{SC_MONITORPOWER | 3, 2, true, true, true},
                           Blank{SC_MONITORPOWER, -1, true, true, false}, Blank{SC_SCREENSAVE, 0, false, true, false},
                           Blank{SC_SCREENSAVE, 0, true, false, false}, Blank{SC_CLOSE, 0, true, true, false}})
        EXPECT_EQ(RefusesScreenBlanking(b.command, b.power, b.playing, b.fullScreen), b.refused) << b.command;
}

// App commands run the menu's commands with their guards, from any window; others go to the system.
TEST_F(Desktop, AppCommandsRunTheMenusCommands)
{
    auto send = [](HWND target, int command) {
        return SendMessageW(target, WM_APPCOMMAND, (WPARAM)target, MAKELPARAM(0, command | FAPPCOMMAND_KEY));
    };
    EXPECT_TRUE(send(MainWindow, APPCOMMAND_MEDIA_PLAY) && NowPlaying() == L"-1 Idle") << "guarded";
    AddFiles({L"a.flv"});
    PlayEntry(0);
    send(PlaylistView, APPCOMMAND_MEDIA_PAUSE), send(GetWindow(VideoPanel, GW_CHILD), APPCOMMAND_MEDIA_PAUSE);
    EXPECT_EQ(NowPlaying(), L"0 Paused [a.flv]");
    send(ControlBar, APPCOMMAND_MEDIA_PLAY_PAUSE);
    EXPECT_EQ(NowPlaying(), L"0 Playing [a.flv]");
    EXPECT_FALSE(send(MainWindow, APPCOMMAND_BROWSER_HOME));
}

// What the shell's taskbar interface is told, kept by a stand-in for it.
struct Taskbar : ITaskbarList3 {
    TBPFLAG State;
    bool Moved;  // a position of the 12-second clip arrived
    THUMBBUTTON Buttons[3];
#define NOTHING(name, ...) HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    NOTHING(HrInit) NOTHING(AddTab, HWND) NOTHING(DeleteTab, HWND) NOTHING(ActivateTab, HWND) NOTHING(SetActiveAlt, HWND)
    NOTHING(MarkFullscreenWindow, HWND, BOOL) NOTHING(RegisterTab, HWND, HWND) NOTHING(UnregisterTab, HWND)
    NOTHING(SetTabOrder, HWND, HWND) NOTHING(SetTabActive, HWND, HWND, DWORD) NOTHING(ThumbBarSetImageList, HWND, HIMAGELIST)
    NOTHING(SetOverlayIcon, HWND, HICON, LPCWSTR) NOTHING(SetThumbnailTooltip, HWND, LPCWSTR) NOTHING(SetThumbnailClip, HWND, RECT*)
#undef NOTHING
#define KEEP(name, ...) HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override
    KEEP(SetProgressValue, HWND, ULONGLONG at, ULONGLONG total) { return Moved |= total == 12 && at, S_OK; }
    KEEP(SetProgressState, HWND, TBPFLAG state) { return State = state, S_OK; }
    KEEP(ThumbBarAddButtons, HWND w, UINT n, LPTHUMBBUTTON b) { return ThumbBarUpdateButtons(w, n, b); }
    KEEP(ThumbBarUpdateButtons, HWND, UINT n, LPTHUMBBUTTON b) { return std::copy(b, b + n, Buttons), S_OK; }
#undef KEEP
    std::wstring Shown()  // the state and "-" disabled, "p" play, "=" pause, "<" previous, ">" next
    {
        std::wstring s = std::to_wstring(State) + L" ";
        for (const THUMBBUTTON& b : Buttons)
            s += (b.dwFlags & THBF_DISABLED) ? L'-' : b.hIcon == PlayIcon ? L'p' : b.hIcon == PauseIcon ? L'='
                                                   : b.iId == IDM_PREVIOUS ? L'<' : L'>';
        return s;
    }
} Shell;

// Progress and thumbnail buttons follow play state, position and items; without a taskbar all goes on.
TEST_F(Desktop, TheTaskbarButtonShowsProgressAndItsThumbnailButtonsWork)
{
    UINT created = RegisterWindowMessageW(L"TaskbarButtonCreated");
    AddEntry(0, Clip(L"long.mp4").c_str());
    AddEntry(1, Clip(L"long.mp4").c_str());
    for (TaskbarFactory none : {(TaskbarFactory)nullptr, (TaskbarFactory)[]() -> ITaskbarList3* { return nullptr; }}) {
        SetTaskbarFactory(none);
        SendMessageW(MainWindow, created, 0, 0);
        PlayEntry(0), Command(IDM_STOP);
        EXPECT_EQ(NowPlaying(), L"0 Stopped [long.mp4]");
    }
    Shell = {};
    SetTaskbarFactory([]() -> ITaskbarList3* { return &Shell; });
    SendMessageW(MainWindow, created, 0, 0);
    void (*steps[])() = {[] {}, [] { PlayEntry(0); }, [] { PumpUntil([] { return Shell.Moved; }, 10000); },
                         [] { Command(IDM_PLAY_PAUSE); }, [] { Command(MAKEWPARAM(IDM_NEXT, THBN_CLICKED)); },
                         [] { MonitorTick(nullptr, 0, 0, 0); }, [] { Command(IDM_STOP); }};
    std::wstring shown;
    for (auto step : steps)
        step(), shown += Shell.Shown() + L"|";
    EXPECT_EQ(shown, L"0 -p>|2 -=>|2 -=>|8 -p>|2 -=>|2 <=-|0 <p-|");  // none 0, normal 2, paused 8
    EXPECT_TRUE(Shell.Moved) << "the position reached the shell";
    RECT r = Rect(MainWindow);
    SendMessageW(MainWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), (LPARAM)&r);
    EXPECT_EQ(IconSide(Shell.Buttons[0].hIcon) * 100 + IconSide(Shell.Buttons[1].hIcon), 2424);
    CloseApp();
    SetTaskbarFactory(nullptr);
}

}  // namespace
