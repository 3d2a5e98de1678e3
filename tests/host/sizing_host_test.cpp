// The window-size presets and the main menu's size labels with a real 640 x 360 clip.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/aspect.h"
#include "app/main_menu.h"
#include "app/menus.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

BOOL NoPopup(HMENU, int, int, HWND) { return TRUE; }

TEST(SizingHost, PresetFitsTheClipAndTheMenuShowsItsSizes)
{
    CapturedBoxes boxes;
    WriteTestIni("[Setting]\r\nPlayListShow=1\r\nPlayListWidth=145\r\n");
    ASSERT_TRUE(StartApp());
    SetPopupMenuHandler(NoPopup);
    AddEntry(0, Clip(L"wide_640x360.mp4").c_str());
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 640 && VideoHeight == 360; }, 10000));
    SendMessageW(MainWindow, WM_COMMAND, IDM_SIZE_100, 0);  // Alt+2
    RECT client, outer, video;
    GetClientRect(MainWindow, &client);
    EXPECT_EQ(client.right * 10000 + client.bottom, 790 * 10000 + 390);
    SendMessageW(MainWindow, WM_COMMAND, IDM_SHOW_MENU, 0);  // F1
    const wchar_t* labels[] = {L"通常 (16 ： 9)", L"50%\t[320 x 180]", L"100%\t[640 x 360]",
                               L"200%\t[1280 x 720]", L"100%\t[640 x 360]"};
    UINT ids[] = {IDM_ASPECT_NATURAL, IDM_SIZE_50, IDM_SIZE_100, IDM_SIZE_200, IDM_SIZE_CURRENT};
    for (int i = 0; i < 5; i++) {
        wchar_t text[64] = {};
        GetMenuStringW(MainMenu, ids[i], text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(text, labels[i]);
    }
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_SIZE_100)) << "shown at exactly 100 %";
    GetWindowRect(MainWindow, &outer);
    SendMessageW(MainWindow, WM_COMMAND, IDM_SHOW_PLAYLIST, 0);  // Ctrl+L: the video takes the playlist's room
    RECT after;
    GetWindowRect(MainWindow, &after);
    GetWindowRect(VideoPanel, &video);
    EXPECT_TRUE(EqualRect(&outer, &after));
    EXPECT_EQ(video.right - video.left, 790);
    SetPopupMenuHandler(nullptr);
    CloseApp();
}

}  // namespace
