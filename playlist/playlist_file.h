// Playlist files (".nbl"): the playlist saved as UTF-8 text, one path per line after the
// header line "[Nimbrel Play List]", and read back wherever a path enters the playlist.
#pragma once
#include <windows.h>

// Command 40056: asks for a file name and writes the playlist there. 1 when written.
int SavePlaylistDialog(HWND owner);
// Writes the playlist to path: a new file beside it first, then put in its place, so a
// failure leaves an existing file as it was. An empty playlist writes nothing. A path that
// has no faithful UTF-8 form (a lone surrogate) is left out and the others are written.
// 0 only when the file could not be written.
int WritePlaylistFile(const wchar_t* path);
// Loads every path the file lists at insertIndex onwards, a relative line against the
// playlist's own folder (nested playlists included; a playlist already being read is not
// read again). 1 when the file was read, 0 when it was
// unusable (nothing added, no message).
int ReadPlaylistFile(const wchar_t* path, int& insertIndex);
