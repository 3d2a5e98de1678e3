// The playback monitor: timer 1 of the video panel, every 250 ms.
#pragma once
#include <windows.h>

extern unsigned PlaybackPosition;  // whole seconds
extern unsigned PlaybackDuration;  // whole seconds, 0 until known
extern bool SeekDragActive;        // the user is dragging on the seek bar

void ResetMonitor();
void CALLBACK MonitorTick(HWND window, UINT message, UINT_PTR id, DWORD time);
