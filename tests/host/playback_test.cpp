// The program with its real engine: movie file, monitor, end of a file, play state, picture settings.
#include <algorithm>

#include "app/app.h"
#include "app/aspect.h"
#include "app/menus.h"
#include "controls/control_bar.h"
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

// Index and state, the engine's pause, the duration, past the start, the buttons and items, the icon.
std::wstring Shown()
{
    auto on = [](HWND b, UINT id) {  // button and item: both enabled, both not, or "?"
        bool button = IsWindowEnabled(b), item = IsMenuItemEnabled(MainMenu, id);
        return button != item ? L"?" : button ? L"+" : L"-";
    };
    HICON icon = ButtonIcon(PlayPauseButton);
    std::wstring now = NowPlaying();
    return now.substr(0, now.find(L" [")) + L" " + EngineValue(L"state_pause") + L" " +
           std::to_wstring(PlaybackDuration) + (PlaybackPosition > 2 ? L" on " : L" start ") +
           on(PlayPauseButton, IDM_PLAY_PAUSE) + on(StopButton, IDM_STOP) + (icon == PlayIcon ? L">" : L"=");
}

// A clip past 260 characters: monitor values, buttons and items, space, a guard, stop and play again.
TEST_F(Playback, MonitorValuesAndThePlayStateThroughStopPlayAndPause)
{
    ASSERT_TRUE(PumpUntil([] { return VideoWidth == 160 && VideoHeight == 120; }, 3000)) << "before any file";
    std::wstring path = Dir.Path;
    for (int i = 0; i < 6; i++)
        CreateDirectoryW((L"\\\\?\\" + (path += L"\\フォルダ " + std::wstring(40, L'x'))).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(Clip(L"long.mp4").c_str(), (L"\\\\?\\" + (path += L"\\動画 long.mp4")).c_str(), FALSE));
    AddEntry(0, path.c_str());
    auto wait = [](unsigned length, unsigned at, int w = 0) {
        auto there = [=] { return PlaybackDuration == length && PlaybackPosition >= at && VideoWidth >= w; };
        ASSERT_TRUE(PumpUntil(there, 8000));
    };
    auto key = [](HWND w, UINT message) { SendMessageW(w, message, VK_SPACE, 0); };
    auto pausable = [](bool on) { SetMenuItemEnabled(MainMenu, IDM_PLAY_PAUSE, on); };
    ExpectSteps(Shown, {{[] {}, L"-1 Idle 0 0 start -->"},
        {[&] { PlayEntry(0), wait(12, 3), key(MainWindow, WM_KEYDOWN); }, L"0 Playing 0 12 on ++="},  // 12.9
        {[&] { key(MainWindow, WM_KEYUP); }, L"0 Paused 1 12 on ++>"},
        {[&] { pausable(false), Command(IDM_PLAY_PAUSE); }, L"0 Paused 1 12 on ?+>"},
        {[&] { pausable(true), Press(PlayPauseButton); }, L"0 Playing 0 12 on ++="},
        {[] { Press(StopButton); EXPECT_EQ(VideoWidth, 0); }, L"0 Stopped 0 0 start +->"},
        {[&] { wait(0, 0, 160), SetEngineValue(L"state_file", L""); }, L"0 Stopped 0 0 start +->"},
        {[&] { Press(PlayPauseButton), wait(12, 0); }, L"0 Playing 0 12 start ++="},
        {[&] { key(GetWindow(VideoPanel, GW_CHILD), WM_KEYUP); }, L"0 Paused 1 12 start ++>"},  // handed on
        {[&] { key(ControlBar, WM_KEYUP); }, L"0 Playing 0 12 start ++="}});
    EXPECT_TRUE(EngineValue(L"state_file") == path && NowPlaying().ends_with(L"[動画 long.mp4]"));
}

// An end is acted on once, not during a drag, without a current entry, for a new file or after a stop;
// a section loops (the position comes back to its start), the first section being the whole file.
TEST_F(Playback, EndOfFileIsActedOnOnceAndOnlyWhenAllowedAndASectionRepeats)
{
    Add(L"long.mp4"), Add(L"h264_aac.mp4"), PlayEntry(0), Command(IDM_PLAY_PAUSE);  // paused: no real end meanwhile
    auto end = [] { SetEngineValue(L"state_playstop", L"1"); };
    auto tick = [] { MonitorTick(nullptr, 0, 0, 0); };
    ExpectSteps([] { return NowPlaying() + L" " + EngineValue(L"state_playstop"); },
                {{[&] { end(), SeekDragActive = true, tick(); }, L"0 Paused [long.mp4] 1"},
                 {[&] { SeekDragActive = false, tick(), tick(); }, L"1 Playing [h264_aac.mp4] 0"},
                 {[&] { RemoveAllEntries(), end(), tick(); }, L"-1 Idle 1"},
                 {[&] { Add(L"long.mp4"), Add(L"h264_aac.mp4"), PlayEntry(0), tick(); }, L"0 Playing [long.mp4] 0"},
                 {[&] { end(), Command(IDM_STOP), tick(); }, L"0 Stopped [long.mp4] 0"}});
    Command(IDM_REPEAT_SECTION), PlayEntry(0);
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

}  // namespace
