#include "app/main_window.h"

#include <windowsx.h>

#include <utility>

#include "app/app.h"
#include "app/commands.h"
#include "app/display_scale.h"
#include "app/keep_awake.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "controls/playlist_panel.h"
#include "engine/playback_commands.h"
#include "resources/resource.h"

static void OnDestroy()
{
    Settings.Maximize = IsZoomed(MainWindow) ? 1 : 0;
    PostQuitMessage(0);
}

static void OnMove(HWND window)
{
    // Only the restored window's place is remembered; full screen keeps the one from before.
    if (IsIconic(window) || IsZoomed(window) || FullScreen)
        return;
    RECT r;
    GetWindowRect(window, &r);
    Settings.WindowPosX = r.left;
    Settings.WindowPosY = r.top;
}

static void OnSize(HWND window, UINT type, int width, int height)
{
    if (width == 0 || height == 0)
        return;
    // The video keeps its narrowest width beside the splitter, playlist shown or not.
    Settings.PlayListWidth = FitPlayListWidth(Settings.PlayListWidth, width, UiDpi());
    LayoutChildren();
    // Full screen keeps the size from before it as the one to save and to return to.
    if (type == SIZE_RESTORED && !FullScreen) {
        RECT r;
        GetWindowRect(window, &r);
        Settings.WindowWidth = r.right - r.left;
        Settings.WindowHeight = r.bottom - r.top;
        SetMenuItemEnabled(MainMenu, IDM_FULL_SCREEN, 1);
        SetSizeItemsEnabled(MainMenu, 1);
    } else if (type == SIZE_MAXIMIZED && !FullScreen) {
        // A maximised window can be neither put into full screen nor given a preset size.
        SetMenuItemEnabled(MainMenu, IDM_FULL_SCREEN, 0);
        SetSizeItemsEnabled(MainMenu, 0);
    }
}

static void OnKeyUp(HWND window, UINT key)
{
    if (key == VK_SPACE)
        DispatchCommand(window, IDM_PLAY_PAUSE);
}

void ApplyWindowDpi(HWND window, int dpi, RECT suggested)
{
    int old = UiDpi();
    SetUiDpi(dpi);
    // What WM_SIZE does not write again (the restored size of a maximised or full-screen
    // window) and the playlist width keep their meaning at the new scale.
    ScaleSavedSizes(Settings, old, UiDpi());
    HFONT previous = nullptr, font = CreateUiFont(UiDpi());
    if (font)  // else the old one stays
        previous = std::exchange(UiFont, font);
    ScaleControlBar();
    ScalePlaylistPanel();
    ScaleTaskbarIcons();
    if (previous)
        DeleteObject(previous);
    RECT r = FullScreen ? MonitorRect(window) : suggested;
    KeepOnMonitor(r);
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutChildren();  // also when the size did not change
}

// A monitor went or changed: a window left on none comes back, full screen follows its monitor.
static void OnDisplayChange(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    if (FullScreen)
        r = MonitorRect(window);
    else if (IsIconic(window) || IsZoomed(window) || !KeepOnMonitor(r))
        return;
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

static LRESULT OnSysCommand(HWND window, WPARAM command, LPARAM lParam)
{
    if (RefusesScreenBlanking(command, lParam, PlayState == Playing, FullScreen))
        return 0;
    return DefWindowProcW(window, WM_SYSCOMMAND, command, lParam);
}

static LRESULT OnAppCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (DispatchAppCommand(window, GET_APPCOMMAND_LPARAM(lParam)))
        return TRUE;
    return DefWindowProcW(window, WM_APPCOMMAND, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsTaskbarButtonCreated(message)) {
        OnTaskbarButtonCreated(window);
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        MainWindow = window;
        RegisterTaskbarMessages(window);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_MOVE:
        OnMove(window);
        return 0;
    case WM_SIZE:
        OnSize(window, (UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_GETMINMAXINFO:
        ((MINMAXINFO*)lParam)->ptMinTrackSize = {MinTrackSize.cx, MinTrackSize.cy};
        return 0;
    case WM_KEYUP:
        OnKeyUp(window, (UINT)wParam);
        return 0;
    case WM_COMMAND:
        DispatchCommand(window, LOWORD(wParam));
        return 0;
    case WM_MOUSEMOVE:
        NoteMouseActivity(0);
        return 0;
    case WM_DPICHANGED:
        ApplyWindowDpi(window, LOWORD(wParam), *(const RECT*)lParam);
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(window);
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_APPCOMMAND:
        return OnAppCommand(window, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
