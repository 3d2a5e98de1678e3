// File intake in the running program: real files, real shell drops on each panel, the
// command line and the open dialog; where entries go and what plays after.
#include <algorithm>
#include <cstdlib>
#include <malloc.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/message_box.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

using Intake = AppTest;

TEST_F(Intake, DropOnPlaylistAppendsRefusesOneByOneAndMarksTheFirstEntryWhenNothingWasLoaded)
{
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"c.flv");
    std::wstring percent = MakeFlv(Dir / L"a%b.flv"), text = MakeText(Dir / L"notes.flv");
    DropOnPlaylist({percent, a, Dir / L"vanished.flv", text, b});
    EXPECT_EQ(EntryPaths(), (Paths{a, b})) << "a missing dropped path is skipped silently";
    EXPECT_EQ(BoxTexts, (Paths{percent + L"に特殊文字があるため読み込めません", text + L"が読み込めません"}));
    EXPECT_EQ(NowPlaying(), L"0 Stopped [a.flv]") << "ready to play, not started";

    PlayEntry(1);
    DropOnPlaylist({c, text});
    EXPECT_EQ(EntryPaths(), (Paths{a, b, c}));
    EXPECT_EQ(NowPlaying(), L"1 Playing [b.flv]") << "a loaded file is left alone";
    EXPECT_TRUE(IsMenuItemEnabled(MainMenu, IDM_NEXT)) << "the last row is the last no more";
}

TEST_F(Intake, FolderTreeIsWalkedDepthFirstWithOneBoxPerOtherFile)
{
    for (const wchar_t* folder : {L"top", L"top\\x", L"top\\x\\y"})
        CreateDirectoryW((Dir / folder).c_str(), nullptr);
    std::wstring x1 = MakeFlv(Dir / L"top\\x\\x1.flv"), z = MakeFlv(Dir / L"top\\z.flv");
    std::wstring y1 = MakeFlv(Dir / L"top\\x\\y\\y1.flv"), y2 = MakeFlv(Dir / L"top\\x\\y\\y2.mp4");
    MakeText(Dir / L"top\\x\\y\\readme.txt");
    MakeText(Dir / L"top\\cover.jpg");
    DropOnPlaylist({Dir / L"top"});

    Paths got = EntryPaths();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(BoxTexts.size(), 2u);
    // Whatever order the file system lists, a folder's files come together, its
    // subfolder's files among them as one block.
    auto at = [&](const std::wstring& p) { return std::find(got.begin(), got.end(), p) - got.begin(); };
    auto y1At = at(y1), y2At = at(y2), x1At = at(x1), zAt = at(z);
    EXPECT_EQ(std::abs(y1At - y2At), 1);
    EXPECT_TRUE(x1At == std::min(y1At, y2At) - 1 || x1At == std::max(y1At, y2At) + 1);
    EXPECT_TRUE(zAt == 0 || zAt == 3);
}

TEST_F(Intake, FolderLinkBackIntoItsTreeIsWalkedOnce)
{
    CreateDirectoryW((Dir / L"loop").c_str(), nullptr);
    std::wstring a = MakeFlv(Dir / L"loop\\a.flv");
    if (!CreateSymbolicLinkW((Dir / L"loop\\back").c_str(), (Dir / L"loop").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no folder links here";
    DropOnPlaylist({Dir / L"loop"});
    Paths got = EntryPaths();
    ASSERT_GE(got.size(), 1u);
    EXPECT_EQ(got[0], a);
    EXPECT_LE(got.size(), 2u) << "the link's own view of the folder at most once";
}

// Command-line paths are made absolute against the folder the program started in, so a
// playlist saved later names the same files from anywhere.
TEST_F(Intake, CommandLinePlaysTheFirstEntryStoredAbsoluteAndSkipsMissingPathsSilently)
{
    EXPECT_EQ(LoadCommandLineText(L"Nimbrel.exe"), 0);
    std::wstring gone = L"Nimbrel.exe \"" + (Dir / L"gone.flv") + L"\" \"" + (Dir / L"gone folder") + L"\"";
    EXPECT_EQ(LoadCommandLineText(gone.c_str()), 1);
    EXPECT_EQ(NowPlaying(), L"-1 Idle");

    CreateDirectoryW((Dir / L"with space").c_str(), nullptr);
    std::wstring a = MakeFlv(Dir / L"with space\\a.flv"), b = MakeFlv(Dir / L"b.flv");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(Dir.Path.c_str());
    EXPECT_EQ(LoadCommandLineText(L"Nimbrel.exe nothing.flv \"with space\" b.flv"), 1);
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(EntryPaths(), (Paths{a, b}));
    EXPECT_TRUE(BoxTexts.empty());
    EXPECT_EQ(NowPlaying(), L"0 Playing [a.flv]");
}

TEST_F(Intake, OpenDialogAppendsTheChosenFilesInOrder)
{
    // (Refusals go as for a drop: the same intake of each path.)
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"c.flv");
    AnswerOpen(Dir.Path, {L"c.flv", L"a.flv", L"b.flv"});
    Command(IDM_OPEN);  // Ctrl+O
    EXPECT_EQ(LastDialog.Filter, L"Flash Video File (*.flv,*.mp4)|*.flv;*.mp4|Video and audio files|*.flv;*.mp4;"
                                  L"*.mkv;*.mka;*.webm;*.mov;*.m4v;*.m4a;*.avi;*.wav;*.ts;*.m2ts;*.mts;*.mpg;*.mpeg;"
                                  L"*.vob;*.mp3;*.flac;*.ogg;*.oga;*.ogv;*.opus|Playlist (*.nbl)|*.nbl|"
                                  L"すべてのファイル (*.*)|*.*|");
    EXPECT_EQ(LastDialog.Flags, (DWORD)(OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST |
                                         OFN_HIDEREADONLY | OFN_LONGNAMES | OFN_NONETWORKBUTTON));
    EXPECT_EQ(EntryPaths(), (Paths{c, a, b}));
    EXPECT_EQ(NowPlaying(), L"0 Stopped [c.flv]");

    AnswerOpen(Dir.Path, {L"a.flv"});
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_OPEN, 0);  // from the playlist's menu
    EXPECT_EQ(EntryPaths(), (Paths{c, a, b, a}));

    AnswerCancel();
    Command(IDM_OPEN);
    EXPECT_EQ(LastDialog.Shown, 3);
    EXPECT_EQ(EntryPaths().size(), 4u);
}

// A drop on the video replaces the list. While one of its boxes is open (the monitor may tick)
// the old rows are gone and nothing is current: no tick can act on a row that no longer exists.
TEST_F(Intake, DropOnVideoEmptiesThePlayingStateBeforeItsFirstBoxThenPlaysItsFirstFile)
{
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), t = MakeText(Dir / L"t.txt");
    DropOnPlaylist({a, b});
    PlayEntry(1);
    static MessageBoxHandler previous;
    static std::wstring atBox;
    atBox.clear();
    previous = SetMessageBoxHandler([](HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
        atBox = NowPlaying() + L", " + std::to_wstring(PlaylistCount()) + L" rows";
        return previous(owner, text, caption, style);
    });
    DropOnVideo({t, b, a});
    SetMessageBoxHandler(previous);
    EXPECT_EQ(atBox, L"-1 Idle, 0 rows");
    EXPECT_EQ(EntryPaths(), (Paths{b, a}));
    EXPECT_EQ(NowPlaying(), L"0 Playing [b.flv]");

    DropOnPlaylist({t});  // nothing usable on the playlist changes nothing
    EXPECT_EQ(NowPlaying(), L"0 Playing [b.flv]");
    EXPECT_EQ(EntryPaths().size(), 2u);
    DropOnVideo({t});  // on the video it empties the list
    EXPECT_EQ(NowPlaying(), L"-1 Idle");
    EXPECT_TRUE(EntryPaths().empty());
}

// A tree hundreds of folders deep is walked whole with little stack left: the walk keeps
// its folders on a stack of its own, not on the call stack. Its paths, far beyond the
// ordinary limit, are taken whole.
TEST_F(Intake, DeepFolderTreeIsWalkedWholeWithoutDeepRecursion)
{
    std::wstring folder = Dir.Path;
    Paths files;
    for (int level = 1; level <= 250; level++) {
        folder += L"\\d";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) << level;
        if (level % 125 == 0)
            files.push_back(MakeFlv(folder + L"\\f" + std::to_wstring(level) + L".flv"));
    }
    std::wstring root = Dir / L"d";
    HANDLE walk = CreateThread(nullptr, 0, [](void* root) -> DWORD {
        // Use up the thread's stack but for 128 KB, far less than a call per level needs.
        ULONG_PTR low, high;
        GetCurrentThreadStackLimits(&low, &high);
        volatile char* used = (char*)alloca((ULONG_PTR)&low - low - (128 << 10));
        used[0] = 0;
        int at = 0;
        return ScanFolder((const wchar_t*)root, at);
    }, (void*)root.c_str(), 0, nullptr);
    // The rows are added through this thread's list view: serve it until the walk ends.
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(walk, 0) == WAIT_OBJECT_0; }, 60000));
    CloseHandle(walk);
    Paths got = EntryPaths();
    EXPECT_TRUE(std::is_permutation(got.begin(), got.end(), files.begin(), files.end())) << got.size();
    EXPECT_TRUE(BoxTexts.empty());

    DropOnVideo({files[0]});
    EXPECT_EQ(EntryPaths(), (Paths{files[0]}));
    EXPECT_EQ(CurrentPath(), files[0]) << "the current path is not cut";
}
