// The splitter between the video and the playlist: dragging it sets PlayListWidth.
#pragma once
#include <windows.h>

constexpr wchar_t SplitterClass[] = L"ws";

extern HWND Splitter;  // null until it exists

// The splitter's left edge for a pointer at x in a client area clientWidth wide at dpi:
// at least 50, at most clientWidth - 100 (at 96 DPI; the second limit wins in a narrow window).
int ClampSplitterX(int x, int clientWidth, int dpi);

// Registers the class and creates the splitter in MainWindow; false when either fails.
bool CreateSplitter();
// Forgets the splitter's handle (start-up).
void ResetSplitter();
