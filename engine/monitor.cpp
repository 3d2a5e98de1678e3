#include "engine/monitor.h"

#include "app/app.h"
#include "app/aspect.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "engine/movie_variables.h"
#include "engine/playback_commands.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"

unsigned PlaybackPosition;
unsigned PlaybackDuration;
bool SeekDragActive;

void ResetMonitor()
{
    PlaybackPosition = PlaybackDuration = 0;
    SeekDragActive = false;
}

// An end report is acted on once, and never during a seek-bar drag or without a current entry.
static void HandleEndOfFile()
{
    int ended = 0;
    if (!GetMovieVariable(MoviePlayStop, &ended) || ended != 1)
        return;
    if (CurrentIndex == -1 || SeekDragActive)
        return;
    AdvanceAfterEnd();
    SetMovieVariable(MoviePlayStop, 0, nullptr);
}

static void ReadPositionAndDuration()
{
    if (PlayState != Playing && PlayState != Paused)
        return;
    int value;
    if (GetMovieVariable(MovieTime, &value))
        PlaybackPosition = (unsigned)value;
    if (GetMovieVariable(MovieDuration, &value))
        PlaybackDuration = (unsigned)value;
}

static void ReadVideoSize()
{
    if (!GetMovieVariable(MovieWidth, &VideoWidth))
        VideoWidth = 0;
    if (!GetMovieVariable(MovieHeight, &VideoHeight))
        VideoHeight = 0;
}

void CALLBACK MonitorTick(HWND, UINT, UINT_PTR, DWORD)
{
    CursorIdleTick();
    if (!IsMovieLoaded())
        return;
    // While the section's end marker is dragged nothing is read or repainted.
    if (Settings.Repeat == RepeatSection && Section.SectionDrag == 2)
        return;
    HandleEndOfFile();
    ReadPositionAndDuration();
    if (Settings.Repeat == RepeatSection)
        ApplySectionRepeat();
    ReadVideoSize();
    for (HWND w : {SeekBar, TimeDisplay})
        if (w)
            InvalidateRect(w, nullptr, TRUE);
    UpdateTaskbar();  // the progress, and the previous and next items as the playlist changed
}
