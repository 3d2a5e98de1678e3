// Hides the mouse pointer after five idle seconds in full screen.
#pragma once

extern int CursorShown;
extern int IdleTicks;
extern int CursorHold;

// Pointer shown, nothing counted: the state of a fresh start-up.
void ResetCursorHide();
// Every monitor tick: counts idle ticks and hides the pointer on the 20th.
void CursorIdleTick();
// Pointer activity (hold 1 while the main menu is open): shows a hidden pointer that moved.
void NoteMouseActivity(int hold);
