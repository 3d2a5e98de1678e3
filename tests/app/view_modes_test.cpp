// Full screen, toggles, presets, aspect slots, the main menu and the pointer's auto-hide, in real windows.
#include "app/app.h"
#include "app/aspect.h"
#include "app/main_menu.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

struct Popup { HWND owner; POINT at; int hold; };
std::vector<Popup> Popups;

bool Same(RECT a, RECT b) { return EqualRect(&a, &b); }
int Height(HWND w) { return Rect(w).bottom - Rect(w).top; }
std::wstring Label(UINT id) { wchar_t t[64] = {}; GetMenuStringW(MainMenu, id, t, 64, MF_BYCOMMAND); return t; }
const char Placed[] = "[Setting]\r\nWindowPosX=120\r\nWindowPosY=90\r\nWindowWidth=520\r\nWindowHeight=380\r\n";

struct ViewModes : AppTest {
    void Start(const std::string& ini)
    {
        Restart(Placed + ini);
        SetPopupMenuHandler([](HMENU, int x, int y, HWND owner) { return Popups.push_back({owner, {x, y}, CursorHold}), TRUE; });
    }
    void TearDown() override { SetPopupMenuHandler(nullptr); AppTest::TearDown(); }
};

// In full screen the toggles and presets rest and F10 hides the bar; Esc brings the window back as it was.
TEST_F(ViewModes, FullScreenRoundTrip)
{
    for (int shown : {1, 0}) {
        Start("PlayListShow=" + std::to_string(shown) + "\r\n");
        RECT before = Rect(MainWindow), monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        Command(IDM_FULL_SCREEN), Command(IDM_SHOW_PLAYLIST), Command(IDM_ALWAYS_ON_TOP);
        VideoWidth = 640, VideoHeight = 360;
        PrepareMainMenu(), Command(IDM_SIZE_100);
        EXPECT_TRUE(Same(monitor, Rect(MainWindow)) && Settings.PlayListShow == shown && Settings.WindowTop == 0);
        EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_SIZE_100) || IsMenuItemChecked(MainMenu, IDM_SIZE_CURRENT));
        Command(IDM_TOGGLE_BAR);
        EXPECT_EQ(Rect(VideoPanel).bottom, monitor.bottom);
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
    Start("");
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

// Odd slots show "---", never sent or chosen; Alt+2 fits the video's own pixels, or leaves the window.
TEST_F(ViewModes, AspectSlotsAndSizePresets)
{
    Start("AspectRatio1=16\r\nAspectRatio2=-16009\r\nAspectRatio3=0\r\nAspectRatio4=2147483647\r\nAspectRatio5=1000000\r\n"
          "AspectRatio7=2039\r\n");
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
    struct Size { int w, h, client; const wchar_t* labels; };
    for (Size z : {Size{0, 0, 0, L"通常 (0 ： 0)|50%|100%|200%|0%\t[0 x 0]|"},
                   {640, 360, 790 * 10000 + 390,
                    L"通常 (16 ： 9)|50%\t[320 x 180]|100%\t[640 x 360]|200%\t[1280 x 720]|100%\t[640 x 360]|"}}) {
        RECT before = Rect(MainWindow), client;
        VideoWidth = z.w, VideoHeight = z.h;  // as the monitor reports a playing clip's
        Command(IDM_SIZE_100), PrepareMainMenu();
        GetClientRect(MainWindow, &client);
        EXPECT_TRUE(z.client ? client.right * 10000 + client.bottom == z.client : Same(before, Rect(MainWindow))) << z.w;
        std::wstring labels;
        for (UINT id : {IDM_ASPECT_NATURAL, IDM_SIZE_50, IDM_SIZE_100, IDM_SIZE_200, IDM_SIZE_CURRENT})
            labels += Label(id) + L"|";
        EXPECT_EQ(labels, z.labels);
        EXPECT_EQ(IsMenuItemChecked(MainMenu, IDM_SIZE_100), z.client != 0) << z.w;
    }
}

// F1 shows the main menu at the window's corner, the others at the pointer, which stays shown.
TEST_F(ViewModes, MainMenuAtTheCornerForF1AndAtThePointerOtherwise)
{
    Start("");
    SetCursorPos(300, 200);
    POINT pointer, corner = {Rect(MainWindow).left, Rect(MainWindow).top};
    GetCursorPos(&pointer);
    struct Row { HWND target, owner; UINT message; WPARAM wParam; POINT at; } rows[] = {
        {MainWindow, MainWindow, WM_COMMAND, IDM_SHOW_MENU, corner}, {GetWindow(VideoPanel, GW_CHILD), nullptr, WM_RBUTTONDOWN, 0, pointer},
        {ControlBar, ControlBar, WM_RBUTTONDOWN, 0, pointer}, {MenuButton, ControlBar, BM_CLICK, 0, pointer},
    };
    for (const Row& r : rows) {
        Popups.clear();
        SendMessageW(r.target, r.message, r.wParam, 0);
        ASSERT_EQ(Popups.size(), 1u);
        EXPECT_TRUE(Popups[0].owner == (r.owner ? r.owner : r.target) && Popups[0].hold == 1 && CursorHold == 0);
        EXPECT_EQ(Popups[0].at.x * 10000 + Popups[0].at.y, r.at.x * 10000 + r.at.y);
    }
}

int DisplayCounter()  // the system's counter, left as it was
{
    int c = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return c - 1;
}

void Ticks(int n)
{
    for (int i = 0; i < n; i++)
        CursorIdleTick();
}

// The pointer hides on the 20th idle tick in full screen and comes back on real movement or a menu.
TEST_F(ViewModes, PointerHidesInFullScreenAndComesBackOnMovementAMenuOrAnotherWindow)
{
    SetForegroundWindow(MainWindow);
    SetActiveWindow(MainWindow);
    SetCursorPos(300, 200);
    const int start = DisplayCounter();
    FullScreen = true;
    NoteMouseActivity(0);
    static HWND other;
    // After each step and its ticks: shown, the system's counter lowered and the idle count (-1: any).
    struct Step { void (*act)(); int ticks, shown, lowered, idle; const char* what; } steps[] = {
        {[] {}, 19, 1, 0, 19, "not before the twentieth tick"},
        {[] {}, 51, 0, 1, -1, "hidden"},
        {[] { NoteMouseActivity(0); }, 0, 0, 1, 0, "a mouse-move message where the pointer already was"},
        {[] { SetCursorPos(301, 200); NoteMouseActivity(0); NoteMouseActivity(0); }, 0, 1, 0, 0, "moved"},
        {[] { Ticks(20); FullScreen = false; NoteMouseActivity(0); }, 100, 1, 0, -1, "never hidden in a window"},
        {[] { FullScreen = true; Ticks(20); NoteMouseActivity(1); }, 40, 1, 0, -1, "a menu open: shown at once"},
        {[] { NoteMouseActivity(0); }, 20, 0, 1, -1, "the menu closed: counting starts again"},
        {[] {
             SetCursorPos(302, 200), NoteMouseActivity(0);
             other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
             SetActiveWindow(other);
         }, 40, 1, 0, 0, "another window active"},
    };
    for (const Step& s : steps) {
        s.act();
        Ticks(s.ticks);
        EXPECT_TRUE(CursorShown == s.shown && DisplayCounter() == start - s.lowered && (s.idle < 0 || IdleTicks == s.idle))
            << s.what;
    }
    DestroyWindow(other);
    FullScreen = false;
    NoteMouseActivity(0);
    EXPECT_EQ(DisplayCounter(), start);
}

}  // namespace
