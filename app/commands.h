// The command dispatcher: menu items, accelerators and buttons all arrive here as ids.
#pragma once
#include <windows.h>

// Runs the command's handler. Returns 0 when id is a command of the program, 1 otherwise.
int DispatchCommand(HWND window, UINT id);
// Runs the command of an app command (WM_APPCOMMAND's, without its device bits: media keys,
// remotes); false for one the program does not know, which then goes on to the system.
bool DispatchAppCommand(HWND window, int appCommand);
