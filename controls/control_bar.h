// The control bar along the bottom of the main window: play/pause, stop, seek bar, time,
// mute, volume and menu button.
#pragma once
#include <windows.h>

#include "app/layout.h"

constexpr wchar_t ControlBarClass[] = L"wc";

// The bar and its children, null until they exist; the play/pause and mute images are
// set by the playback commands as the play state and the mute setting change.
extern HWND ControlBar;
extern HWND PlayPauseButton, StopButton, MuteButton, MenuButton;
extern HWND SeekBar, TimeDisplay, VolumeSlider;
extern HICON PlayIcon, PauseIcon, SoundIcon, MutedIcon;  // 151, 153, 154, 155

// The bar draws its buttons with the icon each holds. (Wine's icon button keeps two bitmaps
// for every image it is given, and play/pause changes with every file and every pause.)
void SetButtonIcon(HWND button, HICON icon);
HICON ButtonIcon(HWND button);

// The places of the seven children in a bar barWidth wide at dpi, in the order play/pause, stop,
// seek bar, time, mute, volume, menu.
constexpr int BarChildCount = 7;
struct BarLayout {
    Placement Child[BarChildCount];
};
BarLayout ComputeBarLayout(int barWidth, int dpi);
// The icons, the time's font and the places at the main window's (new) scale.
void ScaleControlBar();

// Registers the class and creates the bar with all its children in MainWindow; false when
// the registration fails or the bar or any child is not created.
bool CreateControlBar();
// Forgets the bar's and its children's handles (start-up).
void ResetControlBar();
