// Full screen, the toggles and size presets, the aspect slots, the main menu and the About box,
// driven by real messages to the real windows.
#include "app/app.h"
#include "app/aspect.h"
#include "app/main_menu.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

struct Popup { HWND owner; POINT at; int hold; };
std::vector<Popup> Popups;
BOOL RecordPopup(HMENU, int x, int y, HWND owner) { Popups.push_back({owner, {x, y}, CursorHold}); return TRUE; }

RECT Rect(HWND w) { RECT r; GetWindowRect(w, &r); return r; }
bool Same(RECT a, RECT b) { return EqualRect(&a, &b); }
std::wstring Label(UINT id) { wchar_t t[64] = {}; GetMenuStringW(MainMenu, id, t, 64, MF_BYCOMMAND); return t; }
const char Placed[] = "[Setting]\r\nWindowPosX=120\r\nWindowPosY=90\r\nWindowWidth=520\r\nWindowHeight=380\r\n";

struct ViewModes : AppTest {
    void Start(const std::string& ini)
    {
        Restart(Placed + ini);
        SetPopupMenuHandler(RecordPopup);
    }
    void TearDown() override { SetPopupMenuHandler(nullptr); AppTest::TearDown(); }
};

TEST_F(ViewModes, FullScreenRoundTrip)
{
    for (int shown : {1, 0}) {
        Start("PlayListShow=" + std::to_string(shown) + "\r\n");
        RECT before = Rect(MainWindow), monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        Command(IDM_FULL_SCREEN);
        Command(IDM_SHOW_PLAYLIST), Command(IDM_ALWAYS_ON_TOP);  // inert in full screen
        VideoWidth = 640, VideoHeight = 360;  // a new video size, a menu and a preset change nothing
        PrepareMainMenu(), Command(IDM_SIZE_100);
        EXPECT_TRUE(Same(monitor, Rect(MainWindow)));
        EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_SIZE_100) || IsMenuItemChecked(MainMenu, IDM_SIZE_CURRENT));
        EXPECT_EQ(Settings.PlayListShow * 10 + Settings.WindowTop, shown * 10);
        Command(IDM_TOGGLE_BAR);  // F10: the picture takes the bar's 30 pixels
        EXPECT_EQ(Rect(VideoPanel).bottom, monitor.bottom);
        Command(IDM_ESCAPE);
        EXPECT_TRUE(Same(before, Rect(MainWindow)));
        EXPECT_EQ(IsWindowVisible(PlaylistPanel) != 0, shown != 0);
        Command(IDM_SHOW_PLAYLIST), Command(IDM_ALWAYS_ON_TOP);  // working again
        EXPECT_EQ(Settings.PlayListShow * 10 + Settings.WindowTop, !shown * 10 + 1);
        Command(IDM_FULL_SCREEN);
        EXPECT_EQ(Rect(ControlBar).bottom - Rect(ControlBar).top, 30) << "re-entered full screen shows the bar";
        EXPECT_EQ(CloseApp(), 0);
        std::string ini = ReadTestIni();
        EXPECT_TRUE(ini.rfind(Placed, 0) == 0 && IniValue(ini, "Maximize") == "0") << "closed in full screen: " << ini;
    }
    // A window that already has the screen's rectangle still loses its frame, and gets its bar back.
    Start("");
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    MoveWindow(MainWindow, 0, 0, cx, cy, TRUE);
    Command(IDM_FULL_SCREEN);
    RECT client;
    GetClientRect(MainWindow, &client);
    EXPECT_EQ(client.right * 10000 + client.bottom, cx * 10000 + cy);
    Command(IDM_TOGGLE_BAR), Command(IDM_ESCAPE);
    EXPECT_EQ(Rect(ControlBar).bottom - Rect(ControlBar).top, 30);
    ShowWindow(MainWindow, SW_MAXIMIZE);
    Command(IDM_FULL_SCREEN);  // Alt+Enter on a maximised window
    EXPECT_FALSE(FullScreen);
}

TEST_F(ViewModes, AspectSlotsFromTheSettingsFileAndSizePresetsForKnownAndUnknownSizes)
{
    Start("AspectRatio1=16\r\nAspectRatio2=-16009\r\nAspectRatio3=0\r\nAspectRatio4=2147483647\r\nAspectRatio5=1000000\r\nAspectRatio7=2039\r\n");
    struct Row { UINT id; const wchar_t *label, *sent; } rows[] = {  // a null sent: not sent, never chosen
        {40087, L"2 ： 39", L"2039"}, {40081, L"---", nullptr}, {40082, L"---", nullptr}, {40084, L"483 ： 647", L"2147483647"},
        {40083, L"---", nullptr}, {40085, L"---", nullptr}, {40080, L"通常", L"0"}, {40090, L"---", nullptr},
    };
    std::wstring last, sent;
    for (const Row& r : rows) {
        EXPECT_EQ(Label(r.id), r.label);
        Command(r.id);
        GetVariable(PanelEngine(), L"state_aspect", &sent);
        EXPECT_EQ(sent, last = r.sent ? r.sent : last) << r.id;
        EXPECT_EQ(IsMenuItemChecked(MainMenu, r.id), r.sent != nullptr) << r.id;
    }
    // Alt+2 fits a 640 x 360 video and the playlist into a client area of 790 x 390 and marks
    // 100 %; with no known size, or a ratio too big to encode, the window stays, the labels show 0.
    struct Size { int w, h, client; const wchar_t* labels; };
    for (Size z : {Size{0, 0, 0, L"通常 (0 ： 0)|50%|100%|200%|0%\t[0 x 0]|"},
                   {1000, 563, 0, L"通常 (1000 ： 563)|50%|100%|200%|0%\t[0 x 0]|"},
                   {640, 360, 790 * 10000 + 390,
                    L"通常 (16 ： 9)|50%\t[320 x 180]|100%\t[640 x 360]|200%\t[1280 x 720]|100%\t[640 x 360]|"}}) {
        RECT before = Rect(MainWindow), client;
        VideoWidth = z.w, VideoHeight = z.h;  // as the monitor reports a playing clip's
        Command(IDM_SIZE_100), PrepareMainMenu();
        GetClientRect(MainWindow, &client);
        int shown = client.right * 10000 + client.bottom;
        EXPECT_TRUE(z.client ? shown == z.client : Same(before, Rect(MainWindow))) << z.w;
        std::wstring labels;
        for (UINT id : {IDM_ASPECT_NATURAL, IDM_SIZE_50, IDM_SIZE_100, IDM_SIZE_200, IDM_SIZE_CURRENT})
            labels += Label(id) + L"|";
        EXPECT_EQ(labels, z.labels);
        EXPECT_EQ(IsMenuItemChecked(MainMenu, IDM_SIZE_100), z.client != 0) << z.w;
    }
}

TEST_F(ViewModes, MainMenuAtTheCornerForF1AndAtThePointerOtherwise)
{
    Start("");
    SetCursorPos(300, 200);
    POINT pointer, corner = {Rect(MainWindow).left, Rect(MainWindow).top};
    GetCursorPos(&pointer);
    HWND picture = GetWindow(VideoPanel, GW_CHILD);
    struct Row { HWND target; UINT message; WPARAM wParam; POINT at; } rows[] = {
        {MainWindow, WM_COMMAND, IDM_SHOW_MENU, corner}, {picture, WM_RBUTTONDOWN, 0, pointer},
        {ControlBar, WM_RBUTTONDOWN, 0, pointer}, {MenuButton, BM_CLICK, 0, pointer},  // the bar owns its button's
    };
    for (const Row& r : rows) {
        Popups.clear();
        SendMessageW(r.target, r.message, r.wParam, 0);
        ASSERT_EQ(Popups.size(), 1u);
        EXPECT_EQ(Popups[0].owner, r.message == BM_CLICK ? ControlBar : r.target);
        EXPECT_EQ(Popups[0].at.x * 10000 + Popups[0].at.y, r.at.x * 10000 + r.at.y);
        EXPECT_EQ(Popups[0].hold * 10 + CursorHold, 10) << "the pointer is held while the menu is open";
    }
}

// Drives the real modal loops of the menu and the About box: reads them, then a way out.
struct Modal { std::wstring texts[3]; UINT closer; HMENU menu; int ticks; } M;

void CALLBACK DriveModal(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowW(L"#32770", L"バージョン情報"), popup = FindWindowW(L"#32768", nullptr);
    if (M.ticks++ > 20 || (popup && !box)) {  // the menu, or a box whose closer failed
        M.menu = popup ? (HMENU)SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0) : nullptr;
        box ? EndDialog(box, 0) : EndMenu();
    } else if (box) {
        for (int i = 0; i < 3; i++) {
            wchar_t t[200] = {};
            GetDlgItemTextW(box, IDC_ABOUT_VERSION + i, t, 200);
            M.texts[i] = GetDlgItem(box, IDC_ABOUT_ICON) ? t : L"no icon";
        }
        PostMessageW(box, M.closer, M.closer == WM_KEYDOWN ? VK_ESCAPE : M.closer == WM_SYSCOMMAND ? SC_CLOSE : IDOK, 0);
    }
}

TEST_F(ViewModes, ModalMenuAndAboutBoxCloseByEscCloseBoxOrOk)
{
    Start("");
    SetPopupMenuHandler(nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 100, DriveModal);
    M = {};
    Command(IDM_SHOW_MENU);
    EXPECT_EQ(M.menu, MainMenu);
    for (UINT closer : {WM_KEYDOWN, WM_SYSCOMMAND, WM_COMMAND}) {
        M = {{}, closer};
        Command(IDM_ABOUT);
        EXPECT_LE(M.ticks, 2) << closer;
        EXPECT_EQ(M.texts[0] + L"|" + M.texts[1], L"Nimbrel Version 1.71|(C) 2026 Nimbrel\nFFmpeg (LGPL) 使用");
        EXPECT_EQ(M.texts[2].rfind(L"再生エンジン 1.0 / FFmpeg avformat ", 0), 0u) << M.texts[2];
        EXPECT_EQ(M.texts[2].back(), L'\n');
    }
    KillTimer(nullptr, timer);
}

}  // namespace
