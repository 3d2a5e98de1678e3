#include "engine/playback_commands.h"

#include <stdio.h>

#include "app/app.h"
#include "app/keep_awake.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "controls/control_bar.h"
#include "engine/movie_variables.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

PlayStateValue PlayState;

void ResetPlayState()
{
    PlayState = Idle;
}

static void SetButton(HWND button, bool enabled, HICON icon)
{
    if (!button)
        return;
    EnableWindow(button, enabled);
    SetButtonIcon(button, icon);
}

void UpdateWindowTitle()
{
    if (!MainWindow)
        return;
    wchar_t name[1040] = L"";
    if (CurrentIndex == -1 || !GetEntryText(CurrentIndex, 1, name, 1040)) {
        SetWindowTextW(MainWindow, ProductTitle);
        return;
    }
    wchar_t title[1024];
    _snwprintf(title, 1024, L"%s - [%s]", ProductTitle, name);
    title[1023] = L'\0';
    SetWindowTextW(MainWindow, title);
}

void SetPlayState(PlayStateValue state)
{
    PlayState = state;
    bool playEnabled = state != Idle;
    bool stopEnabled = state == Playing || state == Paused;
    SetButton(PlayPauseButton, playEnabled, state == Playing ? PauseIcon : PlayIcon);
    SetButton(StopButton, stopEnabled, nullptr);
    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, playEnabled);
    SetMenuItemEnabled(MainMenu, IDM_STOP, stopEnabled);
    UpdateWindowTitle();
    KeepAwake(state == Playing);  // paused, stopped or idle, the screen may sleep again
    UpdateTaskbar();
}

void PlayPauseCommand()
{
    if (!IsMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE))
        return;
    switch (PlayState) {
    case Playing:
        SetMovieVariable(MoviePause, 1, nullptr);
        SetPlayState(Paused);
        break;
    case Paused:
        SetMovieVariable(MoviePause, 0, nullptr);
        SetPlayState(Playing);
        break;
    case Stopped:
        PlayEntry(CurrentIndex);  // writes the file again: it starts from its beginning
        break;
    case Idle:
        break;
    }
}

void StopCommand()
{
    if (!IsMenuItemEnabled(MainMenu, IDM_STOP))
        return;
    if (PlayState == Playing || PlayState == Paused)
        StopPlayback();
}

void MuteCommand()
{
    if (Settings.VolumeMute) {
        Settings.VolumeMute = 0;
        SetMenuItemChecked(MainMenu, IDM_MUTE, false);
        SetButtonIcon(MuteButton, SoundIcon);
        SetMovieVariable(MovieVolume, Settings.VolumeLevel, nullptr);
    } else {
        Settings.VolumeMute = 1;
        SetMenuItemChecked(MainMenu, IDM_MUTE, true);
        SetButtonIcon(MuteButton, MutedIcon);
        SetMovieVariable(MovieVolume, 0, nullptr);
    }
}

static void SetVolumeLevel(int level)
{
    // While muted the movie is not told; unmuting sends the latest level.
    if (!Settings.VolumeMute)
        SetMovieVariable(MovieVolume, level, nullptr);
    Settings.VolumeLevel = level;
    if (VolumeSlider)
        InvalidateRect(VolumeSlider, nullptr, TRUE);
}

// Compared before stepping, so a level near the int limits read from the file cannot overflow.
void VolumeUpCommand()
{
    int level = Settings.VolumeLevel;
    SetVolumeLevel(level > 90 ? 100 : level + 10);
}

void VolumeDownCommand()
{
    int level = Settings.VolumeLevel;
    SetVolumeLevel(level < 10 ? 0 : level - 10);
}

void QualityCommand(UINT id)
{
    Settings.Quality = (int)id - IDM_QUALITY_LOW;
    CheckRadioGroup(MainMenu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, id);
    SetMovieVariable(MovieQuality, Settings.Quality, nullptr);
}

void SmoothingCommand(UINT id)
{
    Settings.Smoothing = (int)id - IDM_SMOOTHING_OFF;
    CheckRadioGroup(MainMenu, IDM_SMOOTHING_OFF, IDM_SMOOTHING_ON, id);
    SetMovieVariable(MovieSmoothing, Settings.Smoothing, nullptr);
}

void DeblockingCommand(UINT id)
{
    Settings.Deblocking = (int)id - IDM_DEBLOCK_AUTO;
    CheckRadioGroup(MainMenu, IDM_DEBLOCK_AUTO, IDM_DEBLOCK_ON, id);
    SetMovieVariable(MovieDeblocking, Settings.Deblocking, nullptr);
}
