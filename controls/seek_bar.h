// The seek bar: progress, the repeat section with its two markers, the time under the
// pointer; seeking by press and drag.
#pragma once
#include <windows.h>

#include "controls/seek_mapping.h"
#include "playlist/playlist.h"

constexpr wchar_t SeekBarClass[] = L"csb";

// The hover time box at dpi: right of the pointer in the left half (left-aligned), left of it
// in the right half (right-aligned).
RECT HoverTextBox(int x, int width, int height, int dpi, bool* rightAligned);
// "m:ss" of a second count.
void FormatHoverTime(unsigned seconds, wchar_t* buf, int cap);

// Registers the window class (the result may be ignored: only the window's creation counts).
bool RegisterSeekBarClass();
// Clears the drag and hover state (start-up).
void ResetSeekBar();
