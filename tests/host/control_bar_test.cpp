// The control bar, its widgets and the splitter as real windows driven by mouse messages,
// with pixels read back through WM_PRINTCLIENT; and one click in the real program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/aspect.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app_run.h"
#include "controls/seek_bar.h"
#include "engine/monitor.h"
#include "engine/player/media_engine.h"
#include "engine/playback_commands.h"
#include "engine/video_panel.h"
#include "host_support.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

namespace {

// A window's client area as drawn by its paint function.
struct Picture {
    int Width = 0, Height = 0;
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[y * Width + x]; }
    bool operator==(const Picture& o) const { return Pixels == o.Pixels; }
};

template <typename Draw>
Picture Capture(int width, int height, Draw draw)
{
    Picture p;
    p.Width = width, p.Height = height;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            p.Pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return p;
}

Picture Print(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return Capture(r.right, r.bottom, [&](HDC dc) { SendMessageW(window, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT); });
}

void Mouse(HWND window, UINT message, int x, int y = 5)
{
    SendMessageW(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM((short)x, (short)y));
}

void Click(HWND window, int x)
{
    Mouse(window, WM_LBUTTONDOWN, x);
    Mouse(window, WM_LBUTTONUP, x);
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
    RECT r = {0, 0, width, 300};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    MoveWindow(MainWindow, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    return name;
}

struct Bar : ::testing::Test {
    CapturedBoxes boxes;
    void SetUp() override
    {
        WriteTestIni("");
        ASSERT_TRUE(StartApp());
    }
    void TearDown() override { CloseApp(); }
    // Plays a real clip, then pins the duration the bar maps with (nothing is pumped
    // meanwhile, so the monitor does not overwrite it).
    void Play(unsigned duration)
    {
        AddEntry(PlaylistCount(), Clip(L"long.mp4").c_str());
        PlayEntry(0);
        PlaybackDuration = duration;
    }
    void Put(const wchar_t* name, const wchar_t* value) { SetVariable(PanelEngine(), name, value); }
};

TEST_F(Bar, ChildrenIdsClassesAndPlacesAtThreeWidths)
{
    EXPECT_EQ(ClassOf(ControlBar), L"wc");
    EXPECT_EQ(ClassOf(Splitter), L"ws");
    EXPECT_EQ(GetParent(ControlBar), MainWindow);
    EXPECT_EQ(GetParent(Splitter), MainWindow);
    EXPECT_EQ(GetDlgCtrlID(ControlBar), IDC_PANEL);
    EXPECT_EQ(GetDlgCtrlID(Splitter), IDC_PANEL);

    struct Row { HWND window; const wchar_t* cls; int id; DWORD style; int x, xFromRight, y, w, wFromRight, h; };
    for (int width : {390, 600, 900}) {
        SetClientWidth(width);
        RECT client;
        GetClientRect(MainWindow, &client);
        ASSERT_EQ(client.right, width);
        RECT bar = RectIn(ControlBar, MainWindow);
        EXPECT_TRUE(bar.left == 0 && bar.right == width && bar.bottom == client.bottom && bar.top == client.bottom - 30);
        EXPECT_EQ(RectIn(Splitter, MainWindow).left, width - Settings.PlayListWidth - 5);

        const Row rows[] = {
            {PlayPauseButton, L"Button", IDC_PLAY_PAUSE, BS_ICON, 2, 0, 2, 54, 0, 26},
            {StopButton, L"Button", IDC_STOP, BS_ICON, 58, 0, 2, 26, 0, 26},
            {SeekBar, L"csb", IDC_SEEK_BAR, WS_BORDER, 91, 0, 5, -321, 1, 20},
            {TimeDisplay, L"ctt", IDC_TIME_DISPLAY, 0, -228, 1, 5, 100, 0, 20},
            {VolumeSlider, L"cvb", IDC_VOLUME, WS_BORDER, -88, 1, 7, 50, 0, 16},
            {MuteButton, L"Button", IDC_MUTE, BS_ICON, -118, 1, 2, 26, 0, 26},
            {MenuButton, L"Button", IDC_MENU_BUTTON, BS_ICON, -28, 1, 2, 26, 0, 26},
        };
        HWND child = GetWindow(ControlBar, GW_CHILD);
        for (const Row& r : rows) {
            EXPECT_EQ(child, r.window) << "creation order, id " << r.id;
            child = GetWindow(child, GW_HWNDNEXT);
            EXPECT_EQ(ClassOf(r.window), r.cls);
            EXPECT_EQ(GetDlgCtrlID(r.window), r.id);
            EXPECT_EQ(GetWindowLongW(r.window, GWL_STYLE) & r.style, r.style) << r.id;
            RECT p = RectIn(r.window, ControlBar);
            RECT want = {r.x + r.xFromRight * width, r.y, 0, r.y + r.h};
            want.right = want.left + r.w + r.wFromRight * width;
            EXPECT_TRUE(EqualRect(&p, &want)) << r.id << " at " << width << ": " << p.left << "," << p.top
                                              << " " << p.right - p.left << "x" << p.bottom - p.top;
        }
    }
    SetClientWidth(390);
    EXPECT_EQ(RectIn(SeekBar, ControlBar).right - RectIn(SeekBar, ControlBar).left, 69);
}

TEST_F(Bar, ButtonsFollowThePlayStateAndClicksTakeTheCommandPath)
{
    struct Row { const char* step; void (*act)(); PlayStateValue state; bool play, stop; HICON* icon; };
    const Row rows[] = {
        {"start-up", [] {}, Idle, false, false, &PlayIcon},
        {"disabled click", [] { SendMessageW(PlayPauseButton, BM_CLICK, 0, 0); }, Idle, false, false, &PlayIcon},
        {"play", [] {
             AddEntry(0, Clip(L"long.mp4").c_str());
             PlayEntry(0);
         }, Playing, true, true, &PauseIcon},
        {"pause", [] { SendMessageW(PlayPauseButton, BM_CLICK, 0, 0); }, Paused, true, true, &PlayIcon},
        {"resume", [] { SendMessageW(PlayPauseButton, BM_CLICK, 0, 0); }, Playing, true, true, &PauseIcon},
        {"stop", [] { SendMessageW(StopButton, BM_CLICK, 0, 0); }, Stopped, true, false, &PlayIcon},
        {"space on the bar", [] { SendMessageW(ControlBar, WM_KEYUP, VK_SPACE, 0); }, Playing, true, true, &PauseIcon},
    };
    for (const Row& r : rows) {
        r.act();
        EXPECT_EQ(PlayState, r.state) << r.step;
        EXPECT_EQ(IsWindowEnabled(PlayPauseButton) != 0, r.play) << r.step;
        EXPECT_EQ(IsWindowEnabled(StopButton) != 0, r.stop) << r.step;
        EXPECT_EQ((HICON)SendMessageW(PlayPauseButton, BM_GETIMAGE, IMAGE_ICON, 0), *r.icon) << r.step;
        EXPECT_NE(SendMessageW(StopButton, BM_GETIMAGE, IMAGE_ICON, 0), 0) << r.step;
    }
    EXPECT_NE(PlayIcon, nullptr);
    EXPECT_NE(PauseIcon, nullptr);
    // The menu button and a right press on the bar open the main menu (not yet filled in).
    SendMessageW(MenuButton, BM_CLICK, 0, 0);
    Mouse(ControlBar, WM_RBUTTONDOWN, 88);
}

TEST_F(Bar, SeekClickPausesAroundOneSeekAndDragsClamp)
{
    SetClientWidth(423);  // a seek bar of 100 client pixels
    RECT r;
    GetClientRect(SeekBar, &r);
    ASSERT_EQ(r.right, 100);
    Play(100);

    Put(L"state_seek", L"-1");
    Mouse(SeekBar, WM_LBUTTONDOWN, 40);
    EXPECT_EQ(EngineValue(L"state_pause"), L"1");
    EXPECT_EQ(EngineValue(L"state_seek"), L"-1") << "the press itself does not seek";
    EXPECT_TRUE(SeekDragActive);
    EXPECT_EQ(GetCapture(), SeekBar);
    Mouse(SeekBar, WM_LBUTTONUP, 40);
    EXPECT_EQ(EngineValue(L"state_seek"), L"40");
    EXPECT_EQ(EngineValue(L"state_pause"), L"0");
    EXPECT_EQ(PlayState, Playing) << "the buttons kept showing Playing";
    EXPECT_FALSE(SeekDragActive);
    EXPECT_EQ(GetCapture(), nullptr);

    struct Row { unsigned durationAtPress, durationWhileDragging; int x; const wchar_t* seek; };
    const Row rows[] = {
        {100, 100, -50, L"0"}, {100, 100, 75, L"75"}, {100, 100, 100, L"95"}, {100, 100, 150, L"95"},
        {3, 3, 150, L"0"},        // a file shorter than five seconds seeks to 0, not to -2
        {100, 0, 70, L"0"},       // the duration went while the button was held
        {100, 40, 75, L"30"},     // ...or changed
    };
    for (const Row& row : rows) {
        PlaybackDuration = row.durationAtPress;
        Mouse(SeekBar, WM_LBUTTONDOWN, 50);
        PlaybackDuration = row.durationWhileDragging;
        Mouse(SeekBar, WM_MOUSEMOVE, row.x);
        EXPECT_EQ(EngineValue(L"state_seek"), row.seek) << row.x << " of " << row.durationWhileDragging;
        Mouse(SeekBar, WM_LBUTTONUP, row.x);
        EXPECT_EQ(EngineValue(L"state_seek"), row.seek) << row.x << " of " << row.durationWhileDragging;
    }

    // A drag whose capture is taken away ends without seeking.
    PlaybackDuration = 100;
    Mouse(SeekBar, WM_LBUTTONDOWN, 10);
    Mouse(SeekBar, WM_MOUSEMOVE, 30);
    EXPECT_EQ(EngineValue(L"state_seek"), L"30");
    Put(L"state_seek", L"-1");
    SetCapture(VolumeSlider);
    EXPECT_FALSE(SeekBarDragging());
    EXPECT_FALSE(SeekDragActive);
    EXPECT_EQ(EngineValue(L"state_pause"), L"0");
    ReleaseCapture();
    Mouse(SeekBar, WM_LBUTTONUP, 80);
    EXPECT_EQ(EngineValue(L"state_seek"), L"-1");

    // Paused: no pause or resume is written; Stopped: a press does nothing.
    SendMessageW(PlayPauseButton, BM_CLICK, 0, 0);
    Put(L"state_pause", L"7");
    Click(SeekBar, 20);
    EXPECT_EQ(EngineValue(L"state_pause"), L"7");
    EXPECT_EQ(EngineValue(L"state_seek"), L"20");
    SendMessageW(StopButton, BM_CLICK, 0, 0);
    Put(L"state_seek", L"-1");
    Mouse(SeekBar, WM_LBUTTONDOWN, 20);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(SeekDragActive);
    Mouse(SeekBar, WM_LBUTTONUP, 20);
    EXPECT_EQ(EngineValue(L"state_seek"), L"-1");
}

TEST_F(Bar, SectionIsDrawnAndItsMarkersDragged)
{
    SetClientWidth(423);
    Play(100);
    Settings.Repeat = RepeatSection;
    Section = {20, 60, 1, 0, 0};
    PlaybackPosition = 30;
    Picture p = Print(SeekBar);
    const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW), green = RGB(0, 255, 0);
    int bottom = p.Height - 1;
    struct Pixel { int x, y; COLORREF colour; };
    const Pixel pixels[] = {
        {0, 0, shadow}, {18, 0, shadow}, {19, 0, green}, {20, 0, green}, {21, 0, shadow}, {29, 0, shadow},
        {30, 0, face}, {58, 0, face}, {59, 0, green}, {60, 0, green}, {61, 0, face},
        {25, bottom, green}, {40, bottom, green}, {40, bottom - 3, green}, {40, bottom - 4, face},
        {61, bottom, face}, {10, bottom, shadow},
    };
    for (const Pixel& px : pixels)
        EXPECT_EQ(p.At(px.x, px.y), px.colour) << px.x << "," << px.y;

    // The start marker: its seek also moves the loop point.
    Mouse(SeekBar, WM_LBUTTONDOWN, 22);
    EXPECT_EQ(Section.SectionDrag, 1u);
    Mouse(SeekBar, WM_LBUTTONUP, 25);
    EXPECT_EQ(EngineValue(L"state_seek"), L"25");
    EXPECT_EQ(Section.SectionLoopPoint, 25u);
    EXPECT_EQ(Section.SectionDrag, 0u);

    // The end marker stops one second after the start and seeks nothing; the monitor rests.
    Put(L"state_seek", L"-1");
    Mouse(SeekBar, WM_LBUTTONDOWN, 61);
    EXPECT_EQ(Section.SectionDrag, 2u);
    Mouse(SeekBar, WM_MOUSEMOVE, 5);
    EXPECT_EQ(Section.SectionEnd, 21u);
    VideoWidth = 999;
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(VideoWidth, 999) << "no reads while the end marker is dragged";
    Mouse(SeekBar, WM_LBUTTONUP, 80);
    EXPECT_EQ(Section.SectionEnd, 80u);
    EXPECT_EQ(Section.SectionStart, 20u);
    EXPECT_EQ(EngineValue(L"state_seek"), L"-1");
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_NE(VideoWidth, 999);

    // No duration: no elapsed part, no section.
    PlaybackDuration = 0;
    Picture empty = Print(SeekBar);
    for (int x : {0, 20, 40, 60})
        EXPECT_EQ(empty.At(x, 0), face) << x;
}

TEST_F(Bar, HoverTimeSitsOnTheInnerSideOfThePointer)
{
    SetClientWidth(423);
    Play(100);
    PlaybackPosition = 0;
    struct Row { int x, from, to; };  // the text lies within from..to and nowhere else
    const Row rows[] = {{20, 30, 80}, {49, 59, 100}, {50, 0, 40}, {80, 20, 70}};
    for (const Row& r : rows) {
        Mouse(SeekBar, WM_MOUSEMOVE, r.x, 8);
        Picture p = Print(SeekBar);
        int inside = 0, outside = 0;
        for (int y = 0; y < p.Height; y++)
            for (int x = 0; x < p.Width; x++)
                if (p.At(x, y) != GetSysColor(COLOR_BTNFACE))
                    (x >= r.from && x < r.to ? inside : outside)++;
        EXPECT_GT(inside, 0) << r.x;
        EXPECT_EQ(outside, 0) << r.x;
    }
}

TEST_F(Bar, VolumeEdgesAndMutedDrag)
{
    HWND v = VolumeSlider;
    struct Row { int press, move, release, level; const wchar_t* sent; };
    const Row rows[] = {{0, 0, 0, 0, L"0"}, {48, 48, 48, 100, L"100"}, {24, -30, -30, 0, L"0"},
                        {24, 200, 200, 100, L"100"}, {5, 30, 24, 50, L"50"}};
    for (const Row& r : rows) {
        Mouse(v, WM_LBUTTONDOWN, r.press);
        Mouse(v, WM_MOUSEMOVE, r.move);
        Mouse(v, WM_LBUTTONUP, r.release);
        EXPECT_EQ(Settings.VolumeLevel, r.level) << r.release;
        EXPECT_EQ(EngineValue(L"state_volume"), r.sent) << r.release;
        EXPECT_EQ(GetCapture(), nullptr);
    }
    SendMessageW(MuteButton, BM_CLICK, 0, 0);
    EXPECT_EQ((HICON)SendMessageW(MuteButton, BM_GETIMAGE, IMAGE_ICON, 0), MutedIcon);
    EXPECT_EQ(EngineValue(L"state_volume"), L"0");
    Mouse(v, WM_LBUTTONDOWN, 10);
    Mouse(v, WM_MOUSEMOVE, 12);
    Mouse(v, WM_LBUTTONUP, 12);
    EXPECT_EQ(Settings.VolumeLevel, 25);
    EXPECT_EQ(EngineValue(L"state_volume"), L"0") << "muted: nothing sent";
    Picture p = Print(v);
    EXPECT_EQ(p.At(11, 8), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(p.At(12, 8), GetSysColor(COLOR_BTNFACE));
    SendMessageW(MuteButton, BM_CLICK, 0, 0);
    EXPECT_EQ((HICON)SendMessageW(MuteButton, BM_GETIMAGE, IMAGE_ICON, 0), SoundIcon);
    EXPECT_EQ(EngineValue(L"state_volume"), L"25") << "unmuting sends the new level";
    // Moves without a press change nothing.
    Mouse(v, WM_MOUSEMOVE, 40);
    EXPECT_EQ(Settings.VolumeLevel, 25);
}

TEST_F(Bar, TimeTextRightAlignedWithEllipsis)
{
    struct Row { unsigned position, duration; const wchar_t* text; bool cut; };
    const Row rows[] = {{0, 0, L"   0:00/   0:00", false}, {3725, 7200, L"  62:05/ 120:00", false},
                        {4294967295u, 4294967295u, L"71582788:15/71582788:15", true}};
    RECT client;
    GetClientRect(TimeDisplay, &client);
    ASSERT_EQ(client.right, 100);
    for (const Row& r : rows) {
        PlaybackPosition = r.position;
        PlaybackDuration = r.duration;
        auto drawn = [&](UINT flags) {
            return Capture(client.right, client.bottom, [&](HDC dc) {
                FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
                SelectObject(dc, UiFont);
                RECT box = client;
                DrawTextExW(dc, (wchar_t*)r.text, -1, &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | flags, nullptr);
            });
        };
        Picture shown = Print(TimeDisplay);
        EXPECT_TRUE(shown == drawn(DT_END_ELLIPSIS)) << r.position;
        EXPECT_EQ(shown == drawn(0), !r.cut) << r.position;
    }
}

TEST_F(Bar, SplitterDragStaysWithinLimitsAndIsSaved)
{
    ASSERT_TRUE(IsWindowVisible(PlaylistPanel));
    struct Row { int width, pointer, left; };
    const Row rows[] = {{600, -200, 50}, {600, 10000, 500}, {400, -5, 50}, {400, 390, 300}, {600, 300, 300}};
    for (const Row& r : rows) {
        SetClientWidth(r.width);
        int at = RectIn(Splitter, MainWindow).left;
        Mouse(Splitter, WM_LBUTTONDOWN, 2);
        Mouse(Splitter, WM_MOUSEMOVE, r.pointer - at);
        EXPECT_EQ(RectIn(Splitter, MainWindow).left, r.left) << r.pointer << " in " << r.width;
        Mouse(Splitter, WM_LBUTTONUP, r.pointer - at);
        EXPECT_EQ(Settings.PlayListWidth, r.width - r.left - 5);
        RECT list = RectIn(PlaylistPanel, MainWindow), video = RectIn(VideoPanel, MainWindow);
        EXPECT_EQ(list.right - list.left, Settings.PlayListWidth) << r.pointer << " in " << r.width;
        EXPECT_EQ(video.right, r.left);
    }
    // A press without movement changes nothing.
    RECT before = RectIn(PlaylistPanel, MainWindow);
    Click(Splitter, 2);
    RECT after = RectIn(PlaylistPanel, MainWindow);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(Settings.PlayListWidth, 295);
    CloseApp();
    EXPECT_EQ(IniValue(ReadTestIni(), "PlayListWidth"), "295");
}

TEST(ControlBarStart, FarOutOfRangeSettingsLeaveTheWidgetsUsable)
{
    struct Row { const char* ini; COLORREF levelEnd; };
    const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW);
    const Row rows[] = {
        {"[Setting]\r\nPlayListWidth=2147483647\r\nVolumeLevel=2147483647\r\n", shadow},
        {"[Setting]\r\nPlayListWidth=-2147483648\r\nVolumeLevel=-2147483648\r\n", face},
    };
    for (const Row& r : rows) {
        CapturedBoxes boxes;
        WriteTestIni(r.ini);
        ASSERT_TRUE(StartApp());
        SetClientWidth(600);
        EXPECT_EQ(Print(VolumeSlider).At(47, 8), r.levelEnd) << r.ini;
        int at = RectIn(Splitter, MainWindow).left;
        Mouse(Splitter, WM_LBUTTONDOWN, 2);
        Mouse(Splitter, WM_MOUSEMOVE, 300 - at);
        Mouse(Splitter, WM_LBUTTONUP, 300 - at);
        EXPECT_EQ(Settings.PlayListWidth, 295) << r.ini;
        EXPECT_EQ(RectIn(VideoPanel, MainWindow).right, 300) << r.ini;
        CloseApp();
    }
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_CREATE ? -1 : DefWindowProcW(window, message, wParam, lParam);
}

TEST(ControlBarStart, AChildThatCannotBeMadeFailsTheStart)
{
    WriteTestIni("");
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(L"ctt", instance);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RefuseCreation;
    wc.hInstance = instance;
    wc.lpszClassName = L"ctt";
    ASSERT_TRUE(RegisterClassW(&wc));
    {
        CapturedBoxes boxes;
        EXPECT_FALSE(StartApp());
        EXPECT_EQ(ControlBar, nullptr);
        EXPECT_EQ(TimeDisplay, nullptr);
        FinishNimbrel();
        EXPECT_EQ(LastCapturedBox().Text, L"初期化に失敗しました");
    }
    UnregisterClassW(L"ctt", instance);
    ASSERT_TRUE(StartApp());
    EXPECT_NE(TimeDisplay, nullptr);
    CloseApp();
}

TEST(ControlBarProcess, ClickOnStopStopsTheClipAndGraysTheButton)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"nimbrel-stop-click";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\Nimbrel.exe";
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"\"" + Clip(L"long.mp4") + L"\"", folder, &pi));
    HWND window = WaitForProcessWindow(pi.dwProcessId, L"Nimbrel", 10000);
    HWND bar = window ? FindWindowExW(window, nullptr, L"wc", nullptr) : nullptr;
    HWND stop = bar ? GetDlgItem(bar, IDC_STOP) : nullptr;
    HWND play = bar ? GetDlgItem(bar, IDC_PLAY_PAUSE) : nullptr;
    ASSERT_NE(stop, nullptr);
    auto waitFor = [](auto done) {
        for (int i = 0; i < 200 && !done(); i++)
            Sleep(50);
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(stop) != 0; })) << "the clip did not start";
    PostMessageW(stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(stop, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(waitFor([&] { return !IsWindowEnabled(stop); }));
    EXPECT_TRUE(IsWindowEnabled(play));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);
    DeleteFileW(exe.c_str());
    DeleteFileW((folder + L"\\Nimbrel.ini").c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
