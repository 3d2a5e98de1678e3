// Full screen, toggles, presets and aspect slots, in real windows.
#include "app/app.h"
#include "app/aspect.h"
#include "app/main_menu.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "engine/video_panel.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

bool Same(RECT a, RECT b) { return EqualRect(&a, &b); }
int Height(HWND w) { return Rect(w).bottom - Rect(w).top; }
std::wstring Label(UINT id) { wchar_t t[64] = {}; GetMenuStringW(MainMenu, id, t, 64, MF_BYCOMMAND); return t; }
const char Placed[] = "[Setting]\r\nWindowPosX=120\r\nWindowPosY=90\r\nWindowWidth=520\r\nWindowHeight=380\r\n";

using ViewModes = AppTest;

// In full screen the toggles and presets rest and F10 hides the bar; Esc brings the window back as it was.
TEST_F(ViewModes, FullScreenRoundTrip)
{
    for (int shown : {1, 0}) {
        Restart(Placed + ("PlayListShow=" + std::to_string(shown) + "\r\n"));
        RECT before = Rect(MainWindow), monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        Command(IDM_FULL_SCREEN), Command(IDM_SHOW_PLAYLIST), Command(IDM_ALWAYS_ON_TOP);
        VideoWidth = 640, VideoHeight = 360;
        PrepareMainMenu(), Command(IDM_SIZE_100);
        EXPECT_TRUE(Same(monitor, Rect(MainWindow)) && Settings.PlayListShow == shown && Settings.WindowTop == 0);
        EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_SIZE_100) || IsMenuItemChecked(MainMenu, IDM_SIZE_CURRENT));
        Command(IDM_TOGGLE_BAR);  // F10: the bar hidden until full screen ends
        Command(IDM_ESCAPE);
        EXPECT_TRUE(Same(before, Rect(MainWindow)) && (IsWindowVisible(PlaylistPanel) != 0) == (shown != 0));
        Command(IDM_SHOW_PLAYLIST), Command(IDM_ALWAYS_ON_TOP);  // working again, the window's size kept
        EXPECT_TRUE(Settings.PlayListShow == !shown && Settings.WindowTop == 1 && Same(before, Rect(MainWindow)));
        Command(IDM_FULL_SCREEN);
        EXPECT_EQ(Height(ControlBar), 30) << "re-entered full screen shows the bar";
        EXPECT_EQ(CloseApp(), 0);
        std::string ini = ReadTestIni();
        EXPECT_TRUE(ini.rfind(Placed, 0) == 0 && IniValue(ini, "Maximize") == "0") << "closed in full screen: " << ini;
    }
    // A window that already has the screen's rectangle still loses its frame and gets its bar back.
    Restart(Placed);
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    MoveWindow(MainWindow, 0, 0, cx, cy, TRUE);
    Command(IDM_FULL_SCREEN);
    RECT client;
    GetClientRect(MainWindow, &client);
    Command(IDM_TOGGLE_BAR), Command(IDM_ESCAPE);
    EXPECT_TRUE(client.right == cx && client.bottom == cy && Height(ControlBar) == 30);
    ShowWindow(MainWindow, SW_MAXIMIZE);
    Command(IDM_FULL_SCREEN);  // Alt+Enter on a maximised window
    EXPECT_FALSE(FullScreen);
}

// Odd slots show "---", never sent or chosen.
TEST_F(ViewModes, AspectSlots)
{
    Restart(Placed + std::string("AspectRatio1=16\r\nAspectRatio2=-16009\r\nAspectRatio3=0\r\n"
                                 "AspectRatio4=2147483647\r\nAspectRatio5=1000000\r\nAspectRatio7=2039\r\n"));
    struct Row { UINT id; const wchar_t *label, *sent; } rows[] = {
        {40087, L"2 ： 39", L"2039"}, {40081, L"---", nullptr}, {40082, L"---", nullptr}, {40084, L"483 ： 647", L"2147483647"},
        {40083, L"---", nullptr}, {40085, L"---", nullptr}, {40080, L"通常", L"0"}, {40090, L"---", nullptr},
    };
    std::wstring last;
    for (const Row& r : rows) {
        Command(r.id);
        EXPECT_EQ(Label(r.id) + L" " + EngineValue(L"state_aspect"), std::wstring(r.label) + L" " + (last = r.sent ? r.sent : last));
        EXPECT_EQ(IsMenuItemChecked(MainMenu, r.id), r.sent != nullptr) << r.id;
    }
}

// Idle in full screen the pointer hides; a menu or a move brings it back, the system's counter as it was.
TEST_F(ViewModes, PointerHidesWhenIdleInFullScreen)
{
    auto counter = [] { int c = ShowCursor(TRUE); ShowCursor(FALSE); return c - 1; };
    auto idle = [] { for (int i = 0; i < 40; i++) CursorIdleTick(); };
    SetActiveWindow(MainWindow);
    SetCursorPos(300, 200);
    const int start = counter();
    FullScreen = true;
    NoteMouseActivity(0), idle();
    EXPECT_TRUE(!CursorShown && counter() == start - 1);
    NoteMouseActivity(1), idle();  // a menu open
    EXPECT_TRUE(CursorShown && counter() == start);
    NoteMouseActivity(0), idle(), SetCursorPos(301, 200), NoteMouseActivity(0);
    EXPECT_TRUE(CursorShown && counter() == start);
    FullScreen = false;
}

}  // namespace
