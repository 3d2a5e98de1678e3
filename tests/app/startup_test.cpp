// The program started in-process: window geometry, saved settings, menus, commands; the
// settings file read and written, odd files included. (The real exe whose start-up fails:
// tests/faults.)
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
    return "[Setting]\r\nWindowPosX=" + std::to_string(x) + "\r\nWindowPosY=" + std::to_string(y) +
           "\r\nWindowWidth=" + std::to_string(outer.cx) + "\r\nWindowHeight=" + std::to_string(outer.cy) + "\r\n";
}

using Startup = AppTest;  // started without a settings file

TEST_F(Startup, WithoutSettingsFileOpens662x414AndSavesEveryDefaultInOrder)
{
    RECT client, placed;
    GetClientRect(MainWindow, &client);
    GetWindowRect(MainWindow, &placed);
    EXPECT_TRUE(IsWindowVisible(MainWindow) && client.right == 662 && client.bottom == 414);
    EXPECT_EQ(CloseApp(), 0);
    std::string ini = ReadTestIni();
    EXPECT_EQ(ini.rfind(Place(placed.left, placed.top), 0), 0u) << ini;
    EXPECT_EQ(ini.substr(ini.find("Repeat=")),
              "Repeat=0\r\nVolumeMute=0\r\nVolumeLevel=100\r\nWindowTop=0\r\nPlayListShow=1\r\n"
              "PlayListWidth=145\r\nQuality=2\r\nSmoothing=1\r\nDeblocking=0\r\nMaximize=0\r\n"
              "AspectRatio1=4003\r\nAspectRatio2=16009\r\nAspectRatio3=5004\r\nAspectRatio4=16010\r\n"
              "AspectRatio5=17009\r\nAspectRatio6=21009\r\nAspectRatio7=0\r\nAspectRatio8=0\r\n"
              "AspectRatio9=0\r\nAspectRatio10=0\r\n");
}

// Values other than the defaults reach the menus and the engine. (The ratio slots:
// view_modes_test.cpp.)
TEST_F(Startup, MenusAndTheEngineReflectTheLoadedSettings)
{
    Restart("[Setting]\r\nRepeat=3\r\nQuality=1\r\nSmoothing=0\r\nDeblocking=2\r\nWindowTop=1\r\nPlayListShow=0\r\n"
            "VolumeLevel=40\r\nVolumeMute=1\r\n");
    for (UINT id : {IDM_REPEAT_SECTION, IDM_QUALITY_MEDIUM, IDM_SMOOTHING_OFF, IDM_DEBLOCK_ON, IDM_ASPECT_NATURAL,
                    IDM_ALWAYS_ON_TOP, IDM_MUTE})
        EXPECT_TRUE(IsMenuItemChecked(MainMenu, id)) << id;
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_SHOW_PLAYLIST));
    EXPECT_TRUE(GetWindowLongW(MainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // The engine gets the picture settings, no volume while muted, and a stop.
    const wchar_t* values[][2] = {{L"state_quality", L"1"}, {L"state_smoothing", L"0"}, {L"state_deblocking", L"2"},
                                  {L"state_volume", L"0"},  {L"state_stop", L"1"}};
    for (auto& v : values)
        EXPECT_EQ(EngineValue(v[0]), v[1]) << v[0];
}

// Only the restored window's place is saved; a maximised window can be put neither into full
// screen nor to a preset size. The playlist leaves the video 50 pixels of a client area that is
// at least 390 x 30.
TEST_F(Startup, SavedPlaceAndPlaylistWidthWhetherMaximisedMinimisedOrResized)
{
    Restart("[Setting]\r\nPlayListWidth=5000\r\n");
    EXPECT_EQ(Settings.PlayListWidth, 662 - 55) << "reduced by the first size";
    Restart(Place(-20, -5) + "PlayListWidth=400\r\nPlayListShow=0\r\nMaximize=1\r\n");  // negative, but not -1
    EXPECT_TRUE(IsZoomed(MainWindow));
    const UINT ids[] = {IDM_FULL_SCREEN, IDM_SIZE_25, IDM_SIZE_50, IDM_SIZE_100, IDM_SIZE_150, IDM_SIZE_200,
                        IDM_SIZE_CURRENT};
    for (UINT id : ids)
        EXPECT_FALSE(IsMenuItemEnabled(MainMenu, id)) << id;
    EXPECT_TRUE(IsMenuItemEnabled(MainMenu, IDM_ASSOCIATE)) << "only the size items go with them";
    ShowWindow(MainWindow, SW_RESTORE);
    for (UINT id : ids)
        EXPECT_TRUE(IsMenuItemEnabled(MainMenu, id)) << id;
    RECT r, client;
    GetWindowRect(MainWindow, &r);
    GetClientRect(MainWindow, &client);
    EXPECT_TRUE(r.left == -20 && r.top == -5 && client.right == 662 && Settings.PlayListWidth == 400);

    SIZE outer = OuterForClient(420, 300), smallest = OuterForClient(390, 30);
    MoveWindow(MainWindow, 10, 10, outer.cx, outer.cy, TRUE);
    EXPECT_EQ(Settings.PlayListWidth, 365);
    MINMAXINFO info = {};
    SendMessageW(MainWindow, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_TRUE(info.ptMinTrackSize.x == smallest.cx && info.ptMinTrackSize.y == smallest.cy);
    outer = OuterForClient(900, 300);
    MoveWindow(MainWindow, 10, 10, outer.cx, outer.cy, TRUE);
    EXPECT_EQ(Settings.PlayListWidth, 365) << "widening does not give the old width back";
    ShowWindow(MainWindow, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(MainWindow));
    ShowWindow(MainWindow, SW_MAXIMIZE);
    EXPECT_EQ(CloseApp(), 0);
    std::string ini = ReadTestIni(), saved;
    for (const char* key : {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight", "PlayListWidth", "Maximize"})
        saved += IniValue(ini, key) + " ";
    EXPECT_EQ(saved, "10 10 " + std::to_string(outer.cx) + " " + std::to_string(outer.cy) + " 365 1 ");
}

TEST_F(Startup, CommandsExitUnknownIdsAndF10)
{
    for (UINT id : {40001u, 40003u, 40017u, 40029u, 40030u, 40034u, 40057u, 40062u, 40079u, 1013u, 0u})
        EXPECT_EQ(DispatchCommand(MainWindow, id), 1) << id << " is not handled";
    // Esc and F10 are handled, but do nothing outside full screen (F10 in it: view_modes_test.cpp).
    EXPECT_EQ(DispatchCommand(MainWindow, IDM_ESCAPE), 0);
    EXPECT_EQ(DispatchCommand(MainWindow, 0x10000 | IDM_TOGGLE_BAR), 0) << "the id is the low 16 bits";
    EXPECT_TRUE(BarInFullScreen) << "1 from the start; F10 outside full screen leaves it";
    PostMessageW(MainWindow, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(MainWindow));
    FinishNimbrel();
    EXPECT_EQ(IniValue(ReadTestIni(), "PlayListWidth"), "145");
}

// Odd values are read as the profile functions read them and used unclamped: a radio group
// whose value names no item shows no mark, the steps keep the volume within 0..100 only from
// where it is, nothing overflows, and the file is saved whole (all 24 keys).
TEST_F(Startup, OddValuesAreUsedUnclampedAndTheFileIsSavedWhole)
{
    const std::string smallest = std::to_string(OuterForClient(390, 30).cx);
    // Not numbers, after a byte-order mark, and NULs: the window at its smallest.
    const char odd[] = "\xef\xbb\xbf[Setting]\r\nWindowWidth=abc\r\nWindowHeight=-99999\r\n\0\0garbage";
    // The file, a command run once after start-up (or 0), a key and its value in the saved
    // file, a radio group that shows no check mark (or 0).
    struct Row { std::string ini; UINT command; const char *key, *saved; UINT first, last; } rows[] = {
        {"VolumeLevel=2147483647", IDM_VOLUME_UP, "VolumeLevel", "100"},
        {"VolumeLevel=91", IDM_VOLUME_UP, "VolumeLevel", "100"},
        {"VolumeLevel=-2147483648", IDM_VOLUME_DOWN, "VolumeLevel", "0"},
        {"VolumeLevel=2147483647", IDM_VOLUME_DOWN, "VolumeLevel", "2147483637"},
        {"PlayListWidth=-2147483648", 0, "PlayListWidth", "-2147483648"},
        {"Repeat=2147483647", 0, "Repeat", "2147483647", IDM_REPEAT_LIST_ONCE, IDM_FILE_ONCE},
        {"Quality=2147483647", 0, "Quality", "2147483647", IDM_QUALITY_LOW, IDM_QUALITY_HIGH},
        {std::string(odd, sizeof odd - 1), 0, "WindowWidth", smallest.c_str()},
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

// Only -1 in either position key, or a missing key, lets the system place the window. (Any
// other place, a negative one included, is used: the saved place, above.)
TEST_F(Startup, MinusOneInEitherPositionKeyOrAMissingKeyLetsTheSystemPlace)
{
    for (const char* keys : {"WindowPosX=-1\r\nWindowPosY=300", "WindowPosX=250\r\nWindowPosY=-1", "WindowPosX=250"}) {
        WriteTestIni(std::string("[Setting]\r\n") + keys + "\r\n");
        LoadSettings();
        EXPECT_TRUE(Settings.WindowPosX == CW_USEDEFAULT && Settings.WindowPosY == CW_USEDEFAULT) << keys;
    }
}

// The save finds each key it wrote in the file, in whatever case the user wrote it: a UTF-16
// file stays UTF-16, the user's key updated in place and no second one added.
TEST_F(Startup, AKeyInAnotherCaseIsUpdatedInAUtf16File)
{
    std::wstring utf16 = L"\xFEFF[Setting]\r\nvolumelevel=40\r\n";
    WriteTestIni(std::string((const char*)utf16.data(), utf16.size() * sizeof(wchar_t)));
    LoadSettings();
    EXPECT_EQ(Settings.VolumeLevel, 40);
    Settings.VolumeLevel = 77;
    SaveSettings();
    std::string bytes = ReadTestIni();
    std::wstring text((const wchar_t*)bytes.data(), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(text.rfind(L"\xFEFF[Setting]\r\nvolumelevel=77\r\n", 0), 0u);
    EXPECT_EQ(text.find(L"VolumeLevel"), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\nAspectRatio10=0\r\n"), std::wstring::npos);
}

}  // namespace
