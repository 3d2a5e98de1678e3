#include "app/main_menu.h"

#include <utility>

#include <stdio.h>

#include "app/app.h"
#include "app/aspect.h"
#include "app/menus.h"
#include "app/view_modes.h"
#include "controls/cursor_hide.h"
#include "resources/resource.h"

static struct {
    PopupMenuHandler Handler;
} M;

PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler)
{
    return std::exchange(M.Handler, handler);
}

static void SetLabel(UINT id, const wchar_t* format, int a, int b, int c = 0)
{
    wchar_t label[64];
    _snwprintf(label, 64, format, a, b, c);
    label[63] = L'\0';
    SetMenuItemText(MainMenu, id, label);
}

void PrepareMainMenu()
{
    static const int Percents[5] = {25, 50, 100, 150, 200};
    ComputeNaturalRatio();
    SetLabel(IDM_ASPECT_NATURAL, L"通常 (%d ： %d)", NaturalRatio.Width, NaturalRatio.Height);
    ComputeZoomPercent();
    // Unknown sizes give the resource's own labels ("25%" ...) rather than made-up pixels.
    bool known = ComputePresetSizes();
    for (int i = 0; i < 5; i++) {
        if (known)
            SetLabel(IDM_SIZE_25 + i, L"%d%%\t[%d x %d]", Percents[i], SizePresetTable[i].cx, SizePresetTable[i].cy);
        else
            SetLabel(IDM_SIZE_25 + i, L"%d%%", Percents[i], 0);
    }
    SIZE shown = ShownPictureSize();
    SetLabel(IDM_SIZE_CURRENT, L"%d%%\t[%d x %d]", ZoomPercent, shown.cx, shown.cy);
    UINT marked = IDM_SIZE_CURRENT;
    for (int i = 0; i < 5; i++)
        if (ZoomPercent == Percents[i])
            marked = IDM_SIZE_25 + i;
    CheckRadioGroup(MainMenu, IDM_SIZE_25, IDM_SIZE_CURRENT, marked);
}

void ShowMainMenu(HWND owner, int corner)
{
    NoteMouseActivity(1);  // the pointer stays visible while the menu is open
    PrepareMainMenu();
    POINT at;
    if (corner) {
        RECT r;
        GetWindowRect(owner, &r);
        at = {r.left, r.top};
    } else {
        GetCursorPos(&at);
    }
    if (M.Handler)
        M.Handler(MainMenu, at.x, at.y, owner);
    else
        TrackPopupMenu(MainMenu, 0, at.x, at.y, 0, owner, nullptr);
    NoteMouseActivity(0);
}
