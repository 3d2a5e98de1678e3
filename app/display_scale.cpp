#include "app/display_scale.h"

#include <shellscalingapi.h>

#include "app/app.h"

static struct {
    int Dpi = BaseDpi;
} D;

int UiDpi()
{
    return D.Dpi;
}

int Px(int px)
{
    return ScaleToDpi(px, D.Dpi);
}

void SetUiDpi(int dpi)
{
    D.Dpi = ClampDpi(dpi);
    MinTrackSize = OuterSizeAt(Px(390), Px(30), D.Dpi);
}

void ResetDisplayScale()
{
    D = {};
}

int DpiAtPoint(POINT at)
{
    UINT x = BaseDpi, y = BaseDpi;
    if (FAILED(GetDpiForMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &x, &y)))
        return BaseDpi;
    return ClampDpi((int)x);
}

SIZE OuterSizeAt(int clientWidth, int clientHeight, int dpi)
{
    RECT r = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectExForDpi(&r, WS_OVERLAPPEDWINDOW, FALSE, 0, (UINT)dpi);
    return {r.right - r.left, r.bottom - r.top};
}

HFONT CreateUiFont(int dpi)
{
    LOGFONTW lf = {};
    if (!SystemParametersInfoForDpi(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0, (UINT)dpi))
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
    return CreateFontIndirectW(&lf);
}

int ScaleWindowSide(int side, int frameFrom, int frameTo, int fromDpi, int toDpi)
{
    return ClampToInt(ScaleWide((long long)side - frameFrom, fromDpi, toDpi) + frameTo);
}

void ScaleSavedSizes(SettingsRecord& s, int fromDpi, int toDpi)
{
    SIZE from = OuterSizeAt(0, 0, fromDpi), to = OuterSizeAt(0, 0, toDpi);
    s.WindowWidth = ScaleWindowSide(s.WindowWidth, from.cx, to.cx, fromDpi, toDpi);
    s.WindowHeight = ScaleWindowSide(s.WindowHeight, from.cy, to.cy, fromDpi, toDpi);
    s.PlayListWidth = ScaleBetween(s.PlayListWidth, fromDpi, toDpi);
}

RECT MoveIntoArea(RECT r, RECT area)
{
    auto fit = [](long long side, long long room) { return side < 0 ? 0 : side > room ? room : side; };
    long long width = fit((long long)r.right - r.left, area.right - area.left);
    long long height = fit((long long)r.bottom - r.top, area.bottom - area.top);
    long long left = r.left < area.left ? area.left : r.left + width > area.right ? area.right - width : r.left;
    long long top = r.top < area.top ? area.top : r.top + height > area.bottom ? area.bottom - height : r.top;
    return {(LONG)left, (LONG)top, (LONG)(left + width), (LONG)(top + height)};
}

bool KeepOnMonitor(RECT& r)
{
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL))
        return false;
    MONITORINFO monitor = {sizeof monitor};
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    r = MoveIntoArea(r, monitor.rcWork);
    return true;
}

HICON LoadSizedIcon(UINT id, int size)
{
    return (HICON)LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
}

RECT MonitorRect(HWND window)
{
    MONITORINFO monitor = {sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcMonitor;
}
