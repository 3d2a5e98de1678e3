// The volume slider: shows VolumeLevel as a filled bar and sets it with the mouse.
#pragma once
#include <windows.h>

constexpr wchar_t VolumeSliderClass[] = L"cvb";

// Right edge of the level bar: width * level / 100, the level taken within 0..100.
int VolumeToPixel(int level, int width);
// Level under a pointer at x (clamped to 0..width), truncated; 0 for an empty slider.
int PointerToVolume(int x, int width);

// Registers the window class (the result may be ignored: only the window's creation counts).
bool RegisterVolumeSliderClass();
