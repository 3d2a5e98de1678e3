#include "controls/volume_slider.h"

#include <windowsx.h>

#include "app/app.h"
#include "app/settings.h"
#include "controls/buffered_paint.h"
#include "controls/cursor_hide.h"
#include "engine/movie_variables.h"

int VolumeToPixel(int level, int width)
{
    // A level from a hand-edited settings file may be anything.
    level = level < 0 ? 0 : level > 100 ? 100 : level;
    return width <= 0 ? 0 : width * level / 100;
}

int PointerToVolume(int x, int width)
{
    if (width <= 0)
        return 0;
    x = x < 0 ? 0 : x > width ? width : x;
    int level = (int)((double)x / width * 100.0);
    return level > 100 ? 100 : level;
}

static void DrawVolumeSlider(HDC dc, const RECT& client)
{
    RECT level = {0, 0, VolumeToPixel(Settings.VolumeLevel, client.right), client.bottom};
    if (level.right > 0)
        FillRect(dc, &level, GetSysColorBrush(COLOR_BTNSHADOW));
}

static void SetLevelFromPointer(HWND slider, int x)
{
    RECT client;
    GetClientRect(slider, &client);
    int level = PointerToVolume(x, client.right);
    Settings.VolumeLevel = level;
    if (!Settings.VolumeMute)  // muted: the movie hears the level at unmute
        SetMovieVariable(MovieVolume, level, nullptr);
}

static void OnMouseMove(HWND slider, int x)
{
    NoteMouseActivity(0);
    if (GetCapture() != slider)
        return;
    SetLevelFromPointer(slider, x);
    InvalidateRect(slider, nullptr, TRUE);
}

static void OnButtonUp(HWND slider, int x)
{
    if (GetCapture() != slider)
        return;
    SetLevelFromPointer(slider, x);
    ReleaseCapture();
    InvalidateRect(slider, nullptr, TRUE);
}

static LRESULT CALLBACK VolumeSliderProc(HWND slider, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintWindow(slider, DrawVolumeSlider);
        return 0;
    case WM_PRINTCLIENT:
        PaintBuffered(slider, (HDC)wParam, DrawVolumeSlider);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the buffered paint fills the background itself
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONDOWN:
        SetCapture(slider);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(slider, GET_X_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(slider, GET_X_LPARAM(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        return 0;  // the last level is already applied
    }
    return DefWindowProcW(slider, message, wParam, lParam);
}

bool RegisterVolumeSliderClass()
{
    return RegisterChildClass(VolumeSliderClass, VolumeSliderProc, COLOR_BTNFACE);
}
