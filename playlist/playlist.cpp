#include "playlist/playlist.h"

#include <commctrl.h>

#include <string>

#include "app/app.h"
#include "app/aspect.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/settings.h"
#include "engine/monitor.h"
#include "engine/movie_variables.h"
#include "engine/playback_commands.h"
#include "engine/video_panel.h"
#include "resources/resource.h"

int CurrentIndex = -1;
SectionRecord Section;

static struct {
    std::wstring CurrentPath;  // the whole FullPath of the current entry, however long
} P;

int PlaylistCount()
{
    return PlaylistView ? (int)SendMessageW(PlaylistView, LVM_GETITEMCOUNT, 0, 0) : 0;
}

// The whole text of one column, growing the buffer until the text fits.
static std::wstring EntryText(int index, int column)
{
    std::wstring text(520, L'\0');
    for (;;) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = (int)text.size();
        int n = (int)SendMessageW(PlaylistView, LVM_GETITEMTEXTW, index, (LPARAM)&item);
        if (n < (int)text.size() - 1) {
            text.resize(n);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

bool GetEntryText(int index, int column, wchar_t* buf, int cap)
{
    if (cap <= 0)
        return false;
    buf[0] = L'\0';
    if (index < 0 || index >= PlaylistCount())
        return false;
    std::wstring text = EntryText(index, column);
    wcsncpy(buf, text.c_str(), cap - 1);
    buf[cap - 1] = L'\0';
    return true;
}

void ResetPlaylist()
{
    CurrentIndex = -1;
    Section = {};
    P = {};
}

const wchar_t* CurrentPath()
{
    return P.CurrentPath.c_str();
}

static void SetEntryText(int index, int column, const wchar_t* text)
{
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(PlaylistView, LVM_SETITEMTEXTW, index, (LPARAM)&item);
}

static std::wstring DisplayNameOf(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; p++)
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    return name;
}

void AddEntry(int index, const wchar_t* path)
{
    if (!PlaylistView)
        return;
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(L"");
    int row = (int)SendMessageW(PlaylistView, LVM_INSERTITEMW, 0, (LPARAM)&item);
    if (row < 0)
        return;
    SetEntryText(row, 1, DisplayNameOf(path).c_str());
    SetEntryText(row, 2, path);
    SendMessageW(PlaylistView, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
}

void LoadCurrentPath()
{
    if (CurrentIndex != -1 && CurrentIndex < PlaylistCount())
        P.CurrentPath = EntryText(CurrentIndex, 2);
}

void UpdatePlaylistMenuItems()
{
    int count = PlaylistCount();
    SetMenuItemEnabled(MainMenu, IDM_PREVIOUS, CurrentIndex > 0);
    SetMenuItemEnabled(MainMenu, IDM_NEXT, CurrentIndex != -1 && CurrentIndex + 1 < count);
    SetMenuItemEnabled(MainMenu, IDM_SAVE_PLAYLIST, count > 0);
}

void ResetFileState()
{
    PlaybackPosition = 0;
    PlaybackDuration = 0;
    UpdatePlaylistMenuItems();
    ResetVideoSize();
    Section = {};
    if (PlaylistView)
        InvalidateRect(PlaylistView, nullptr, TRUE);  // the playing mark follows CurrentIndex
}

void PlayEntry(int n)
{
    if (n < 0 || n >= PlaylistCount())
        return;
    CurrentIndex = n;
    LoadCurrentPath();
    // An end the monitor has not acted on yet belongs to the file this one replaces.
    SetMovieVariable(MoviePlayStop, 0, nullptr);
    if (IsMovieLoaded() && !P.CurrentPath.empty())
        SetMovieVariable(MovieFile, 0, P.CurrentPath.c_str());
    SetPlayState(Playing);
    ResetFileState();
}

void StopPlayback()
{
    SetMovieVariable(MovieStop, 1, nullptr);
    SetMovieVariable(MoviePlayStop, 0, nullptr);  // a pending end must not start the next file
    SetPlayState(Stopped);
    ResetFileState();
}

void AdvanceAfterEnd()
{
    int count = PlaylistCount();
    int cur = CurrentIndex;
    switch (Settings.Repeat) {
    case PlayListOnce:
        if (cur + 1 < count)
            PlayEntry(cur + 1);
        else
            StopPlayback();
        break;
    case RepeatCurrent:
        PlayEntry(cur);
        break;
    case RepeatPlayList:
        PlayEntry(cur + 1 < count ? cur + 1 : 0);
        break;
    default:  // the section repeat, one file once, and values the settings file may hold
        StopPlayback();
        break;
    }
}

void ApplySectionRepeat()
{
    unsigned p = PlaybackPosition, d = PlaybackDuration;
    SectionRecord& s = Section;
    if (s.SectionActive == 0) {
        // The first section of a file is the whole file, once both values are known.
        if (p > 0 && d > 0) {
            s.SectionStart = 0;
            s.SectionEnd = d;
            s.SectionActive = 1;
        }
    } else if (s.SectionDrag == 0) {
        if (p >= s.SectionEnd)
            SetMovieVariable(MovieSeek, (int)s.SectionLoopPoint, nullptr);
    } else if (s.SectionDrag == 1) {
        if (p < s.SectionEnd) {
            s.SectionStart = p;
        } else if (p + 1 < d) {
            s.SectionStart = p;
            s.SectionEnd = p + 1;
        } else {
            s.SectionStart = 0;
            s.SectionEnd = d;
            s.SectionDrag = 0;
        }
    }
}

void SetRepeatMode(UINT id)
{
    int old = Settings.Repeat;
    Settings.Repeat = (int)id - IDM_REPEAT_LIST_ONCE;
    CheckRadioGroup(MainMenu, IDM_REPEAT_LIST_ONCE, IDM_FILE_ONCE, id);
    bool entering = id == IDM_REPEAT_SECTION && old != RepeatSection;
    bool leaving = id != IDM_REPEAT_SECTION && old == RepeatSection;
    if (entering || leaving)
        Section = {};
    LayoutChildren();
}

void PlayPrevious()
{
    if (!IsMenuItemEnabled(MainMenu, IDM_PREVIOUS))
        return;
    if (CurrentIndex > 0)
        PlayEntry(CurrentIndex - 1);
}

void PlayNext()
{
    if (!IsMenuItemEnabled(MainMenu, IDM_NEXT))
        return;
    if (CurrentIndex >= 0 && CurrentIndex + 1 < PlaylistCount())
        PlayEntry(CurrentIndex + 1);
}

static int NextItem(int start, UINT flags)
{
    return PlaylistView ? (int)SendMessageW(PlaylistView, LVM_GETNEXTITEM, start, flags) : -1;
}

void PlaySelected()
{
    PlayEntry(NextItem(-1, LVNI_FOCUSED | LVNI_SELECTED));
}

static void SetRowState(int row, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(PlaylistView, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

void MoveEntry(int from, int to)
{
    int count = PlaylistCount();
    if (from < 0 || to < 0 || from >= count || to >= count)
        return;
    for (int column = 1; column <= 2; column++) {
        std::wstring a = EntryText(from, column), b = EntryText(to, column);
        SetEntryText(from, column, b.c_str());
        SetEntryText(to, column, a.c_str());
    }
    if (from == CurrentIndex)
        CurrentIndex = to;
    else if (to == CurrentIndex)
        CurrentIndex = from;
    LoadCurrentPath();
    SetRowState(-1, 0, LVIS_SELECTED);
    SetRowState(to, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    InvalidateRect(PlaylistView, nullptr, TRUE);
    UpdatePlaylistMenuItems();
}

void RemoveSelectedEntries()
{
    if (!PlaylistView)
        return;
    bool currentRemoved = CurrentIndex != -1 &&
                          (SendMessageW(PlaylistView, LVM_GETITEMSTATE, CurrentIndex, LVIS_SELECTED) & LVIS_SELECTED);
    for (int i; (i = NextItem(-1, LVNI_SELECTED)) != -1;) {
        if (CurrentIndex > i)
            CurrentIndex--;
        SendMessageW(PlaylistView, LVM_DELETEITEM, i, 0);
    }
    int count = PlaylistCount();
    if (count == 0) {
        RemoveAllEntries();
    } else if (currentRemoved) {
        CurrentIndex = CurrentIndex < count - 1 ? CurrentIndex : count - 1;
        LoadCurrentPath();
        StopPlayback();
    } else {
        UpdatePlaylistMenuItems();
    }
}

void RemoveAllEntries()
{
    SetMovieVariable(MovieStop, 1, nullptr);
    CurrentIndex = -1;
    P.CurrentPath.clear();
    SetPlayState(Idle);
    if (PlaylistView)
        SendMessageW(PlaylistView, LVM_DELETEALLITEMS, 0, 0);
    ResetFileState();
}
