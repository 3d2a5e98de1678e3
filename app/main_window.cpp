#include "app/main_window.h"

#include <windowsx.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/settings.h"
#include "controls/cursor_hide.h"
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
    // The video keeps at least 50 pixels beside the splitter, playlist shown or not.
    // In 64 bits: the width read from the file may be anything an int holds.
    if ((long long)width - Settings.PlayListWidth - SplitterWidth < 50)
        Settings.PlayListWidth = width - 55;
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

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        MainWindow = window;
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
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
