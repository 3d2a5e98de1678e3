// The display and the system kept awake while a file plays.
#pragma once
#include <windows.h>

// While playing, the system is asked to keep the display and itself on; otherwise it may sleep.
void KeepAwake(bool playing);
// Whether a system command that would blank the screen (the screen saver, the monitor to low
// power or off) is refused: while a file plays in full screen.
bool RefusesScreenBlanking(WPARAM command, LPARAM lParam, bool playing, bool fullScreen);

// Tests replace the system's SetThreadExecutionState; the previous handler is returned.
using ExecutionStateHandler = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
ExecutionStateHandler SetExecutionStateHandler(ExecutionStateHandler handler);
