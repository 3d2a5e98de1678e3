// Full screen, the toggles and size presets, the aspect slots, the main menu and the About box,
// driven by real messages to the real windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/aspect.h"
#include "app/main_menu.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app_run.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "resources/resource.h"

namespace {

struct Popup { HWND owner; POINT at; int hold; };
std::vector<Popup> Popups;
BOOL RecordPopup(HMENU, int x, int y, HWND owner) { Popups.push_back({owner, {x, y}, CursorHold}); return TRUE; }

RECT Rect(HWND w) { RECT r; GetWindowRect(w, &r); return r; }
bool Same(RECT a, RECT b) { return EqualRect(&a, &b); }
std::wstring Label(UINT id) { wchar_t t[64] = {}; GetMenuStringW(MainMenu, id, t, 64, MF_BYCOMMAND); return t; }
void Command(UINT id) { SendMessageW(MainWindow, WM_COMMAND, id, 0); }

struct ViewModes : ::testing::Test {
    CapturedBoxes boxes;
    void Start(const std::string& ini)
    {
        WriteTestIni("[Setting]\r\nWindowPosX=100\r\nWindowPosY=80\r\nWindowWidth=600\r\nWindowHeight=400\r\n" + ini);
        ASSERT_TRUE(StartApp());
        SetPopupMenuHandler(RecordPopup);
    }
    void TearDown() override { SetPopupMenuHandler(nullptr); CloseApp(); }
};

TEST_F(ViewModes, FullScreenRoundTrip)
{
    for (int shown : {1, 0}) {
        Start("PlayListShow=" + std::to_string(shown) + "\r\n");
        RECT before = Rect(MainWindow), monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        Command(IDM_FULL_SCREEN);
        EXPECT_TRUE(Same(monitor, Rect(MainWindow)));
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
        CloseApp();
    }
    Start("");
    ShowWindow(MainWindow, SW_MAXIMIZE);
    Command(IDM_FULL_SCREEN);  // Alt+Enter on a maximised window
    EXPECT_FALSE(FullScreen);
}

TEST_F(ViewModes, UnknownSizeOrUnencodableRatioLeavesWindowAndShowsZero)
{
    Start("");
    for (auto [w, h, natural] : {std::tuple{0, 0, L"通常 (0 ： 0)"}, {1000, 563, L"通常 (1000 ： 563)"}}) {
        RECT before = Rect(MainWindow);
        VideoWidth = w, VideoHeight = h;
        Command(IDM_SIZE_100);
        PrepareMainMenu();
        EXPECT_TRUE(Same(before, Rect(MainWindow)));
        EXPECT_EQ(Label(IDM_ASPECT_NATURAL) + L"|" + Label(IDM_SIZE_100) + L"|" + Label(IDM_SIZE_CURRENT),
                  std::wstring(natural) + L"|100%|0%\t[0 x 0]");
    }
}

TEST_F(ViewModes, AspectSlotsFromTheSettingsFile)
{
    Start("AspectRatio1=16\r\nAspectRatio2=-16009\r\nAspectRatio3=0\r\nAspectRatio4=2147483647\r\n"
          "AspectRatio5=1000000\r\nAspectRatio7=2039\r\n");
    struct Row { UINT id; const wchar_t *label, *sent; } rows[] = {  // a null sent: nothing sent
        {40087, L"2 ： 39", L"2039"}, {40081, L"---", nullptr}, {40082, L"---", nullptr},
        {40084, L"483 ： 647", L"2147483647"}, {40083, L"---", nullptr}, {40085, L"---", nullptr},
        {40080, nullptr, L"0"}, {40090, L"---", nullptr},
    };
    std::wstring last;
    for (const Row& r : rows) {
        Command(r.id);
        std::wstring sent;
        GetVariable(PanelEngine(), L"state_aspect", &sent);
        last = r.sent ? r.sent : last;
        EXPECT_EQ(sent, last) << r.id;
        EXPECT_EQ(IsMenuItemChecked(MainMenu, r.id), r.sent != nullptr) << r.id;
        if (r.label)
            EXPECT_EQ(Label(r.id), r.label);
    }
}

TEST_F(ViewModes, MainMenuAtTheCornerForF1AndAtThePointerOtherwise)
{
    Start("");
    SetCursorPos(300, 200);
    POINT pointer;
    GetCursorPos(&pointer);
    HWND picture = GetWindow(VideoPanel, GW_CHILD);
    POINT corner = {Rect(MainWindow).left, Rect(MainWindow).top};
    struct Row { HWND target; UINT message; WPARAM wParam; HWND owner; POINT at; } rows[] = {
        {MainWindow, WM_COMMAND, IDM_SHOW_MENU, MainWindow, corner}, {picture, WM_RBUTTONDOWN, 0, picture, pointer},
        {ControlBar, WM_RBUTTONDOWN, 0, ControlBar, pointer}, {ControlBar, WM_COMMAND, IDC_MENU_BUTTON, ControlBar, pointer},
    };
    for (const Row& r : rows) {
        Popups.clear();
        SendMessageW(r.target, r.message, r.wParam, 0);
        ASSERT_EQ(Popups.size(), 1u);
        EXPECT_EQ(Popups[0].owner, r.owner);
        EXPECT_EQ(Popups[0].at.x * 10000 + Popups[0].at.y, r.at.x * 10000 + r.at.y);
        EXPECT_EQ(Popups[0].hold * 10 + CursorHold, 10) << "held while open, released after";
    }
}

// The real modal loops of the menu and the About box: F11 inside them does nothing.
struct Modal { std::wstring texts[3]; UINT closer; HMENU menu; int ticks; } M;

void CALLBACK DriveModal(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowW(L"#32770", L"バージョン情報"), popup = FindWindowW(L"#32768", nullptr);
    HWND target = box ? box : popup;
    if (!target || M.ticks++ > 20) {  // a closer that failed must not hang the test
        box ? EndDialog(box, 0) : EndMenu();
        return;
    }
    PostMessageW(target, WM_KEYDOWN, VK_F11, 0);
    if (!box) {
        M.menu = (HMENU)SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0);
        EndMenu();
        return;
    }
    for (int i = 0; i < 3; i++) {
        wchar_t t[200] = {};
        GetDlgItemTextW(box, IDC_ABOUT_VERSION + i, t, 200);
        M.texts[i] = t;
    }
    PostMessageW(box, M.closer, M.closer == WM_KEYDOWN ? VK_ESCAPE : M.closer == WM_SYSCOMMAND ? SC_CLOSE : IDOK, 0);
}

TEST_F(ViewModes, ModalMenuAndAboutBoxIgnoreF11AndCloseByEscCloseBoxOrOk)
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
        EXPECT_EQ(M.texts[0], L"Nimbrel Version 1.71");
        EXPECT_NE(M.texts[1].find(L"FFmpeg (LGPL)"), std::wstring::npos);
        EXPECT_EQ(M.texts[2].rfind(L"再生エンジン 1.0 / FFmpeg avformat ", 0), 0u) << M.texts[2];
        EXPECT_EQ(M.texts[2].back(), L'\n');
    }
    KillTimer(nullptr, timer);
    PumpMessages();
    EXPECT_FALSE(FullScreen);
}

}  // namespace
