// The seek bar: progress, the repeat section with its two markers, the time under the
// pointer; seeking by press and drag.
#pragma once
#include <windows.h>

#include "playlist/playlist.h"

constexpr wchar_t SeekBarClass[] = L"csb";

enum MarkerHit { NoMarker = 0, StartMarker = 1, EndMarker = 2 };

// Pixel of a second on a bar width pixels wide: width * seconds / duration, within 0..width;
// 0 while the duration is unknown.
int SecondsToPixel(unsigned seconds, unsigned duration, int width);
// Second under a pointer at x (clamped to 0..width), truncated; 0 for an empty bar.
unsigned PointerToSeconds(int x, int width, unsigned duration);
// Which marker a press at x grabs; the start marker wins where the zones overlap.
// NoMarker outside section mode, before the section is set up or without a duration.
int HitMarker(int x, int width, const SectionRecord& section, unsigned duration, bool sectionMode);
// Where a drag seeks: a second at or beyond the duration becomes duration - 5, at least 0.
unsigned SeekTarget(unsigned seconds, unsigned duration);
// The hover time box: right of the pointer in the left half (left-aligned), left of it in
// the right half (right-aligned).
RECT HoverTextBox(int x, int width, int height, bool* rightAligned);
// "m:ss" of a second count.
void FormatHoverTime(unsigned seconds, wchar_t* buf, int cap);

// Registers the window class (the result may be ignored: only the window's creation counts).
bool RegisterSeekBarClass();
// Clears the drag and hover state (start-up).
void ResetSeekBar();
// Whether a drag holds the bar (for tests).
bool SeekBarDragging();
