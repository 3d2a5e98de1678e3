// The main window's display scale and what follows from it: pixel sizes, the window frame, the
// UI font, and the settings file's sizes, which are kept as they are at 100 %.
#pragma once
#include <windows.h>

#include "app/scale.h"
#include "app/settings.h"

// The main window's DPI, 96..480 (96 until the window's monitor is known).
int UiDpi();
// A 96-DPI pixel size at the main window's scale.
int Px(int px);
// Takes dpi, brought within 96..480, as the main window's; MinTrackSize follows it.
void SetUiDpi(int dpi);
// 96 again (start-up).
void ResetDisplayScale();

// The DPI of the monitor nearest to a screen point.
int DpiAtPoint(POINT at);
// The outer size of an overlapped window without menu bar around a client area, at dpi.
SIZE OuterSizeAt(int clientWidth, int clientHeight, int dpi);
// The icon-title font as the system gives it at dpi; null when it cannot be made.
HFONT CreateUiFont(int dpi);
// The resource icon id drawn size pixels square (the group's nearest image, scaled); null when
// it cannot be loaded.
HICON LoadSizedIcon(UINT id, int size);

// A window's outer side at another scale: its client part scaled, its frame as drawn there.
int ScaleWindowSide(int side, int frameFrom, int frameTo, int fromDpi, int toDpi);
// The saved outer size and the playlist width, in pixels of fromDpi, as pixels of toDpi.
void ScaleSavedSizes(SettingsRecord& s, int fromDpi, int toDpi);

// r moved (and shrunk where needed) to lie within area.
RECT MoveIntoArea(RECT r, RECT area);
// A window rectangle that lies on no monitor (one removed, a settings file from another
// desk) moves onto the nearest monitor's work area; false when it was already on one.
bool KeepOnMonitor(RECT& r);
// The rectangle of the monitor that holds most of window (the nearest one otherwise).
RECT MonitorRect(HWND window);
