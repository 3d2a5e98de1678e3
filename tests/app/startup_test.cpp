// The program started in-process: window geometry, saved settings, start-up failure.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app_run.h"
#include "resources/resource.h"

namespace {

SIZE Client()
{
    RECT r;
    GetClientRect(MainWindow, &r);
    return {r.right, r.bottom};
}

SIZE OuterForClient(int width, int height)
{
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    return {r.right - r.left, r.bottom - r.top};
}

std::string KnownPlace(int x, int y)
{
    SIZE outer = OuterForClient(662, 414);
    return "[Setting]\r\nWindowPosX=" + std::to_string(x) + "\r\nWindowPosY=" + std::to_string(y) +
           "\r\nWindowWidth=" + std::to_string(outer.cx) + "\r\nWindowHeight=" +
           std::to_string(outer.cy) + "\r\n";
}

TEST(Startup, WithoutSettingsFileOpens662x414AndSavesTheDefaults)
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(IsWindowVisible(MainWindow));
    EXPECT_EQ(Client().cx, 662);
    EXPECT_EQ(Client().cy, 414);
    wchar_t title[64];
    GetWindowTextW(MainWindow, title, 64);
    EXPECT_STREQ(title, L"Nimbrel");
    EXPECT_EQ(GetMenu(MainWindow), nullptr);
    RECT placed;
    GetWindowRect(MainWindow, &placed);
    EXPECT_EQ(CloseApp(), 0);

    std::string ini = ReadTestIni();
    SIZE outer = OuterForClient(662, 414);
    EXPECT_EQ(IniValue(ini, "WindowPosX"), std::to_string(placed.left));
    EXPECT_EQ(IniValue(ini, "WindowPosY"), std::to_string(placed.top));
    EXPECT_EQ(IniValue(ini, "WindowWidth"), std::to_string(outer.cx));
    EXPECT_EQ(IniValue(ini, "WindowHeight"), std::to_string(outer.cy));
    const char* defaults[][2] = {{"Repeat", "0"},       {"VolumeMute", "0"},     {"VolumeLevel", "100"},
                                 {"WindowTop", "0"},    {"PlayListShow", "1"},   {"PlayListWidth", "145"},
                                 {"Quality", "2"},      {"Smoothing", "1"},      {"Deblocking", "0"},
                                 {"Maximize", "0"},     {"AspectRatio1", "4003"}, {"AspectRatio2", "16009"},
                                 {"AspectRatio3", "5004"}, {"AspectRatio4", "16010"},
                                 {"AspectRatio5", "17009"}, {"AspectRatio6", "21009"},
                                 {"AspectRatio7", "0"}, {"AspectRatio10", "0"}};
    for (auto& d : defaults)
        EXPECT_EQ(IniValue(ini, d[0]), d[1]) << d[0];
    EXPECT_EQ(ini.rfind("[Setting]", 0), 0u);
}

TEST(Startup, MenusReflectTheLoadedSettings)
{
    WriteTestIni("[Setting]\r\nRepeat=3\r\nQuality=7\r\nSmoothing=0\r\nDeblocking=2\r\nWindowTop=1\r\n"
                 "PlayListShow=0\r\nAspectRatio1=2391000\r\nAspectRatio7=2039\r\n");
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_REPEAT_SECTION));
    for (UINT id = IDM_QUALITY_LOW; id <= IDM_QUALITY_HIGH; id++)
        EXPECT_FALSE(IsMenuItemChecked(MainMenu, id)) << "quality 7 names no item";
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_SMOOTHING_OFF));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_DEBLOCK_ON));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_ASPECT_NATURAL));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_ALWAYS_ON_TOP));
    EXPECT_TRUE(GetWindowLongW(MainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_SHOW_PLAYLIST));

    auto label = [](UINT id) {
        wchar_t text[64] = L"";
        GetMenuStringW(MainMenu, id, text, 64, MF_BYCOMMAND);
        return std::wstring(text);
    };
    EXPECT_EQ(label(40081), L"---");  // 391 : 0 is not usable
    EXPECT_FALSE(IsMenuItemEnabled(MainMenu, 40081));
    EXPECT_EQ(label(40082), L"16 ： 9");
    EXPECT_EQ(label(40087), L"2 ： 39");
    EXPECT_TRUE(IsMenuItemEnabled(MainMenu, 40087));
    EXPECT_EQ(label(40088), L"---");
    EXPECT_FALSE(IsMenuItemEnabled(MainMenu, 40088));
    EXPECT_EQ(CloseApp(), 0);
    EXPECT_EQ(IniValue(ReadTestIni(), "Quality"), "7");
}

TEST(Startup, DefaultAspectLabelsLoseTheDoubleSpace)
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    wchar_t text[64];
    GetMenuStringW(MainMenu, 40081, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"4 ： 3");
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_REPEAT_LIST_ONCE));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_QUALITY_HIGH));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_SMOOTHING_ON));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_DEBLOCK_AUTO));
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_SHOW_PLAYLIST));
    CloseApp();
}

TEST(Startup, NegativePositionsOtherThanMinusOneAreUsed)
{
    WriteTestIni(KnownPlace(-20, -5));
    ASSERT_TRUE(StartApp());
    RECT r;
    GetWindowRect(MainWindow, &r);
    EXPECT_EQ(r.left, -20);
    EXPECT_EQ(r.top, -5);
    CloseApp();
    EXPECT_EQ(IniValue(ReadTestIni(), "WindowPosX"), "-20");
    EXPECT_EQ(IniValue(ReadTestIni(), "WindowPosY"), "-5");
}

TEST(Startup, MaximizedWindowDisablesFullScreenAndSizesUntilRestored)
{
    WriteTestIni(KnownPlace(40, 30) + "Maximize=1\r\n");
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(IsZoomed(MainWindow));
    EXPECT_FALSE(IsMenuItemEnabled(MainMenu, IDM_FULL_SCREEN));
    for (UINT id = IDM_SIZE_25; id <= IDM_SIZE_CURRENT; id++)
        EXPECT_FALSE(IsMenuItemEnabled(MainMenu, id)) << id;

    ShowWindow(MainWindow, SW_RESTORE);
    EXPECT_TRUE(IsMenuItemEnabled(MainMenu, IDM_FULL_SCREEN));
    for (UINT id = IDM_SIZE_25; id <= IDM_SIZE_CURRENT; id++)
        EXPECT_TRUE(IsMenuItemEnabled(MainMenu, id)) << id;
    EXPECT_EQ(Client().cx, 662);

    ShowWindow(MainWindow, SW_MAXIMIZE);
    EXPECT_EQ(CloseApp(), 0);
    std::string ini = ReadTestIni();
    SIZE outer = OuterForClient(662, 414);
    EXPECT_EQ(IniValue(ini, "Maximize"), "1");
    EXPECT_EQ(IniValue(ini, "WindowPosX"), "40");
    EXPECT_EQ(IniValue(ini, "WindowPosY"), "30");
    EXPECT_EQ(IniValue(ini, "WindowWidth"), std::to_string(outer.cx));
    EXPECT_EQ(IniValue(ini, "WindowHeight"), std::to_string(outer.cy));
}

TEST(Startup, MinimisingChangesNothingSaved)
{
    WriteTestIni(KnownPlace(50, 60) + "PlayListWidth=300\r\n");
    ASSERT_TRUE(StartApp());
    ShowWindow(MainWindow, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(MainWindow));
    EXPECT_EQ(CloseApp(), 0);
    std::string ini = ReadTestIni();
    SIZE outer = OuterForClient(662, 414);
    EXPECT_EQ(IniValue(ini, "WindowPosX"), "50");
    EXPECT_EQ(IniValue(ini, "WindowPosY"), "60");
    EXPECT_EQ(IniValue(ini, "WindowWidth"), std::to_string(outer.cx));
    EXPECT_EQ(IniValue(ini, "WindowHeight"), std::to_string(outer.cy));
    EXPECT_EQ(IniValue(ini, "PlayListWidth"), "300");
    EXPECT_EQ(IniValue(ini, "Maximize"), "0");
}

TEST(Startup, ShrinkingKeeps50PixelsOfVideo)
{
    WriteTestIni(KnownPlace(10, 10) + "PlayListWidth=400\r\nPlayListShow=0\r\n");
    ASSERT_TRUE(StartApp());
    EXPECT_EQ(Settings.PlayListWidth, 400);  // 662 - 400 - 5 leaves more than 50
    SIZE outer = OuterForClient(420, 300);
    MoveWindow(MainWindow, 10, 10, outer.cx, outer.cy, TRUE);
    ASSERT_EQ(Client().cx, 420);
    EXPECT_EQ(Settings.PlayListWidth, 365);
    // Widening again does not give the old width back.
    outer = OuterForClient(900, 300);
    MoveWindow(MainWindow, 10, 10, outer.cx, outer.cy, TRUE);
    EXPECT_EQ(Settings.PlayListWidth, 365);
    CloseApp();
    EXPECT_EQ(IniValue(ReadTestIni(), "PlayListWidth"), "365");
    EXPECT_EQ(IniValue(ReadTestIni(), "WindowWidth"), std::to_string(outer.cx));
}

TEST(Startup, TooWidePlaylistIsReducedByTheFirstSize)
{
    WriteTestIni("[Setting]\r\nPlayListWidth=5000\r\n");
    ASSERT_TRUE(StartApp());
    EXPECT_EQ(Settings.PlayListWidth, 662 - 55);
    CloseApp();
}

TEST(Startup, WindowCannotBeSmallerThanA390x30Client)
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    MINMAXINFO info = {};
    SendMessageW(MainWindow, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    SIZE smallest = OuterForClient(390, 30);
    EXPECT_EQ(info.ptMinTrackSize.x, smallest.cx);
    EXPECT_EQ(info.ptMinTrackSize.y, smallest.cy);
    CloseApp();
}

TEST(Startup, BadSettingsFileStillStarts)
{
    WriteTestIni(std::string("\xef\xbb\xbf[Setting]\r\nWindowWidth=abc\r\nWindowHeight=-99999\r\n"
                             "VolumeLevel=2147483647999\r\n\0\0garbage\r\n", 100));
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(IsWindow(MainWindow));
    EXPECT_EQ(CloseApp(), 0);
    EXPECT_NE(IniValue(ReadTestIni(), "AspectRatio10"), "");
}

TEST(Startup, ExitCommandClosesAndSaves)
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    PostMessageW(MainWindow, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(MainWindow));
    FinishNimbrel();
    EXPECT_EQ(IniValue(ReadTestIni(), "PlayListWidth"), "145");
}

TEST(Startup, DispatcherReportsUnknownIdsAsNotHandled)
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    for (UINT id : {40001u, 40003u, 40017u, 40029u, 40030u, 40034u, 40057u, 40062u, 40079u, 1013u, 0u})
        EXPECT_EQ(DispatchCommand(MainWindow, id), 1) << id;
    // Esc and F10 are commands, but do nothing outside full screen.
    EXPECT_EQ(DispatchCommand(MainWindow, IDM_ESCAPE), 0);
    EXPECT_EQ(DispatchCommand(MainWindow, IDM_TOGGLE_BAR), 0);
    EXPECT_TRUE(BarInFullScreen) << "1 from the start; F10 outside full screen leaves it";
    // The id is the low 16 bits.
    EXPECT_EQ(DispatchCommand(MainWindow, 0x10000 | IDM_TOGGLE_BAR), 0);
    CloseApp();
}

TEST(Startup, F10InFullScreenHandsTheBarSpaceBack)
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    FullScreen = true;
    RECT client, video;
    GetClientRect(MainWindow, &client);
    DispatchCommand(MainWindow, IDM_TOGGLE_BAR);  // the bar, shown at first, goes
    GetWindowRect(VideoPanel, &video);
    EXPECT_EQ(video.bottom - video.top, client.bottom);
    DispatchCommand(MainWindow, IDM_TOGGLE_BAR);
    GetWindowRect(VideoPanel, &video);
    EXPECT_EQ(video.bottom - video.top, client.bottom - 30);
    FullScreen = false;
    CloseApp();
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return -1;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Startup, FailureIsReportedAfterTheSettingsWereSaved)
{
    WriteTestIni("");
    // A class of the main window's name whose windows cannot be created: window creation fails.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(L"Nimbrel", instance);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RefuseCreation;
    wc.hInstance = instance;
    wc.lpszClassName = L"Nimbrel";
    ASSERT_TRUE(RegisterClassW(&wc));

    CapturedBoxes boxes;
    EXPECT_EQ(NimbrelMain(instance, SW_SHOWNORMAL), 0);
    UnregisterClassW(L"Nimbrel", instance);

    ASSERT_EQ(CapturedBoxCount(), 1);
    CapturedBox box = LastCapturedBox();
    EXPECT_EQ(box.Text, L"初期化に失敗しました");
    EXPECT_EQ(box.Caption, L"Error");
    EXPECT_EQ(box.Style, (UINT)(MB_ICONERROR | MB_OK));
    EXPECT_TRUE(box.IniExisted);
    EXPECT_EQ(IniValue(ReadTestIni(), "AspectRatio10"), "0");

    // The next start works again and shows no box.
    ASSERT_TRUE(StartApp());
    CloseApp();
    EXPECT_EQ(CapturedBoxCount(), 1);
}

}  // namespace

// Values at the limits of an int are read unclamped; nothing computed from them overflows.
TEST(Startup, SettingsAtTheIntLimitsNeverOverflow)
{
    struct Row {
        const char* Line;   // the one key of the settings file
        UINT Command;       // run once after start-up, or 0
        const char* Saved;  // the key's value in the saved file
        UINT First, Last;   // a radio group that shows no check mark, or 0
    } rows[] = {
        {"VolumeLevel=2147483647", IDM_VOLUME_UP, "100", 0, 0},
        {"VolumeLevel=91", IDM_VOLUME_UP, "100", 0, 0},
        {"VolumeLevel=-2147483648", IDM_VOLUME_DOWN, "0", 0, 0},
        {"VolumeLevel=2147483647", IDM_VOLUME_DOWN, "2147483637", 0, 0},
        {"PlayListWidth=-2147483648", 0, "-2147483648", 0, 0},
        {"Repeat=2147483647", 0, "2147483647", IDM_REPEAT_LIST_ONCE, IDM_FILE_ONCE},
        {"Quality=2147483647", 0, "2147483647", IDM_QUALITY_LOW, IDM_QUALITY_HIGH},
    };
    for (const Row& row : rows) {
        std::string line = row.Line;
        WriteTestIni("[Setting]\r\n" + line + "\r\n");
        ASSERT_TRUE(StartApp()) << line;
        for (UINT id = row.First; row.First && id <= row.Last; id++)
            EXPECT_FALSE(IsMenuItemChecked(MainMenu, id)) << line << " " << id;
        if (row.Command)
            DispatchCommand(MainWindow, row.Command);
        CloseApp();
        EXPECT_EQ(IniValue(ReadTestIni(), line.substr(0, line.find('='))), row.Saved) << line;
    }
}
