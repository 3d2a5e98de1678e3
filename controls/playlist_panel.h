// The playlist panel: the right-hand child of the main window holding the owner-drawn
// list view whose rows are the playlist.
#pragma once
#include <windows.h>

// Registers class "wp" and creates the panel with its list view (PlaylistPanel and
// PlaylistView are set); false when either fails.
bool CreatePlaylistPanel();
// The font, the mark column and the mark at the main window's (new) scale.
void ScalePlaylistPanel();
// No panel: the state of a fresh start-up.
void ResetPlaylistPanel();
// Many rows are about to be added: the view holds its drawing and the sizing of the name
// column until the matching EndRowBatch, then does each once (batches may nest).
void BeginRowBatch();
void EndRowBatch();
