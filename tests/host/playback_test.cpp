// The program with its real engine: the movie file, the monitor's values, the end of a file,
// the play state with its title, volume and picture settings; values crossing to the movie.
#include <algorithm>

#include "app/app.h"
#include "app/aspect.h"
#include "app/menus.h"
#include "engine/monitor.h"
#include "engine/movie_variables.h"
#include "engine/playback_commands.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

// Without the program no value crosses to an engine; a module without the movie leaves no
// movie file.
TEST(NoEngine, NothingCrossesAndAModuleWithoutTheMovieWritesNothing)
{
    int value = 77;
    EXPECT_FALSE(GetMovieVariable(MovieWidth, &value));
    EXPECT_EQ(value, 77);
    EXPECT_FALSE(SetMovieVariable(MovieStop, 1, nullptr));
    TempFolder dir;
    AppInstance = GetModuleHandleW(L"kernel32.dll");
    EXPECT_FALSE(ExtractPlayerMovie((dir / L"Nimbrel.swf").c_str()));
    EXPECT_EQ(GetFileAttributesW((dir / L"Nimbrel.swf").c_str()), INVALID_FILE_ATTRIBUTES);
    AppInstance = GetModuleHandleW(nullptr);
}

struct Playback : AppTest {
    void Add(const wchar_t* clip) { AddEntry(PlaylistCount(), Clip(clip).c_str()); }
};

TEST_F(Playback, StartupRewritesTheMovieFileAndHostsTheEngineInThePanel)
{
    wchar_t folder[1024];
    GetTempPathW(1024, folder);
    GetLongPathNameW(folder, folder, 1024);
    std::wstring movie = std::wstring(folder) + L"Nimbrel.swf";
    CloseApp();
    WriteBytes(movie, "an older, longer file that must be replaced whole");
    ASSERT_TRUE(StartApp());
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PLAYER_MOVIE), L"SWF");
    ASSERT_NE(found, nullptr);
    std::string resource((const char*)LockResource(LoadResource(nullptr, found)), SizeofResource(nullptr, found));
    EXPECT_EQ(ReadBytes(movie), resource);

    HWND engineWindow = GetWindow(VideoPanel, GW_CHILD);
    ASSERT_NE(engineWindow, nullptr);
    MoveWindow(MainWindow, 20, 20, 900, 500, TRUE);
    RECT panel, engine;
    GetClientRect(VideoPanel, &panel);
    GetWindowRect(engineWindow, &engine);
    EXPECT_TRUE(engine.right - engine.left == panel.right && engine.bottom - engine.top == panel.bottom);
}

// The clip plays from a path past 260 characters with Japanese and spaces in its names.
TEST_F(Playback, MonitorValuesAndThePlayStateThroughStopPlayAndPause)
{
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 160 && VideoHeight == 120; }, 3000))
        << "before any file the movie reports 160 x 120";
    std::wstring path = Dir.Path;
    for (int i = 0; i < 6; i++)
        CreateDirectoryW((L"\\\\?\\" + (path += L"\\フォルダ " + std::wstring(40, L'x'))).c_str(), nullptr);
    path += L"\\動画 long.mp4";
    ASSERT_TRUE(CopyFileW(Clip(L"long.mp4").c_str(), (L"\\\\?\\" + path).c_str(), FALSE));
    AddEntry(0, path.c_str());
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return PlaybackDuration == 12; }, 5000)) << "12.9 s reads as 12";
    ASSERT_TRUE(PumpUntil([] { return PlaybackPosition >= 2; }, 5000)) << "the position follows the playing file";
    SendMessageW(MainWindow, WM_KEYDOWN, VK_SPACE, 0);  // pressing does nothing,
    EXPECT_EQ(PlayState, Playing);
    SendMessageW(MainWindow, WM_KEYUP, VK_SPACE, 0);  // the release pauses
    EXPECT_EQ(NowPlaying(), L"0 Paused [動画 long.mp4]");
    EXPECT_EQ(EngineValue(L"state_pause"), L"1");
    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, 0);  // a grayed item guards the command
    Command(IDM_PLAY_PAUSE);
    EXPECT_EQ(PlayState, Paused);
    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, 1);
    Command(IDM_PLAY_PAUSE);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(EngineValue(L"state_pause"), L"0");

    // Stop keeps the file marked; the size comes back from the next tick, the position does not.
    Command(IDM_STOP);
    EXPECT_EQ(NowPlaying(), L"0 Stopped [動画 long.mp4]");
    EXPECT_EQ(VideoWidth, 0);
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 160 && VideoHeight == 120; }, 2000));
    EXPECT_EQ(PlaybackPosition, 0u);
    EXPECT_EQ(PlaybackDuration, 0u);

    SetEngineValue(L"state_file", L"");  // so the restart is seen to write the file again
    Command(IDM_PLAY_PAUSE);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(EngineValue(L"state_file"), path);
    ASSERT_TRUE(PumpUntil([] { return PlaybackDuration == 12; }, 5000));
    EXPECT_LE(PlaybackPosition, 2u) << "a stopped file starts again from its beginning";
    SendMessageW(GetWindow(VideoPanel, GW_CHILD), WM_KEYUP, VK_SPACE, 0);  // the engine window hands it on
    EXPECT_EQ(PlayState, Paused);
}

TEST_F(Playback, EndOfFileIsActedOnOnceAndOnlyWhenAllowed)
{
    Add(L"long.mp4");
    Add(L"h264_aac.mp4");
    PlayEntry(0);
    Command(IDM_PLAY_PAUSE);  // paused: no real end meanwhile
    SetEngineValue(L"state_playstop", L"1");
    SeekDragActive = true;
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(CurrentIndex, 0) << "not during a seek-bar drag";
    EXPECT_EQ(EngineValue(L"state_playstop"), L"1") << "and not cleared";
    SeekDragActive = false;
    MonitorTick(nullptr, 0, 0, 0);
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(NowPlaying(), L"1 Playing [h264_aac.mp4]") << "one end, one step";
    EXPECT_EQ(EngineValue(L"state_playstop"), L"0");

    RemoveAllEntries();
    SetEngineValue(L"state_playstop", L"1");
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(EngineValue(L"state_playstop"), L"1") << "no current entry: left for later";
    Add(L"long.mp4");
    Add(L"h264_aac.mp4");
    PlayEntry(0);
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(NowPlaying(), L"0 Playing [long.mp4]") << "the old end is not the new file's";
    SetEngineValue(L"state_playstop", L"1");
    Command(IDM_STOP);
    MonitorTick(nullptr, 0, 0, 0);
    EXPECT_EQ(NowPlaying(), L"0 Stopped [long.mp4]") << "a stop cancels an end not acted on";
    // (What an end does in each repeat mode: playlist/navigation_test.cpp; the real end of real
    // files: the e2e scenarios.)
}

// The section loops: the position comes back to its start again and again. The first section
// is the whole file.
TEST_F(Playback, SectionRepeatsItself)
{
    Add(L"long.mp4");
    Command(IDM_REPEAT_SECTION);
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return Section.SectionActive && Section.SectionEnd == 12; }, 10000));
    Section = {2, 4, 1, 2, 0};
    int returns = 0;
    unsigned last = 0, highest = 0;
    EXPECT_TRUE(PumpUntil([&] {
        returns += last >= 3 && PlaybackPosition == 2;
        highest = std::max(highest, last = PlaybackPosition);
        return returns == 2;
    }, 20000)) << returns;
    EXPECT_LE(highest, 5u) << "played on past the section (a second's slack for a late tick)";
}

// (The volume: control_bar_test.cpp.)
TEST_F(Playback, PictureChoicesAlwaysReachTheEngine)
{
    struct Choice { UINT command; const wchar_t *variable, *value; } choices[] = {
        {IDM_QUALITY_MEDIUM, L"state_quality", L"1"},
        {IDM_SMOOTHING_OFF, L"state_smoothing", L"0"},
        {IDM_DEBLOCK_OFF, L"state_deblocking", L"1"},
    };
    for (Choice c : choices)
        for (int again = 0; again < 2; again++) {
            SetEngineValue(c.variable, L"3");
            Command(c.command);
            EXPECT_TRUE(IsMenuItemChecked(MainMenu, c.command)) << c.command;
            EXPECT_EQ(EngineValue(c.variable), c.value) << c.command;
        }
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_QUALITY_HIGH));
}

}  // namespace
