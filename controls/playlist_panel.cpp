#include "controls/playlist_panel.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "app/commands.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/cursor_hide.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

HWND PlaylistPanel;
HWND PlaylistView;

static const wchar_t PanelClass[] = L"wp";

static struct {
    WNDPROC ListProc;       // the list view's own procedure, behind the subclass
    HIMAGELIST PlayingMark;  // the current entry's mark, drawn by the row drawing
    int MarkSize;            // its side in pixels
    int BatchDepth;          // rows are being added in a batch
    bool ColumnSizePending;  // the name column was asked to fit during the batch
} S;

// The focused row when it is also selected, else -1.
static int FocusedSelection()
{
    return (int)SendMessageW(PlaylistView, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED | LVNI_SELECTED);
}

static void SetAllSelected(bool selected)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(PlaylistView, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
}

static LRESULT OnListKeyDown(HWND view, WPARAM key, LPARAM lParam)
{
    if (key == VK_DELETE) {
        SendMessageW(PlaylistPanel, WM_COMMAND, IDM_REMOVE, 0);
        return 0;
    }
    if (key == 'A' && GetKeyState(VK_CONTROL) < 0) {
        SetAllSelected(true);
        return 0;
    }
    return CallWindowProcW(S.ListProc, view, WM_KEYDOWN, key, lParam);
}

static LRESULT OnListKeyUp(HWND view, WPARAM key, LPARAM lParam)
{
    if (key == VK_SPACE) {
        DispatchCommand(PlaylistPanel, IDM_PLAY_PAUSE);
        return 0;
    }
    return CallWindowProcW(S.ListProc, view, WM_KEYUP, key, lParam);
}

static LRESULT CALLBACK PlaylistViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KILLFOCUS:
        SetAllSelected(false);  // a selection lives only while the list has the focus
        break;
    case WM_KEYDOWN:
        return OnListKeyDown(view, wParam, lParam);
    case WM_KEYUP:
        return OnListKeyUp(view, wParam, lParam);
    case WM_MOUSEMOVE:
        NoteMouseActivity(0);
        break;
    case LVM_SETCOLUMNWIDTH:
        // Fitting the column measures every row: once per batch, not once per row.
        if (S.BatchDepth > 0 && wParam == 1) {
            S.ColumnSizePending = true;
            return TRUE;
        }
        break;
    }
    return CallWindowProcW(S.ListProc, view, message, wParam, lParam);
}

static bool AddColumn(int index, int width)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.iSubItem = index;
    return SendMessageW(PlaylistView, LVM_INSERTCOLUMNW, index, (LPARAM)&column) == index;
}

// The current entry's mark, 8 pixels at 96 DPI; null when it cannot be made.
static HIMAGELIST MakePlayingMark(int size)
{
    HIMAGELIST mark = ImageList_Create(size, size, ILC_COLOR4 | ILC_MASK, 1, 0);
    HICON icon = LoadSizedIcon(IDI_PLAYING_MARK, size);
    bool added = mark && icon && ImageList_AddIcon(mark, icon) == 0;
    if (icon)
        DestroyIcon(icon);
    if (!added && mark)
        ImageList_Destroy(mark);
    return added ? mark : nullptr;
}

static LRESULT OnCreate(HWND panel)
{
    PlaylistPanel = panel;
    DragAcceptFiles(panel, TRUE);
    PlaylistView = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER, 0, 0,
        0, 0, panel, (HMENU)(INT_PTR)IDC_PLAYLIST_VIEW, AppInstance, nullptr);
    if (!PlaylistView)
        return -1;
    SendMessageW(PlaylistView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(PlaylistView, WM_SETFONT, (WPARAM)UiFont, FALSE);
    if (!AddColumn(0, Px(20)) || !AddColumn(1, 0) || !AddColumn(2, 0))
        return -1;
    S.ListProc = (WNDPROC)SetWindowLongPtrW(PlaylistView, GWLP_WNDPROC, (LONG_PTR)PlaylistViewProc);
    S.PlayingMark = MakePlayingMark(S.MarkSize = Px(8));
    return S.PlayingMark ? 0 : -1;
}

void ScalePlaylistPanel()
{
    if (!PlaylistView)
        return;
    SendMessageW(PlaylistView, WM_SETFONT, (WPARAM)UiFont, TRUE);  // the rows follow the font
    SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 0, Px(20));
    if (HIMAGELIST mark = MakePlayingMark(Px(8))) {
        ImageList_Destroy(S.PlayingMark);
        S.PlayingMark = mark;
        S.MarkSize = Px(8);
    }
    SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    InvalidateRect(PlaylistView, nullptr, TRUE);
}

static void OnDestroy()
{
    if (S.PlayingMark)
        ImageList_Destroy(S.PlayingMark);
    S.PlayingMark = nullptr;
}

static void OnSize(int height)
{
    MoveWindow(PlaylistView, 0, 0, Settings.PlayListWidth, height, TRUE);
    SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
}

static RECT SubItemBox(int row, int column)
{
    RECT box = {};
    box.top = column;
    box.left = LVIR_LABEL;
    SendMessageW(PlaylistView, LVM_GETSUBITEMRECT, row, (LPARAM)&box);
    return box;
}

static void DrawRow(const DRAWITEMSTRUCT* d)
{
    int row = (int)d->itemID;
    HDC dc = d->hDC;
    RECT markBox = SubItemBox(row, 0);
    RECT textBox = SubItemBox(row, 1);
    HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    FillRect(dc, &markBox, brush);
    if (row == CurrentIndex) {
        int x = markBox.left + (markBox.right - markBox.left - S.MarkSize) / 2;
        int y = markBox.top + (markBox.bottom - markBox.top - S.MarkSize) / 2;
        ImageList_Draw(S.PlayingMark, 0, dc, x, y, ILD_NORMAL);
    }
    if (d->itemState & ODS_SELECTED) {
        brush = GetSysColorBrush(COLOR_HIGHLIGHT);
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    FillRect(dc, &textBox, brush);
    wchar_t name[520];
    GetEntryText(row, 1, name, 520);
    DRAWTEXTPARAMS margins = {sizeof margins, 0, Px(2), 0, 0};
    DrawTextExW(dc, name, -1, &textBox, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, &margins);
    if (d->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &textBox);
}

static void ShowPlaylistMenu(int sel, int count)
{
    SetMenuItemEnabled(PlaylistMenu, IDM_MOVE_UP, sel > 0);
    SetMenuItemEnabled(PlaylistMenu, IDM_MOVE_DOWN, sel != -1 && sel + 1 < count);
    SetMenuItemEnabled(PlaylistMenu, IDM_PLAY_SELECTED, sel != -1);
    SetMenuItemEnabled(PlaylistMenu, IDM_REMOVE, sel != -1);
    SetMenuItemEnabled(PlaylistMenu, IDM_SAVE_PLAYLIST, count > 0);
    SetMenuItemEnabled(PlaylistMenu, IDM_REMOVE_ALL, count > 0);
    POINT at;
    GetCursorPos(&at);
    TrackPopupMenu(PlaylistMenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0,
                   PlaylistPanel, nullptr);
}

static void OnNotify(const NMHDR* header)
{
    if (header->hwndFrom != PlaylistView)
        return;
    int sel = FocusedSelection();
    int count = PlaylistCount();
    switch (header->code) {
    case NM_RCLICK:
        ShowPlaylistMenu(sel, count);
        break;
    case NM_DBLCLK:
    case NM_RETURN:
        PlayEntry(sel);
        break;
    }
}

static LRESULT CALLBACK PlaylistPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(panel);
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_SIZE:
        OnSize(HIWORD(lParam));
        return 0;
    case WM_DRAWITEM:
        if (((const DRAWITEMSTRUCT*)lParam)->hwndItem == PlaylistView)
            DrawRow((const DRAWITEMSTRUCT*)lParam);
        return TRUE;
    case WM_NOTIFY:
        OnNotify((const NMHDR*)lParam);
        return 0;
    case WM_COMMAND:
        DispatchCommand(panel, (UINT)wParam);
        return 0;
    case WM_DROPFILES:
        DropFiles((HDROP)wParam, 0);  // appended to the playlist
        return 0;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

void BeginRowBatch()
{
    if (S.BatchDepth++ == 0 && PlaylistView)
        SendMessageW(PlaylistView, WM_SETREDRAW, FALSE, 0);
}

void EndRowBatch()
{
    if (S.BatchDepth == 0 || --S.BatchDepth > 0 || !PlaylistView)
        return;
    SendMessageW(PlaylistView, WM_SETREDRAW, TRUE, 0);
    if (S.ColumnSizePending)
        SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    S.ColumnSizePending = false;
    InvalidateRect(PlaylistView, nullptr, TRUE);
}

void ResetPlaylistPanel()
{
    S = {};
    PlaylistPanel = PlaylistView = nullptr;
}

bool CreatePlaylistPanel()
{
    if (!RegisterChildClass(PanelClass, PlaylistPanelProc, COLOR_BTNFACE))
        return false;
    S.BatchDepth = 0;
    S.ColumnSizePending = false;
    HWND panel = CreateWindowExW(0, PanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                                 0, MainWindow, (HMENU)(INT_PTR)IDC_PLAYLIST_PANEL, AppInstance, nullptr);
    if (!panel) {
        PlaylistPanel = PlaylistView = nullptr;
        return false;
    }
    return true;
}
