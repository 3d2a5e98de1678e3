#include "app/commands.h"

#include <commctrl.h>

#include "app/about_box.h"
#include "app/app.h"
#include "app/aspect.h"
#include "app/layout.h"
#include "app/main_menu.h"
#include "app/menus.h"
#include "app/view_modes.h"
#include "engine/playback_commands.h"
#include "playlist/file_association.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"

using CommandHandler = void (*)(HWND window, UINT id);

struct CommandRow {
    UINT first, last;  // the ids the row answers
    UINT guard;        // a main-menu item that must be enabled, or 0
    CommandHandler handler;
};

static void Exit(HWND, UINT)
{
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
}

static void LeaveFullScreenByEscape(HWND, UINT)
{
    if (FullScreen)
        SendMessageW(MainWindow, WM_COMMAND, IDM_FULL_SCREEN, 0);
}

static void ToggleBarInFullScreen(HWND, UINT)
{
    if (!FullScreen)
        return;
    BarInFullScreen = !BarInFullScreen;
    LayoutChildren();
}

static void PlayPause(HWND, UINT) { PlayPauseCommand(); }
static void StopPlaying(HWND, UINT) { StopCommand(); }
static void Mute(HWND, UINT) { MuteCommand(); }
static void VolumeUp(HWND, UINT) { VolumeUpCommand(); }
static void VolumeDown(HWND, UINT) { VolumeDownCommand(); }
static void Quality(HWND, UINT id) { QualityCommand(id); }
static void Smoothing(HWND, UINT id) { SmoothingCommand(id); }
static void Deblocking(HWND, UINT id) { DeblockingCommand(id); }
static void Repeat(HWND, UINT id) { SetRepeatMode(id); }
static void Previous(HWND, UINT) { PlayPrevious(); }
static void Next(HWND, UINT) { PlayNext(); }
static void PlayChosen(HWND, UINT) { PlaySelected(); }
static void RemoveChosen(HWND, UINT) { RemoveSelectedEntries(); }
static void RemoveAll(HWND, UINT) { RemoveAllEntries(); }
static void OpenFiles(HWND, UINT) { OpenFilesDialog(); }
static void SavePlaylist(HWND window, UINT) { SavePlaylistDialog(window); }

static void FullScreenOnOff(HWND, UINT) { ToggleFullScreen(); }
static void AlwaysOnTop(HWND, UINT) { ToggleAlwaysOnTop(); }
static void PlaylistShown(HWND, UINT) { TogglePlaylistShown(); }
static void SizePreset(HWND, UINT id) { ApplySizePreset(id); }
static void Aspect(HWND, UINT id) { ChooseAspect(id); }
static void Associate(HWND, UINT) { RegisterFileTypes(); }
static void About(HWND, UINT) { ShowAboutBox(); }
static void MenuAtCorner(HWND window, UINT) { ShowMainMenu(window, 1); }

static int FocusedRow()
{
    return PlaylistView ? (int)SendMessageW(PlaylistView, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED) : -1;
}

static void MoveUp(HWND, UINT)
{
    int f = FocusedRow();
    MoveEntry(f, f - 1);
}

static void MoveDown(HWND, UINT)
{
    int f = FocusedRow();
    if (f != -1)  // no focused row: nothing to move
        MoveEntry(f, f + 1);
}

static const CommandRow CommandTable[] = {
    {IDM_PLAY_PAUSE, IDM_PLAY_PAUSE, 0, PlayPause},
    {IDC_PLAY_PAUSE, IDC_PLAY_PAUSE, 0, PlayPause},
    {IDM_STOP, IDM_STOP, 0, StopPlaying},
    {IDC_STOP, IDC_STOP, 0, StopPlaying},
    {IDM_REPEAT_LIST_ONCE, IDM_FILE_ONCE, 0, Repeat},
    {IDM_PREVIOUS, IDM_PREVIOUS, 0, Previous},
    {IDM_NEXT, IDM_NEXT, 0, Next},
    {IDM_FULL_SCREEN, IDM_FULL_SCREEN, IDM_FULL_SCREEN, FullScreenOnOff},
    {IDM_ALWAYS_ON_TOP, IDM_ALWAYS_ON_TOP, IDM_ALWAYS_ON_TOP, AlwaysOnTop},
    {IDM_SHOW_PLAYLIST, IDM_SHOW_PLAYLIST, IDM_SHOW_PLAYLIST, PlaylistShown},
    {IDM_QUALITY_LOW, IDM_QUALITY_HIGH, 0, Quality},
    {IDM_SMOOTHING_OFF, IDM_SMOOTHING_ON, 0, Smoothing},
    {IDM_SIZE_25, IDM_SIZE_200, IDM_SIZE_25, SizePreset},
    {IDM_ASSOCIATE, IDM_ASSOCIATE, 0, Associate},
    {IDM_ABOUT, IDM_ABOUT, 0, About},
    {IDM_EXIT, IDM_EXIT, 0, Exit},
    {IDM_MUTE, IDM_MUTE, 0, Mute},
    {IDC_MUTE, IDC_MUTE, 0, Mute},
    {IDM_VOLUME_UP, IDM_VOLUME_UP, 0, VolumeUp},
    {IDM_VOLUME_DOWN, IDM_VOLUME_DOWN, 0, VolumeDown},
    {IDM_DEBLOCK_AUTO, IDM_DEBLOCK_ON, 0, Deblocking},
    {IDM_PLAY_SELECTED, IDM_PLAY_SELECTED, 0, PlayChosen},
    {IDM_MOVE_UP, IDM_MOVE_UP, 0, MoveUp},
    {IDM_MOVE_DOWN, IDM_MOVE_DOWN, 0, MoveDown},
    {IDM_REMOVE, IDM_REMOVE, 0, RemoveChosen},
    {IDM_REMOVE_ALL, IDM_REMOVE_ALL, 0, RemoveAll},
    {IDM_OPEN, IDM_OPEN, 0, OpenFiles},
    // Like the grayed item, Ctrl+S does nothing while the playlist is empty.
    {IDM_SAVE_PLAYLIST, IDM_SAVE_PLAYLIST, IDM_SAVE_PLAYLIST, SavePlaylist},
    {IDM_ESCAPE, IDM_ESCAPE, 0, LeaveFullScreenByEscape},
    {IDM_TOGGLE_BAR, IDM_TOGGLE_BAR, 0, ToggleBarInFullScreen},
    {IDM_SHOW_MENU, IDM_SHOW_MENU, 0, MenuAtCorner},
    {IDM_ASPECT_NATURAL, IDM_ASPECT_LAST, 0, Aspect},
};

int DispatchCommand(HWND window, UINT id)
{
    id &= 0xFFFF;
    for (const CommandRow& row : CommandTable) {
        if (id < row.first || id > row.last)
            continue;
        if (row.guard == 0 || IsMenuItemEnabled(MainMenu, row.guard))
            row.handler(window, id);
        return 0;
    }
    return 1;
}

// Media keys and the app commands of keyboards and remotes run the commands above, so each
// guard, menu state and saved setting applies as it does for the menu and the accelerators.
enum AppCommandWhen { Always, WhilePlaying, UnlessPlaying };

static const struct {
    int AppCommand;
    UINT Id;
    AppCommandWhen When;  // play and pause alone are the play/pause command in one direction
} AppCommandTable[] = {
    {APPCOMMAND_MEDIA_PLAY_PAUSE, IDM_PLAY_PAUSE, Always},
    {APPCOMMAND_MEDIA_PLAY, IDM_PLAY_PAUSE, UnlessPlaying},
    {APPCOMMAND_MEDIA_PAUSE, IDM_PLAY_PAUSE, WhilePlaying},
    {APPCOMMAND_MEDIA_STOP, IDM_STOP, Always},
    {APPCOMMAND_MEDIA_NEXTTRACK, IDM_NEXT, Always},
    {APPCOMMAND_MEDIA_PREVIOUSTRACK, IDM_PREVIOUS, Always},
    {APPCOMMAND_VOLUME_UP, IDM_VOLUME_UP, Always},
    {APPCOMMAND_VOLUME_DOWN, IDM_VOLUME_DOWN, Always},
    {APPCOMMAND_VOLUME_MUTE, IDM_MUTE, Always},
};

bool DispatchAppCommand(HWND window, int appCommand)
{
    for (const auto& row : AppCommandTable) {
        if (row.AppCommand != appCommand)
            continue;
        if (row.When == Always || (row.When == WhilePlaying) == (PlayState == Playing))
            DispatchCommand(window, row.Id);
        return true;
    }
    return false;
}
