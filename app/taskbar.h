// The taskbar button: the progress of the file playing, and the thumbnail's previous,
// play/pause and next buttons, which follow the play state and the menu's enabled items. Reached
// only once the shell says the button exists; without a taskbar, or without its interface,
// everything here does nothing.
#pragma once
#include <windows.h>
#include <shobjidl.h>

// Registers the shell's "TaskbarButtonCreated" message and lets it (and the thumbnail buttons'
// clicks) reach the window also when the program runs elevated.
void RegisterTaskbarMessages(HWND window);
bool IsTaskbarButtonCreated(UINT message);
// The shell made (or made again) the window's button: the interface is taken, the buttons added.
void OnTaskbarButtonCreated(HWND window);
// Brings the button in line with the play state, the position and the enabled items; only what
// changed reaches the shell.
void UpdateTaskbar();
// The thumbnail buttons' icons at the main window's scale.
void ScaleTaskbarIcons();
// Lets the interface go (shutdown).
void ReleaseTaskbar();

// Tests hand in their own interface; null from the factory means no taskbar. Returns the previous.
using TaskbarFactory = ITaskbarList3* (*)();
TaskbarFactory SetTaskbarFactory(TaskbarFactory factory);
