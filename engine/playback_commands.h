// The play state and the commands that act on the running movie.
#pragma once
#include <windows.h>

enum PlayStateValue { Idle = 0, Playing = 1, Paused = 2, Stopped = 3 };

extern PlayStateValue PlayState;
void ResetPlayState();  // Idle

// Stores the state and brings menu items 40000/40002 and the window title in line.
void SetPlayState(PlayStateValue state);
// The window title: "Nimbrel - [name]" for the current entry, "Nimbrel" without one.
void UpdateWindowTitle();

// Command handlers (also reached through DispatchCommand).
void PlayPauseCommand();
void StopCommand();
void MuteCommand();
void VolumeUpCommand();
void VolumeDownCommand();
void QualityCommand(UINT id);     // 40014..40016
void SmoothingCommand(UINT id);   // 40018..40019
void DeblockingCommand(UINT id);  // 40038..40040
