// Every open and save dialog of the program goes through ShowFileDialog, so a test can
// answer it instead of a person.
#pragma once
#include <windows.h>
#include <commdlg.h>

enum FileDialogKind { OpenFileDialog = 0, SaveFileDialog = 1 };

// Returns what GetOpenFileNameW or GetSaveFileNameW would: non-zero when a file was chosen.
using FileDialogHandler = BOOL (*)(FileDialogKind kind, OPENFILENAMEW* dialog);

BOOL ShowFileDialog(FileDialogKind kind, OPENFILENAMEW* dialog);
// Replaces the handler (null restores the system dialogs); returns the previous one.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);
