// The program with its real engine: the movie file, the monitor's values, the end of a file,
// the play state with its title, volume and picture settings.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "app/app.h"
#include "app/aspect.h"
#include "app/file_dialog.h"
#include "app/menus.h"
#include "app/settings.h"
#include "app_run.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "host_support.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

namespace {

BOOL CancelDialog(FileDialogKind, OPENFILENAMEW*) { return FALSE; }

std::wstring Title()
{
    wchar_t text[256];
    GetWindowTextW(MainWindow, text, 256);
    return text;
}

struct Playback : ::testing::Test {
    CapturedBoxes boxes;
    void SetUp() override { Start(""); }
    void TearDown() override
    {
        CloseApp();
        SetFileDialogHandler(nullptr);
    }
    void Start(const std::string& ini)
    {
        WriteTestIni(ini);
        SetFileDialogHandler(CancelDialog);
        ASSERT_TRUE(StartApp());
        ASSERT_TRUE(IsMovieLoaded());
    }
    void Restart(const std::string& ini)
    {
        CloseApp();
        Start(ini);
    }
    void Add(const wchar_t* clip) { AddEntry(PlaylistCount(), Clip(clip).c_str()); }
    void SetEngineValue(const wchar_t* name, const wchar_t* value) { SetVariable(PanelEngine(), name, value); }
};

std::string FileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::wstring MoviePath()
{
    wchar_t folder[1024];
    GetTempPathW(1024, folder);
    GetLongPathNameW(folder, folder, 1024);
    return std::wstring(folder) + L"Nimbrel.swf";
}

TEST_F(Playback, StartupRewritesTheMovieFileAndHostsTheEngineInThePanel)
{
    CloseApp();
    std::ofstream(MoviePath().c_str(), std::ios::binary) << "an older, longer file that must be replaced whole";
    Start("");
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PLAYER_MOVIE), L"SWF");
    ASSERT_NE(found, nullptr);
    std::string resource((const char*)LockResource(LoadResource(nullptr, found)), SizeofResource(nullptr, found));
    EXPECT_EQ(FileBytes(MoviePath()), resource);
    EXPECT_EQ(resource.substr(0, 3), "CWS");
    EXPECT_EQ(EngineVersionText[wcslen(EngineVersionText) - 1], L'\n');

    HWND engineWindow = GetWindow(VideoPanel, GW_CHILD);
    ASSERT_NE(engineWindow, nullptr);
    for (int width : {700, 900}) {
        MoveWindow(MainWindow, 20, 20, width, 500, TRUE);
        RECT panel, engine;
        GetClientRect(VideoPanel, &panel);
        GetWindowRect(engineWindow, &engine);
        EXPECT_EQ(engine.right - engine.left, panel.right) << width;
        EXPECT_EQ(engine.bottom - engine.top, panel.bottom) << width;
    }
}

TEST_F(Playback, StartupSendsTheSavedPictureSettingsAndStops)
{
    Restart("[Setting]\r\nQuality=1\r\nSmoothing=0\r\nDeblocking=2\r\nVolumeLevel=40\r\n");
    EXPECT_EQ(EngineValue(L"state_quality"), L"1");
    EXPECT_EQ(EngineValue(L"state_smoothing"), L"0");
    EXPECT_EQ(EngineValue(L"state_deblocking"), L"2");
    EXPECT_EQ(EngineValue(L"state_volume"), L"40");
    EXPECT_EQ(EngineValue(L"state_stop"), L"1");
    EXPECT_EQ(PlayState, Idle);
    EXPECT_EQ(CurrentIndex, -1);
    EXPECT_FALSE(IsMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE));
    EXPECT_FALSE(IsMenuItemEnabled(MainMenu, IDM_STOP));
}

TEST_F(Playback, SavedMuteIsAppliedAtStart)
{
    Restart("[Setting]\r\nVolumeMute=1\r\nVolumeLevel=40\r\n");
    EXPECT_EQ(Settings.VolumeMute, 1);
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_MUTE));
    EXPECT_EQ(EngineValue(L"state_volume"), L"0");
    Restart("[Setting]\r\nVolumeMute=0\r\nVolumeLevel=40\r\n");
    EXPECT_EQ(Settings.VolumeMute, 0);
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_MUTE));
}

TEST_F(Playback, MonitorReadsDurationSizeAndPosition)
{
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 160 && VideoHeight == 120; }, 3000))
        << "before any file the movie reports 160 x 120";
    Add(L"long.mp4");
    PlayEntry(0);
    EXPECT_EQ(Title(), L"Nimbrel - [long.mp4]");
    ASSERT_TRUE(PumpUntil([] { return PlaybackDuration == 12; }, 5000)) << "12.9 s reads as 12";
    ASSERT_TRUE(PumpUntil([] { return PlaybackPosition >= 1; }, 5000));
    unsigned before = PlaybackPosition;
    ASSERT_TRUE(PumpUntil([&] { return PlaybackPosition > before; }, 3000));
}

TEST_F(Playback, StopKeepsTheFileAndTheSizeComesBackFromTheNextTick)
{
    Add(L"h264_aac.mp4");
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 320 && PlaybackPosition >= 1; }, 5000));
    SendMessageW(MainWindow, WM_COMMAND, IDM_STOP, 0);
    EXPECT_EQ(PlayState, Stopped);
    EXPECT_EQ(VideoWidth, 0);
    EXPECT_EQ(PlaybackPosition, 0u);
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(Title(), L"Nimbrel - [h264_aac.mp4]");
    EXPECT_TRUE(IsMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE));
    EXPECT_FALSE(IsMenuItemEnabled(MainMenu, IDM_STOP));
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 320 && VideoHeight == 240; }, 2000));
    EXPECT_EQ(PlaybackPosition, 0u) << "position is not read while stopped";
    EXPECT_EQ(PlaybackDuration, 0u);

    // Stop again, and stop while idle, change nothing.
    SendMessageW(MainWindow, WM_COMMAND, IDM_STOP, 0);
    EXPECT_EQ(PlayState, Stopped);
}

TEST_F(Playback, PlayPauseFollowsThePlayState)
{
    SendMessageW(MainWindow, WM_COMMAND, IDM_PLAY_PAUSE, 0);  // idle: nothing to play
    EXPECT_EQ(PlayState, Idle);
    SendMessageW(MainWindow, WM_COMMAND, IDM_STOP, 0);
    EXPECT_EQ(PlayState, Idle);
    EXPECT_EQ(Title(), L"Nimbrel");

    Add(L"long.mp4");
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return PlaybackPosition >= 1; }, 5000));
    SendMessageW(MainWindow, WM_KEYUP, VK_SPACE, 0);  // the space key's release pauses
    EXPECT_EQ(PlayState, Paused);
    EXPECT_EQ(EngineValue(L"state_pause"), L"1");
    EXPECT_EQ(Title(), L"Nimbrel - [long.mp4]");
    SendMessageW(MainWindow, WM_KEYDOWN, VK_SPACE, 0);  // pressing does nothing
    EXPECT_EQ(PlayState, Paused);

    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, 0);  // a grayed item guards the command
    SendMessageW(MainWindow, WM_COMMAND, IDM_PLAY_PAUSE, 0);
    EXPECT_EQ(PlayState, Paused);
    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, 1);

    SendMessageW(MainWindow, WM_COMMAND, IDM_PLAY_PAUSE, 0);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(EngineValue(L"state_pause"), L"0");

    SendMessageW(MainWindow, WM_COMMAND, IDM_STOP, 0);
    SetEngineValue(L"state_file", L"");  // so the restart is seen to write the file again
    SendMessageW(MainWindow, WM_COMMAND, IDM_PLAY_PAUSE, 0);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(EngineValue(L"state_file"), Clip(L"long.mp4"));
    ASSERT_TRUE(PumpUntil([] { return PlaybackDuration == 12; }, 5000));
    EXPECT_LE(PlaybackPosition, 2u) << "a stopped file starts again from its beginning";

    // The engine window hands the space key to the program too.
    HWND engineWindow = GetWindow(VideoPanel, GW_CHILD);
    SendMessageW(engineWindow, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(PlayState, Paused);
}

TEST_F(Playback, EndOfFileIsActedOnOnceAndOnlyWhenAllowed)
{
    Add(L"long.mp4");
    Add(L"h264_aac.mp4");
    PlayEntry(0);
    SendMessageW(MainWindow, WM_COMMAND, IDM_PLAY_PAUSE, 0);  // paused: no real end meanwhile
    ASSERT_EQ(PlayState, Paused);

    SetEngineValue(L"state_playstop", L"1");
    SeekDragActive = true;
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(CurrentIndex, 0) << "not during a seek-bar drag";
    EXPECT_EQ(EngineValue(L"state_playstop"), L"1") << "and not cleared";

    SeekDragActive = false;
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(CurrentIndex, 1);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(EngineValue(L"state_playstop"), L"0");
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(CurrentIndex, 1) << "one end, one step";

    RemoveAllEntries();
    SetEngineValue(L"state_playstop", L"1");
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(EngineValue(L"state_playstop"), L"1") << "no current entry: left for later";
}

TEST_F(Playback, RealEndOfTheLastFileStopsAndKeepsItMarked)
{
    Add(L"anamorphic.mp4");  // 2 s
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return PlayState == Stopped; }, 10000));
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(Title(), L"Nimbrel - [anamorphic.mp4]");
    EXPECT_EQ(EngineValue(L"state_playstop"), L"0");
}

TEST_F(Playback, VolumeStepsAndMute)
{
    Settings.VolumeLevel = 95;
    SendMessageW(MainWindow, WM_COMMAND, IDM_VOLUME_UP, 0);
    EXPECT_EQ(Settings.VolumeLevel, 100);
    EXPECT_EQ(EngineValue(L"state_volume"), L"100");
    SetEngineValue(L"state_volume", L"55");
    SendMessageW(MainWindow, WM_COMMAND, IDM_VOLUME_UP, 0);
    EXPECT_EQ(Settings.VolumeLevel, 100);
    EXPECT_EQ(EngineValue(L"state_volume"), L"100") << "100 is written again";

    Settings.VolumeLevel = 5;
    SendMessageW(MainWindow, WM_COMMAND, IDM_VOLUME_DOWN, 0);
    EXPECT_EQ(Settings.VolumeLevel, 0);
    EXPECT_EQ(EngineValue(L"state_volume"), L"0");

    Settings.VolumeLevel = 50;
    SendMessageW(MainWindow, WM_COMMAND, IDM_MUTE, 0);
    EXPECT_EQ(Settings.VolumeMute, 1);
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_MUTE));
    EXPECT_EQ(EngineValue(L"state_volume"), L"0");
    SendMessageW(MainWindow, WM_COMMAND, IDM_VOLUME_UP, 0);
    SendMessageW(MainWindow, WM_COMMAND, IDM_VOLUME_UP, 0);
    EXPECT_EQ(Settings.VolumeLevel, 70);
    EXPECT_EQ(EngineValue(L"state_volume"), L"0") << "muted: the engine is not told";
    SendMessageW(MainWindow, WM_COMMAND, IDC_MUTE, 0);  // the mute button's id is the same command
    EXPECT_EQ(Settings.VolumeMute, 0);
    EXPECT_EQ(EngineValue(L"state_volume"), L"70");
}

TEST_F(Playback, PictureChoicesAreRadioGroupsAndAlwaysReachTheEngine)
{
    SendMessageW(MainWindow, WM_COMMAND, IDM_QUALITY_MEDIUM, 0);
    EXPECT_EQ(Settings.Quality, 1);
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_QUALITY_MEDIUM));
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_QUALITY_HIGH));
    EXPECT_EQ(EngineValue(L"state_quality"), L"1");
    SetEngineValue(L"state_quality", L"3");
    SendMessageW(MainWindow, WM_COMMAND, IDM_QUALITY_MEDIUM, 0);  // the same choice again
    EXPECT_EQ(EngineValue(L"state_quality"), L"1");

    SendMessageW(MainWindow, WM_COMMAND, IDM_SMOOTHING_OFF, 0);
    EXPECT_EQ(Settings.Smoothing, 0);
    EXPECT_EQ(EngineValue(L"state_smoothing"), L"0");
    SendMessageW(MainWindow, WM_COMMAND, IDM_DEBLOCK_OFF, 0);
    EXPECT_EQ(Settings.Deblocking, 1);
    EXPECT_TRUE(IsMenuItemChecked(MainMenu, IDM_DEBLOCK_OFF));
    EXPECT_EQ(EngineValue(L"state_deblocking"), L"1");
}

}  // namespace
