// The main pop-up menu.
#pragma once
#include <windows.h>

// Pops the main menu up for owner: at owner's top-left corner when corner is 1, else at
// the pointer. Choices arrive at owner as WM_COMMAND.
void ShowMainMenu(HWND owner, int corner);
// Rewrites the labels that follow the current video and sets the size mark.
void PrepareMainMenu();

// Every pop-up of the main menu goes through this, so a test can see it instead of a person.
using PopupMenuHandler = BOOL (*)(HMENU menu, int x, int y, HWND owner);
// Replaces the handler (null restores TrackPopupMenu); returns the previous one.
PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler);
