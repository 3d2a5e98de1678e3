// The seek bar's arithmetic: seconds and pixels, the section markers, seek targets.
// Portable: no Windows header (tools/fuzz.sh builds it natively).
#pragma once
#include "playlist/section_record.h"

enum MarkerHit { NoMarker = 0, StartMarker = 1, EndMarker = 2 };

// Pixel of a second on a bar width pixels wide: width * seconds / duration, within 0..width;
// 0 while the duration is unknown.
int SecondsToPixel(unsigned seconds, unsigned duration, int width);
// Second under a pointer at x (clamped to 0..width), truncated; 0 for an empty bar.
unsigned PointerToSeconds(int x, int width, unsigned duration);
// Which marker a press at x grabs; the start marker wins where the zones overlap. The zones are
// a few pixels of 96 DPI wide, scaled to dpi. NoMarker outside section mode, before the section
// is set up or without a duration.
int HitMarker(int x, int width, const SectionRecord& section, unsigned duration, bool sectionMode,
              int dpi = 96);
// Where a drag seeks: a second at or beyond the duration becomes duration - 5, at least 0.
unsigned SeekTarget(unsigned seconds, unsigned duration);
