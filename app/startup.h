// Start-up, message loop and shutdown of the program.
#pragma once
#include <windows.h>

// The whole program: start-up, message loop, shutdown, error report. Returns the exit code.
int NimbrelMain(HINSTANCE instance, int showCommand);

// The same in three steps, so tests can act between start-up and shutdown.
// StartNimbrel returns true when the message loop is to run.
bool StartNimbrel(HINSTANCE instance, int showCommand);
int RunMessageLoop();
void FinishNimbrel();

// Pushes the loaded settings into the engine, the menus and the playlist panel, and starts
// with nothing current. Nothing in it can fail: it always returns true (start-up tests the
// result as it does for every step that creates the windows).
bool ApplySettingsAtStart();
