// The program with its real engine: the movie file, the monitor's values, the end of a file, the
// play state with its title, the picture settings.
#include <algorithm>

#include "app/app.h"
#include "app/aspect.h"
#include "app/menus.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

struct Playback : AppTest {
    void Add(const wchar_t* clip) { AddEntry(PlaylistCount(), Clip(clip).c_str()); }
};

// Every start writes the movie file whole over an older one; the engine's window fills the panel.
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
    EXPECT_EQ(ReadBytes(movie), std::string((const char*)LockResource(LoadResource(nullptr, found)), SizeofResource(nullptr, found)));
    MoveWindow(MainWindow, 20, 20, 900, 500, TRUE);
    RECT panel, engine;
    GetClientRect(VideoPanel, &panel);
    GetWindowRect(GetWindow(VideoPanel, GW_CHILD), &engine);
    EXPECT_TRUE(engine.right - engine.left == panel.right && engine.bottom - engine.top == panel.bottom);
}

// A clip plays from a path past 260 characters with Japanese and spaces in its names: the monitor
// copies its values; space pauses on release, a grayed item guards the command; stop keeps the file
// marked and the size comes back from the next tick; played again, it starts from its beginning.
TEST_F(Playback, MonitorValuesAndThePlayStateThroughStopPlayAndPause)
{
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 160 && VideoHeight == 120; }, 3000)) << "before any file: 160 x 120";
    std::wstring path = Dir.Path;
    for (int i = 0; i < 6; i++)
        CreateDirectoryW((L"\\\\?\\" + (path += L"\\フォルダ " + std::wstring(40, L'x'))).c_str(), nullptr);
    path += L"\\動画 long.mp4";
    ASSERT_TRUE(CopyFileW(Clip(L"long.mp4").c_str(), (L"\\\\?\\" + path).c_str(), FALSE));
    AddEntry(0, path.c_str());
    PlayEntry(0);
    ASSERT_TRUE(PumpUntil([] { return PlaybackDuration == 12 && PlaybackPosition >= 2; }, 8000)) << "12.9 s reads as 12";
    SendMessageW(MainWindow, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(PlayState, Playing);
    SendMessageW(MainWindow, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(NowPlaying() + L" " + EngineValue(L"state_pause"), L"0 Paused [動画 long.mp4] 1");
    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, 0);
    Command(IDM_PLAY_PAUSE);
    EXPECT_EQ(PlayState, Paused);
    SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, 1);
    Command(IDM_PLAY_PAUSE);
    EXPECT_EQ(NowPlaying() + L" " + EngineValue(L"state_pause"), L"0 Playing [動画 long.mp4] 0");
    Command(IDM_STOP);
    EXPECT_EQ(NowPlaying() + L" " + std::to_wstring(VideoWidth), L"0 Stopped [動画 long.mp4] 0");
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 160 && VideoHeight == 120; }, 2000));
    EXPECT_EQ(PlaybackPosition + PlaybackDuration, 0u);
    SetEngineValue(L"state_file", L"");  // so the restart is seen to write the file again
    Command(IDM_PLAY_PAUSE);
    EXPECT_EQ(EngineValue(L"state_file"), path);
    ASSERT_TRUE(PumpUntil([] { return PlaybackDuration == 12; }, 5000));
    EXPECT_TRUE(PlayState == Playing && PlaybackPosition <= 2) << "a stopped file starts again from its beginning";
    SendMessageW(GetWindow(VideoPanel, GW_CHILD), WM_KEYUP, VK_SPACE, 0);  // the engine window hands it on
    EXPECT_EQ(PlayState, Paused);
}

// The end of a file is acted on once, not during a seek-bar drag, not without a current entry, not
// as the end of a new file, and not after a stop. (Each repeat mode: playlist/playlist_test.cpp.)
TEST_F(Playback, EndOfFileIsActedOnOnceAndOnlyWhenAllowed)
{
    Add(L"long.mp4"), Add(L"h264_aac.mp4"), PlayEntry(0), Command(IDM_PLAY_PAUSE);  // paused: no real end meanwhile
    struct Step { void (*act)(); const wchar_t* now; } steps[] = {
        {[] { SetEngineValue(L"state_playstop", L"1"); SeekDragActive = true; MonitorTick(nullptr, 0, 0, 0); }, L"0 Paused [long.mp4] 1"},
        {[] { SeekDragActive = false; MonitorTick(nullptr, 0, 0, 0); MonitorTick(nullptr, 0, 0, 0); }, L"1 Playing [h264_aac.mp4] 0"},
        {[] { RemoveAllEntries(); SetEngineValue(L"state_playstop", L"1"); MonitorTick(nullptr, 0, 0, 0); }, L"-1 Idle 1"},
        {[] { AddEntry(0, Clip(L"long.mp4").c_str()); AddEntry(1, Clip(L"h264_aac.mp4").c_str()); PlayEntry(0);
              MonitorTick(nullptr, 0, 0, 0); }, L"0 Playing [long.mp4] 0"},
        {[] { SetEngineValue(L"state_playstop", L"1"); Command(IDM_STOP); MonitorTick(nullptr, 0, 0, 0); }, L"0 Stopped [long.mp4] 0"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(NowPlaying() + L" " + EngineValue(L"state_playstop"), s.now) << "step " << &s - steps;
    }
}

// The section loops: the position comes back to its start again and again. The first section is
// the whole file.
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

// The picture choices reach the engine also when they do not change. (The volume: control_bar_test.cpp.)
TEST_F(Playback, PictureChoicesAlwaysReachTheEngine)
{
    struct Choice { UINT command; const wchar_t *variable, *value; };
    for (Choice c : {Choice{IDM_QUALITY_MEDIUM, L"state_quality", L"1"}, {IDM_SMOOTHING_OFF, L"state_smoothing", L"0"},
                     {IDM_DEBLOCK_OFF, L"state_deblocking", L"1"}})
        for (int again = 0; again < 2; again++) {
            SetEngineValue(c.variable, L"3");
            Command(c.command);
            EXPECT_TRUE(IsMenuItemChecked(MainMenu, c.command) && EngineValue(c.variable) == c.value) << c.command;
        }
    EXPECT_FALSE(IsMenuItemChecked(MainMenu, IDM_QUALITY_HIGH));
}

}  // namespace
