#include "controls/splitter.h"

#include <windowsx.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "app/layout.h"
#include "app/settings.h"
#include "resources/resource.h"

HWND Splitter;

void ResetSplitter()
{
    Splitter = nullptr;
}

int ClampSplitterX(int x, int clientWidth, int dpi)
{
    int least = ScaleToDpi(NarrowestVideo, dpi), most = clientWidth - ScaleToDpi(100, dpi);
    if (x < least)
        x = least;
    if (x > most)
        x = most;
    return x;
}

static void DragStep(HWND splitter, LPARAM lParam)
{
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(splitter, MainWindow, &p, 1);
    RECT client;
    GetClientRect(MainWindow, &client);
    int x = ClampSplitterX(p.x, client.right, UiDpi());
    // Only the splitter moves now; the rest follows at the release.
    if (VideoPanel)
        InvalidateRect(VideoPanel, nullptr, TRUE);
    if (PlaylistPanel)
        InvalidateRect(PlaylistPanel, nullptr, TRUE);
    Settings.PlayListWidth = client.right - x - Px(SplitterWidth);
    MoveWindow(splitter, x, 0, Px(SplitterWidth), client.bottom - BarHeight(), TRUE);
}

static void OnButtonUp(HWND splitter)
{
    if (GetCapture() != splitter)
        return;
    ReleaseCapture();
    LayoutChildren();
}

static LRESULT CALLBACK SplitterProc(HWND splitter, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
    case WM_LBUTTONDOWN:
        SetCapture(splitter);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == splitter)
            DragStep(splitter, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(splitter);
        return 0;
    case WM_CAPTURECHANGED:
        return 0;  // PlayListWidth keeps the last drag value; the next layout applies it
    case WM_SHOWWINDOW:
        // Hidden (full screen, the playlist switched off) mid-drag: the drag ends there.
        if (!wParam && GetCapture() == splitter)
            ReleaseCapture();
        return 0;
    }
    return DefWindowProcW(splitter, message, wParam, lParam);
}

bool CreateSplitter()
{
    if (!RegisterChildClass(SplitterClass, SplitterProc, COLOR_BTNFACE))
        return false;
    Splitter = CreateWindowExW(0, SplitterClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               0, 0, MainWindow, (HMENU)(INT_PTR)IDC_PANEL, AppInstance, nullptr);
    return Splitter != nullptr;
}
