// Every message box of the program goes through ShowMessageBox, so a test can
// answer it instead of a person.
#pragma once
#include <windows.h>

using MessageBoxHandler = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);
// Replaces the handler (null restores MessageBoxW); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
