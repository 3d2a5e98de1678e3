// Flicker-free painting for the custom-drawn widgets: everything is drawn into a memory
// bitmap over the button-face colour and copied to the window in one BitBlt.
#pragma once
#include <windows.h>

using DrawFunction = void (*)(HDC dc, const RECT& client);

// Draws the client area of window into target (a paint DC or a WM_PRINTCLIENT DC).
void PaintBuffered(HWND window, HDC target, DrawFunction draw);
// WM_PAINT: BeginPaint, PaintBuffered, EndPaint.
void PaintWindow(HWND window, DrawFunction draw);
