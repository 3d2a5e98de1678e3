// The playlist panel's windows, row drawing, pop-up menu, keys and mouse, in the running
// program.
#include "playlist_test_support.h"

#include <commctrl.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/settings.h"
#include "engine/playback_commands.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

namespace {

using Paths = std::vector<std::wstring>;

class Panel : public AppTest {
protected:
    TempFolder Dir;
    Paths Files;
    void AddThree()
    {
        for (const wchar_t* n : {L"a.flv", L"b.flv", L"c.flv"})
            Files.push_back(MakeFlv(Dir / n));
        DropOnPlaylist(Files);
    }
};

void SetRow(int row, UINT state)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(PlaylistView, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

std::vector<int> SelectedRows()
{
    std::vector<int> rows;
    for (int i = -1; (i = (int)SendMessageW(PlaylistView, LVM_GETNEXTITEM, i, LVNI_SELECTED)) != -1;)
        rows.push_back(i);
    return rows;
}

void Notify(UINT code)
{
    NMITEMACTIVATE n = {};
    n.hdr.hwndFrom = PlaylistView;
    n.hdr.idFrom = IDC_PLAYLIST_VIEW;
    n.hdr.code = code;
    n.iItem = -1;
    SendMessageW(PlaylistPanel, WM_NOTIFY, IDC_PLAYLIST_VIEW, (LPARAM)&n);
}

// The pop-up menu is closed as soon as it waits for the user.
WNDPROC PanelProc;
LRESULT CALLBACK CloseMenuWhenIdle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU)
        EndMenu();
    if (message == WM_INITMENUPOPUP)
        PostMessageW(window, WM_CANCELMODE, 0, 0);
    return CallWindowProcW(PanelProc, window, message, wParam, lParam);
}

// Which of the menu's items were enabled when a right click opened it.
std::vector<bool> RightClickMenu()
{
    PanelProc = (WNDPROC)SetWindowLongPtrW(PlaylistPanel, GWLP_WNDPROC, (LONG_PTR)CloseMenuWhenIdle);
    Notify(NM_RCLICK);
    SetWindowLongPtrW(PlaylistPanel, GWLP_WNDPROC, (LONG_PTR)PanelProc);
    std::vector<bool> enabled;
    for (UINT id : {IDM_PLAY_SELECTED, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_REMOVE, IDM_REMOVE_ALL, IDM_OPEN,
                    IDM_SAVE_PLAYLIST})
        enabled.push_back(IsMenuItemEnabled(PlaylistMenu, id));
    return enabled;
}

TEST_F(Panel, WindowsAreTheOwnerDrawnReportListInsideClassWp)
{
    ASSERT_NE(PlaylistPanel, nullptr);
    ASSERT_NE(PlaylistView, nullptr);
    wchar_t cls[32];
    GetClassNameW(PlaylistPanel, cls, 32);
    EXPECT_STREQ(cls, L"wp");
    EXPECT_EQ(GetParent(PlaylistPanel), MainWindow);
    EXPECT_EQ(GetDlgCtrlID(PlaylistPanel), IDC_PLAYLIST_PANEL);
    EXPECT_EQ(GetParent(PlaylistView), PlaylistPanel);
    EXPECT_EQ(GetDlgCtrlID(PlaylistView), IDC_PLAYLIST_VIEW);
    LONG style = GetWindowLongW(PlaylistView, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_OWNERDRAWFIXED);
    EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
    EXPECT_FALSE(style & LVS_SINGLESEL) << "several rows can be selected";
    EXPECT_TRUE(GetWindowLongW(PlaylistView, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(SendMessageW(PlaylistView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 0, 0), 20);
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 2, 0), 0);
    EXPECT_EQ((HFONT)SendMessageW(PlaylistView, WM_GETFONT, 0, 0), UiFont);

    RECT panel, view;
    GetClientRect(PlaylistPanel, &panel);
    GetWindowRect(PlaylistView, &view);
    EXPECT_EQ(view.right - view.left, Settings.PlayListWidth);
    EXPECT_EQ(view.bottom - view.top, panel.bottom);
}

TEST_F(Panel, NameColumnFitsTheNamesOnceAnIntakeRunEnds)
{
    Files.push_back(MakeFlv(Dir / L"a rather long name for a clip, long enough to be wide.flv"));
    DropOnPlaylist(Files);
    int width = (int)SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 1, 0);
    EXPECT_GT(width, 100);
    SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_EQ(SendMessageW(PlaylistView, LVM_GETCOLUMNWIDTH, 1, 0), width);
    EXPECT_TRUE(IsWindowVisible(PlaylistView));
}

TEST_F(Panel, RowsShowTheirNamesAndTheMarkSitsCentredInTheCurrentRow)
{
    AddThree();
    PlayEntry(1);
    SetRow(1, LVIS_SELECTED | LVIS_FOCUSED);
    RECT client;
    GetClientRect(PlaylistView, &client);
    HDC screen = GetDC(PlaylistView);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(PlaylistView, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT mark[3];
    for (int row = 0; row < 3; row++) {
        DRAWITEMSTRUCT d = {};
        d.CtlType = ODT_LISTVIEW;
        d.CtlID = IDC_PLAYLIST_VIEW;
        d.itemID = row;
        d.itemAction = ODA_DRAWENTIRE;
        d.itemState = row == 1 ? ODS_SELECTED | ODS_FOCUS : 0;
        d.hwndItem = PlaylistView;
        d.hDC = dc;
        SendMessageW(PlaylistView, LVM_GETITEMRECT, row, (LPARAM)&d.rcItem);
        mark[row].top = 0;
        mark[row].left = LVIR_LABEL;
        SendMessageW(PlaylistView, LVM_GETSUBITEMRECT, row, (LPARAM)&mark[row]);
        EXPECT_EQ(SendMessageW(PlaylistPanel, WM_DRAWITEM, IDC_PLAYLIST_VIEW, (LPARAM)&d), TRUE);
    }
    COLORREF window = GetSysColor(COLOR_WINDOW);
    auto centre = [&](int row) {
        return GetPixel(dc, (mark[row].left + mark[row].right) / 2, (mark[row].top + mark[row].bottom) / 2);
    };
    EXPECT_EQ(centre(1), RGB(0, 0, 0)) << "the mark is drawn in the current row";
    EXPECT_EQ(GetPixel(dc, mark[1].left + 1, mark[1].top + 1), window) << "the mark column is never highlighted";
    EXPECT_EQ(centre(0), window);
    EXPECT_EQ(centre(2), window);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(Panel, RightClickMenuEnablesItemsByTheFocusedSelectedRow)
{
    // Order: play, up, down, remove, remove all, open, save.
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{false, false, false, false, false, true, false}));
    AddThree();
    SetRow(0, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{true, false, true, true, true, true, true}));
    SetRow(0, 0);
    SetRow(2, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{true, true, false, true, true, true, true}));
    SetRow(2, LVIS_FOCUSED);
    SetRow(1, LVIS_SELECTED);
    EXPECT_EQ(RightClickMenu(), (std::vector<bool>{false, false, false, false, true, true, true}))
        << "a selection without the focus is no choice";
}

TEST_F(Panel, DoubleClickAndEnterPlayTheFocusedSelectedRowOnly)
{
    AddThree();
    Notify(NM_DBLCLK);
    EXPECT_EQ(PlayState, Stopped) << "no focused selected row: nothing plays";
    SetRow(2, LVIS_SELECTED | LVIS_FOCUSED);
    Notify(NM_DBLCLK);
    EXPECT_EQ(CurrentIndex, 2);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(WindowTitle(), TitleFor(L"c.flv"));
    SetRow(2, 0);
    SetRow(1, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(PlaylistView, WM_KEYDOWN, VK_RETURN, 0);  // the list turns Enter into NM_RETURN
    EXPECT_EQ(CurrentIndex, 1);
    EXPECT_EQ(WindowTitle(), TitleFor(L"b.flv"));
}

TEST_F(Panel, KeysOfTheList)
{
    AddThree();
    SetFocus(PlaylistView);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(PlaylistView, WM_KEYDOWN, 'A', 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1, 2})) << "Ctrl+A";

    SetRow(0, 0);
    SetRow(2, 0);
    SendMessageW(PlaylistView, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(EntryPaths(), (Paths{Files[0], Files[2]})) << "Delete removes the selected rows";
    SendMessageW(PlaylistView, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(EntryPaths().size(), 2u) << "with nothing selected Delete removes nothing";

    ASSERT_EQ(PlayState, Stopped);
    SendMessageW(PlaylistView, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(PlayState, Playing) << "space plays";
    SendMessageW(PlaylistView, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(PlayState, Paused) << "and pauses";
}

TEST_F(Panel, LosingTheFocusClearsTheSelectionButNotTheMark)
{
    AddThree();
    SetFocus(PlaylistView);
    SetRow(0, LVIS_SELECTED);
    SetRow(1, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_EQ(SelectedRows().size(), 2u);
    SetFocus(MainWindow);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(CurrentIndex, 0);
}

TEST_F(Panel, MenuChoicesReachTheCommandsThroughThePanel)
{
    AddThree();
    SetRow(1, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_MOVE_UP, 0);
    EXPECT_EQ(EntryPaths(), (Paths{Files[1], Files[0], Files[2]}));
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_PLAY_SELECTED, 0);
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(WindowTitle(), TitleFor(L"b.flv"));
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_REMOVE_ALL, 0);
    EXPECT_TRUE(EntryPaths().empty());
}

}  // namespace
