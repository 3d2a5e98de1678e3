// The command dispatcher: menu items, accelerators and buttons all arrive here as ids.
#pragma once
#include <windows.h>

// Runs the command's handler. Returns 0 when id is a command of the program, 1 otherwise.
int DispatchCommand(HWND window, UINT id);
