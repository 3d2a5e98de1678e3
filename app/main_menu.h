// The main pop-up menu.
#pragma once
#include <windows.h>

// Pops the main menu up for owner: at owner's top-left corner when corner is 1, else at
// the pointer. Choices arrive at owner as WM_COMMAND.
void ShowMainMenu(HWND owner, int corner);
