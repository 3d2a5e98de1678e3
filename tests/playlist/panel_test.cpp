// The playlist panel's windows, row drawing, pop-up menu, keys and mouse, in the running program.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/settings.h"
#include "engine/playback_commands.h"
#include "playlist/path_parts.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

using Panel = AppTest;

void Notify(UINT code)
{
    NMITEMACTIVATE n = {};
    n.hdr.hwndFrom = PlaylistView;
    n.hdr.idFrom = IDC_PLAYLIST_VIEW;
    n.hdr.code = code;
    n.iItem = -1;
    SendMessageW(PlaylistPanel, WM_NOTIFY, IDC_PLAYLIST_VIEW, (LPARAM)&n);
}

// Which of the menu's items were enabled when a right click opened it.
std::vector<bool> RightClickMenu()
{
    PostMessageW(PlaylistPanel, WM_CANCELMODE, 0, 0);  // delivered by the menu's own loop: it closes
    Notify(NM_RCLICK);
    std::vector<bool> enabled;
    for (UINT id : {IDM_PLAY_SELECTED, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_REMOVE, IDM_REMOVE_ALL, IDM_OPEN,
                    IDM_SAVE_PLAYLIST})
        enabled.push_back(IsMenuItemEnabled(PlaylistMenu, id));
    return enabled;
}

TEST_F(Panel, ListFillsThePanelHidesThePathMarksTheCurrentRowAndFitsTheNames)
{
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 2, 0), 0) << "the full path is not shown";
    RECT panel, view;
    GetClientRect(PlaylistPanel, &panel);
    GetWindowRect(PlaylistView, &view);
    EXPECT_EQ(view.right - view.left, Settings.PlayListWidth);
    EXPECT_EQ(view.bottom - view.top, panel.bottom);

    // The mark sits centred in the current row and is never highlighted.
    AddFiles({L"a.flv", L"b.flv", L"c.flv"});
    PlayEntry(1);
    SetFocus(PlaylistView);
    SetRow(1, LVIS_SELECTED | LVIS_FOCUSED);
    Picture p = Print(PlaylistView, PRF_CLIENT | PRF_ERASEBKGND);
    for (int row = 0; row < 3; row++) {
        RECT mark = {LVIR_LABEL, 0};
        SendMessageW(PlaylistView, LVM_GETSUBITEMRECT, row, (LPARAM)&mark);
        COLORREF centre = p.At((mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
        EXPECT_EQ(centre, row == 1 ? RGB(0, 0, 0) : GetSysColor(COLOR_WINDOW)) << row;
        EXPECT_EQ(p.At(mark.left + 1, mark.top + 1), GetSysColor(COLOR_WINDOW)) << row;
    }

    // The name column fits the names once an intake run ends.
    DropOnPlaylist({MakeFlv(Dir / L"a rather long name for a clip, long enough to be wide.flv")});
    int width = (int)SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 1, 0);
    EXPECT_GT(width, 100);
    SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 1, 0), width);
}

// The right click's menu offers, and a double click, Enter and that menu's item play, the row
// that is both focused and selected.
TEST_F(Panel, TheFocusedSelectedRowIsTheChoiceOfTheMenuDoubleClickAndEnter)
{
    // Order: play, up, down, remove, remove all, open, save.
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{false, false, false, false, false, true, false}));
    AddFiles({L"a.flv", L"b.flv", L"c.flv"});
    SetRow(0, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{true, false, true, true, true, true, true}));
    SetRow(0, 0);
    SetRow(2, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{true, true, false, true, true, true, true}));
    SetRow(2, LVIS_FOCUSED);
    SetRow(1, LVIS_SELECTED);
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{false, false, false, false, true, true, true}))
        << "a selection without the focus is no choice";
    Notify(NM_DBLCLK);
    EXPECT_EQ(PlayState, Stopped) << "no focused selected row: nothing plays";
    void (*ways[])() = {[] { Notify(NM_DBLCLK); },
                        [] { SendMessageW(PlaylistView, WM_KEYDOWN, VK_RETURN, 0); },  // becomes NM_RETURN
                        [] { SendMessageW(PlaylistPanel, WM_COMMAND, IDM_PLAY_SELECTED, 0); }};
    for (int row = 2; row >= 0; row--) {
        SetRow(-1, 0);
        SetRow(row, LVIS_SELECTED | LVIS_FOCUSED);
        ways[row]();
        EXPECT_EQ(NowPlaying(), std::to_wstring(row) + L" Playing [" + PathNamePart(Files[row].c_str()) + L"]");
    }
}

TEST_F(Panel, KeysOfTheListLosingTheFocusAndRemoveAll)
{
    AddFiles({L"a.flv", L"b.flv", L"c.flv"});
    SetFocus(PlaylistView);
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(PlaylistView, WM_KEYDOWN, 'A', 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETSELECTEDCOUNT, 0, 0), 3) << "Ctrl+A";
    SetFocus(MainWindow);
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETSELECTEDCOUNT, 0, 0), 0) << "losing the focus clears the selection";
    EXPECT_EQ(CurrentIndex, 0) << "but not the mark";

    SetFocus(PlaylistView);
    SetRow(1, LVIS_SELECTED);
    SendMessageW(PlaylistView, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(EntryPaths(), (Paths{Files[0], Files[2]})) << "Delete removes the selected rows";
    SendMessageW(PlaylistView, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(EntryPaths().size(), 2u) << "with nothing selected Delete removes nothing";
    SendMessageW(PlaylistView, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(PlayState, Playing) << "space plays";
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_REMOVE_ALL, 0);  // from the panel's menu
    EXPECT_TRUE(EntryPaths().empty());
    EXPECT_EQ(NowPlaying(), L"-1 Idle");
}

}  // namespace
