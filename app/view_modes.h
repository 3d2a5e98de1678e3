// Full screen, always on top, the playlist shown or hidden, and the window-size presets.
#pragma once
#include <windows.h>

// The five preset sizes (25, 50, 100, 150, 200 %) of the picture, for items 40024..40028.
extern SIZE SizePresetTable[5];

// Nothing saved from a full screen, no presets known: the state of a fresh start-up.
void ResetViewModes();

// Fills SizePresetTable from VideoWidth and the chosen aspect; false (table untouched)
// while the video size or the ratio is unknown.
bool ComputePresetSizes();

// The playlist panel and the splitter shown or hidden together.
void ShowPlaylist(bool shown);
// The check of 40012 and the window's topmost state as Settings.WindowTop says.
void ApplyAlwaysOnTop();

// Command handlers; the dispatcher runs them only while their item is enabled.
void ToggleFullScreen();      // 40011
void ToggleAlwaysOnTop();     // 40012
void TogglePlaylistShown();   // 40013
void ApplySizePreset(UINT id);  // 40024..40028
