// The time display: "position/duration" as minutes and seconds, repainted by the monitor.
#pragma once
#include <windows.h>

constexpr wchar_t TimeDisplayClass[] = L"ctt";
constexpr int TimeTextInset = 2;  // pixels (at 96 DPI) kept free at the right of the text

// "%4u:%02u/%4u:%02u" of the position and the duration in whole seconds.
void FormatTimeText(unsigned position, unsigned duration, wchar_t* buf, int cap);

// Registers the window class (the result may be ignored: only the window's creation counts).
bool RegisterTimeDisplayClass();
