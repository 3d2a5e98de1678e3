#include "app/view_modes.h"

#include "app/app.h"
#include "app/aspect.h"
#include "app/display_scale.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/cursor_hide.h"
#include "controls/splitter.h"
#include "resources/resource.h"

SIZE SizePresetTable[5];

static struct {
    LONG_PTR SavedWindowStyle;  // the style from just before full screen
} V;

void ResetViewModes()
{
    V = {};
    for (SIZE& s : SizePresetTable)
        s = {};
}

bool ComputePresetSizes()
{
    ComputeNaturalRatio();  // slot 0 follows the current video
    return PresetSizesFor(VideoWidth, DecodeAspect(AspectIndex), SizePresetTable);
}

void ShowPlaylist(bool shown)
{
    for (HWND w : {PlaylistPanel, Splitter})
        ShowWindow(w, shown ? SW_SHOW : SW_HIDE);
}

// Items that full screen grays, and gives back when it ends.
static void EnableWindowedItems(int enabled)
{
    SetMenuItemEnabled(MainMenu, IDM_SHOW_PLAYLIST, enabled);
    SetMenuItemEnabled(MainMenu, IDM_ALWAYS_ON_TOP, enabled);
    SetSizeItemsEnabled(MainMenu, enabled);
}

static void EnterFullScreen()
{
    FullScreen = true;
    SetMenuItemChecked(MainMenu, IDM_FULL_SCREEN, true);
    EnableWindowedItems(0);
    ShowPlaylist(false);
    V.SavedWindowStyle = GetWindowLongPtrW(MainWindow, GWL_STYLE);
    RECT before;
    GetWindowRect(MainWindow, &before);
    // The monitor that holds the window, which on one screen is the primary screen.
    const RECT m = MonitorRect(MainWindow);
    SetWindowLongPtrW(MainWindow, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    // The frame is recalculated even when the window already has the monitor's rectangle.
    SetWindowPos(MainWindow, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top, SWP_FRAMECHANGED);
    // Last: the WM_SIZE above recorded the screen's size as the window's.
    Settings.WindowPosX = before.left;
    Settings.WindowPosY = before.top;
    Settings.WindowWidth = before.right - before.left;
    Settings.WindowHeight = before.bottom - before.top;
}

static void LeaveFullScreen()
{
    FullScreen = false;
    SetMenuItemChecked(MainMenu, IDM_FULL_SCREEN, false);
    EnableWindowedItems(1);
    if (Settings.PlayListShow)
        ShowPlaylist(true);
    BarInFullScreen = true;
    NoteMouseActivity(0);  // a pointer hidden by the auto-hide comes back
    SetWindowLongPtrW(MainWindow, GWL_STYLE, V.SavedWindowStyle);
    // Back where it was, unless that monitor has gone meanwhile.
    RECT r = {Settings.WindowPosX, Settings.WindowPosY, Settings.WindowPosX + Settings.WindowWidth,
              Settings.WindowPosY + Settings.WindowHeight};
    KeepOnMonitor(r);
    SetWindowPos(MainWindow, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
    LayoutChildren();  // the bar comes back even if the client size did not change
}

void ToggleFullScreen()
{
    if (FullScreen)
        LeaveFullScreen();
    else
        EnterFullScreen();
}

void ApplyAlwaysOnTop()
{
    SetMenuItemChecked(MainMenu, IDM_ALWAYS_ON_TOP, Settings.WindowTop != 0);
    SetWindowPos(MainWindow, Settings.WindowTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

void ToggleAlwaysOnTop()
{
    Settings.WindowTop = !Settings.WindowTop;
    ApplyAlwaysOnTop();
}

void TogglePlaylistShown()
{
    Settings.PlayListShow = !Settings.PlayListShow;
    SetMenuItemChecked(MainMenu, IDM_SHOW_PLAYLIST, Settings.PlayListShow != 0);
    ShowPlaylist(Settings.PlayListShow != 0);
    LayoutChildren();  // the window keeps its size; the video area takes the difference
}

void ApplySizePreset(UINT id)
{
    if (id < IDM_SIZE_25 || id > IDM_SIZE_200)
        return;
    // No known video size or ratio: the window stays as it is.
    if (!ComputePresetSizes())
        return;
    SIZE s = SizePresetTable[id - IDM_SIZE_25];
    CheckRadioGroup(MainMenu, IDM_SIZE_25, IDM_SIZE_200, id);
    // The picture keeps the video's own pixels; the bar, the splitter and the frame are the scale's.
    long long width = s.cx, height = (long long)s.cy + Px(NormalBarHeight);
    if (PlaylistPanel && IsWindowVisible(PlaylistPanel))
        width += (long long)Settings.PlayListWidth + Px(SplitterWidth);
    SIZE outer = OuterSizeAt(FitWindowSide(width), FitWindowSide(height), UiDpi());
    SetWindowPos(MainWindow, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
}
