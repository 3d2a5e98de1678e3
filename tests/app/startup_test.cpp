// The program started: geometry, the settings file (odd ones included), menus and commands.
#include <algorithm>

#include "app/app.h"
#include "app/commands.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app/startup.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

// How the settings file starts for a window at x, y with a client area of 662 x 414.
std::string Place(int x, int y)
{
    SIZE outer = OuterForClient(662, 414);
    return "[Setting]\r\nWindowPosX=" + std::to_string(x) + "\r\nWindowPosY=" + std::to_string(y) + "\r\nWindowWidth=" +
           std::to_string(outer.cx) + "\r\nWindowHeight=" + std::to_string(outer.cy) + "\r\n";
}

using Startup = AppTest;  // started without a settings file

// Loaded settings reach menus, window and engine (no volume muted); a repeated choice is sent again;
// only -1 or a missing position lets the system place the window; a UTF-16 file stays UTF-16.
TEST_F(Startup, LoadedSettingsReachMenusWindowAndEngineAndAUtf16FileStaysUtf16)
{
    Restart("[Setting]\r\nRepeat=3\r\nQuality=1\r\nSmoothing=0\r\nDeblocking=2\r\nWindowTop=1\r\nPlayListShow=0\r\n"
            "VolumeLevel=40\r\nVolumeMute=1\r\n");
    for (UINT id : {IDM_REPEAT_SECTION, IDM_QUALITY_MEDIUM, IDM_SMOOTHING_OFF, IDM_DEBLOCK_ON, IDM_ASPECT_NATURAL,
                    IDM_ALWAYS_ON_TOP, IDM_MUTE})
        EXPECT_TRUE(IsMenuItemChecked(MainMenu, id)) << id;
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_SHOW_PLAYLIST) || IsWindowVisible(PlaylistPanel));
    EXPECT_TRUE(GetWindowLongW(MainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    std::wstring sent;
    for (const wchar_t* name : {L"state_quality", L"state_smoothing", L"state_deblocking", L"state_volume", L"state_stop"})
        sent += EngineValue(name) + L" ";
    for (auto [command, name] :
         {std::pair{IDM_QUALITY_MEDIUM, L"state_quality"}, {IDM_SMOOTHING_OFF, L"state_smoothing"},
          {IDM_DEBLOCK_OFF, L"state_deblocking"}})
        SetEngineValue(name, L"3"), Command(command), sent += EngineValue(name) + L" ";
    EXPECT_EQ(sent, L"1 0 2 0 1 1 0 1 ");
    for (auto keys : {"WindowPosX=-1\r\nWindowPosY=30", "WindowPosX=25\r\nWindowPosY=-1", "WindowPosX=25"}) {
        WriteTestIni(std::string("[Setting]\r\n") + keys + "\r\n");
        LoadSettings();
        EXPECT_TRUE(Settings.WindowPosX == CW_USEDEFAULT && Settings.WindowPosY == CW_USEDEFAULT) << keys;
    }
    std::wstring utf16 = L"\xFEFF[Setting]\r\nvolumelevel=40\r\n";
    WriteTestIni(std::string((const char*)utf16.data(), utf16.size() * sizeof(wchar_t)));
    LoadSettings();
    EXPECT_EQ(Settings.VolumeLevel, 40);
    Settings.VolumeLevel = 77;
    SaveSettings();
    std::string bytes = ReadTestIni();
    std::wstring text((const wchar_t*)bytes.data(), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(text.rfind(L"\xFEFF[Setting]\r\nvolumelevel=77\r\n", 0), 0u);
    EXPECT_TRUE(text.find(L"VolumeLevel") == text.npos && text.find(L"\r\nAspectRatio10=0\r\n") != text.npos);
}

// Without a settings file 662 x 414, the exit item saving the place; only the restored place is saved;
// maximised, no full screen or preset; the playlist yields to the video.
TEST_F(Startup, SavedPlaceAndPlaylistWidthWhetherMaximisedMinimisedOrResized)
{
    RECT client, placed = Rect(MainWindow);
    GetClientRect(MainWindow, &client);
    EXPECT_TRUE(IsWindowVisible(MainWindow) && client.right == 662 && client.bottom == 414);
    PostMessageW(MainWindow, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    FinishNimbrel();
    EXPECT_EQ(ReadTestIni().rfind(Place(placed.left, placed.top) + "Repeat=0\r\n", 0), 0u) << ReadTestIni();
    Restart("[Setting]\r\nPlayListWidth=5000\r\n");
    EXPECT_EQ(Settings.PlayListWidth, 662 - 55) << "reduced by the first size";
    Restart(Place(-20, -5) + "PlayListWidth=400\r\nPlayListShow=0\r\nMaximize=1\r\n");  // negative, but not -1
    for (bool maximised : {true, false}) {
        EXPECT_EQ(IsZoomed(MainWindow) != 0, maximised);
        for (UINT id : {IDM_FULL_SCREEN, IDM_SIZE_25, IDM_SIZE_100, IDM_SIZE_200, IDM_SIZE_CURRENT})
            EXPECT_EQ(IsMenuItemEnabled(MainMenu, id), !maximised) << id;
        EXPECT_TRUE(IsMenuItemEnabled(MainMenu, IDM_ASSOCIATE)) << "only the size items go with them";
        ShowWindow(MainWindow, SW_RESTORE);
    }
    RECT r = Rect(MainWindow);
    GetClientRect(MainWindow, &client);
    EXPECT_TRUE(r.left == -20 && r.top == -5 && client.right == 662 && Settings.PlayListWidth == 400);
    SIZE smallest = OuterForClient(390, 30), outer = OuterForClient(900, 300);
    for (int width : {420, 900})  // 365 at 420, not growing back at 900
        MoveWindow(MainWindow, 10, 10, OuterForClient(width, 300).cx, outer.cy, TRUE);
    MINMAXINFO info = {};
    SendMessageW(MainWindow, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_TRUE(info.ptMinTrackSize.x == smallest.cx && info.ptMinTrackSize.y == smallest.cy);
    ShowWindow(MainWindow, SW_MINIMIZE), ShowWindow(MainWindow, SW_MAXIMIZE);
    EXPECT_EQ(CloseApp(), 0);
    std::string ini = ReadTestIni(), saved;
    for (const char* key : {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight", "PlayListWidth", "Maximize"})
        saved += IniValue(ini, key) + " ";
    EXPECT_EQ(saved, "10 10 " + std::to_string(outer.cx) + " " + std::to_string(outer.cy) + " 365 1 ");
}

// Odd values are used unclamped, volume steps keep 0..100 only from within, the file is saved whole.
TEST_F(Startup, OddValuesAreUsedUnclampedAndTheFileIsSavedWhole)
{
    const char odd[] = "\xef\xbb\xbf[Setting]\r\nWindowWidth=abc\r\nWindowHeight=-99999\r\n\0\0garbage";
    const std::string smallest = std::to_string(OuterForClient(390, 30).cx);
    // The file, a command run once after start-up (or 0), a saved key and value, a group without mark.
    struct Row { std::string ini; UINT command; const char *key, *saved; UINT first, last; } rows[] = {
        {"VolumeLevel=2147483647", IDM_VOLUME_UP, "VolumeLevel", "100"},
        {"VolumeLevel=91", IDM_VOLUME_UP, "VolumeLevel", "100"},
        {"VolumeLevel=-2147483648", IDM_VOLUME_DOWN, "VolumeLevel", "0"},
        {"VolumeLevel=2147483647", IDM_VOLUME_DOWN, "VolumeLevel", "2147483637"},
        {"PlayListWidth=-2147483648", 0, "PlayListWidth", "-2147483648"},
        {"Repeat=2147483647", 0, "Repeat", "2147483647", IDM_REPEAT_LIST_ONCE, IDM_FILE_ONCE},
        {"Quality=2147483647", 0, "Quality", "2147483647", IDM_QUALITY_LOW, IDM_QUALITY_HIGH},
        {std::string(odd, sizeof odd - 1), 0, "WindowWidth", smallest.c_str()},  // a BOM, no numbers, NULs
    };
    for (const Row& row : rows) {
        Restart(row.ini[0] == '\xef' ? row.ini : "[Setting]\r\n" + row.ini + "\r\n");
        for (UINT id = row.first; row.first && id <= row.last; id++)
            EXPECT_FALSE(IsMenuItemChecked(MainMenu, id)) << row.ini << " " << id;
        if (row.command)
            DispatchCommand(MainWindow, row.command);
        CloseApp();
        std::string ini = ReadTestIni();
        EXPECT_EQ(IniValue(ini, row.key), row.saved) << row.ini;
        EXPECT_EQ(std::count(ini.begin(), ini.end(), '='), 24) << ini;
    }
}

}  // namespace
