// File intake: paths from the command line, drops and the open dialog become playlist
// entries. Each path passes LoadPath, which judges a file by its own first bytes.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "playlist/file_kind.h"

// The row at which the next accepted file goes; one intake run starts it at the entry
// count and every LoadPath of the run moves it on.
extern int InsertIndex;
void ResetFileIntake();

FileKind ClassifyFile(const wchar_t* path);
// 1 when the path was taken (added, or a playlist that was read); 0 when refused, after
// its message box.
int LoadPath(const wchar_t* path, int& insertIndex);
// Walks a folder tree depth first, every file through LoadPath, its folders on an explicit
// stack (no depth limit). Always 1.
int ScanFolder(const wchar_t* folder, int& insertIndex);
// Takes dropped files and folders: replace 1 (the video panel) empties the list and the
// playing state first and plays the first of them; replace 0 (the playlist panel)
// appends. Releases the drop. 1 when at least one entry was added.
int DropFiles(HDROP drop, int replace);
// The program's command line at start-up: every argument is a path, made absolute against
// the current folder as it is taken; entry 0 plays.
int LoadCommandLine();
// The same for a given command line (argument 0 is the program and is skipped).
int LoadCommandLineText(const wchar_t* commandLine);
// Command 40055: the open dialog, several files at once, appended.
int OpenFilesDialog();
