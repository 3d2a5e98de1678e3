// The top-level window: its class and its window procedure.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window now shows at dpi (brought within 96..480) in the suggested rectangle (ignored in
// full screen, which keeps its monitor): sizes, font, icons and the layout follow.
void ApplyWindowDpi(HWND window, int dpi, RECT suggested);
