// The playlist: the rows of the playlist view are the entries (no second copy).
// Each row: column 0 empty (the playing mark is drawn there), 1 DisplayName, 2 FullPath.
#pragma once
#include <windows.h>

#include "playlist/section_record.h"

enum RepeatMode { PlayListOnce = 0, RepeatCurrent = 1, RepeatPlayList = 2, RepeatSection = 3, CurrentOnce = 4 };

extern int CurrentIndex;         // -1 when there is no current entry
extern SectionRecord Section;

// Nothing current, no section: the state of a fresh start-up.
void ResetPlaylist();
int PlaylistCount();
// Column text of a row (1 DisplayName, 2 FullPath) into buf; false for a bad row.
bool GetEntryText(int index, int column, wchar_t* buf, int cap);

void AddEntry(int index, const wchar_t* path);
void PlayEntry(int n);
void StopPlayback();
void ResetFileState();
void UpdatePlaylistMenuItems();
void LoadCurrentPath();
void AdvanceAfterEnd();
void ApplySectionRepeat();

void SetRepeatMode(UINT id);
void PlayPrevious();
void PlayNext();
void PlaySelected();
void MoveEntry(int from, int to);
void RemoveSelectedEntries();
// Empties the list together with everything tied to the current row (the movie stops,
// CurrentIndex -1, Idle): every place that empties the playlist goes through here.
void RemoveAllEntries();

// The whole path of the current entry (kept in full, however long).
const wchar_t* CurrentPath();
