// The control bar along the bottom of the main window: play/pause, stop, seek bar, time,
// mute, volume and menu button.
#pragma once
#include <windows.h>

constexpr wchar_t ControlBarClass[] = L"wc";

// Registers the class and creates the bar with all its children in MainWindow; false when
// the registration fails or the bar or any child is not created.
bool CreateControlBar();
// Forgets the bar's and its children's handles (start-up).
void ResetControlBar();
