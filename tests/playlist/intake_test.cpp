// File intake in the running program: real files, real shell drops on each panel, the command
// line and the open dialog; where entries go and what plays after.
#include <algorithm>
#include <malloc.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/message_box.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

using Intake = AppTest;

// A drop on the playlist appends, refuses files one by one (a missing path silently) and marks
// the first entry when nothing was loaded; a loaded file is left alone.
TEST_F(Intake, DropOnPlaylistAppendsRefusesOneByOneAndMarksTheFirstEntryWhenNothingWasLoaded)
{
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"c.flv");
    std::wstring percent = MakeFlv(Dir / L"a%b.flv"), text = MakeText(Dir / L"notes.flv");
    Drop(PlaylistPanel, {percent, a, Dir / L"vanished.flv", text, b});
    EXPECT_EQ(EntryPaths(), (Paths{a, b}));
    EXPECT_EQ(BoxTexts, (Paths{percent + L"に特殊文字があるため読み込めません", text + L"が読み込めません"}));
    EXPECT_EQ(NowPlaying(), L"0 Stopped [a.flv]") << "ready to play, not started";
    PlayEntry(1);
    Drop(PlaylistPanel, {c, text});
    EXPECT_EQ(EntryPaths(), (Paths{a, b, c}));
    EXPECT_TRUE(NowPlaying() == L"1 Playing [b.flv]" && IsMenuItemEnabled(MainMenu, IDM_NEXT));
}

// A folder's files come together, whatever order the file system lists, its subfolder's files
// among them as one block; a link back into the tree is walked once at most.
TEST_F(Intake, FolderTreeIsWalkedDepthFirstAndALinkBackOnce)
{
    for (const wchar_t* folder : {L"top", L"top\\x", L"top\\x\\y", L"loop"})
        CreateDirectoryW((Dir / folder).c_str(), nullptr);
    std::wstring x1 = MakeFlv(Dir / L"top\\x\\x1.flv"), z = MakeFlv(Dir / L"top\\z.flv");
    std::wstring y1 = MakeFlv(Dir / L"top\\x\\y\\y1.flv"), y2 = MakeFlv(Dir / L"top\\x\\y\\y2.mp4");
    MakeText(Dir / L"top\\x\\y\\readme.txt"), MakeText(Dir / L"top\\cover.jpg");
    Drop(PlaylistPanel, {Dir / L"top"});
    Paths got = EntryPaths();
    auto at = [&](const std::wstring& p) { return std::find(got.begin(), got.end(), p) - got.begin(); };
    auto first = std::min(at(y1), at(y2));
    EXPECT_TRUE(got.size() == 4 && BoxTexts.size() == 2 && std::abs(at(y1) - at(y2)) == 1);
    EXPECT_TRUE((at(x1) == first - 1 || at(x1) == first + 2) && (at(z) == 0 || at(z) == 3));
    RemoveAllEntries();
    std::wstring a = MakeFlv(Dir / L"loop\\a.flv");
    ASSERT_TRUE(CreateSymbolicLinkW((Dir / L"loop\\back").c_str(), (Dir / L"loop").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY));
    Drop(PlaylistPanel, {Dir / L"loop"});
    got = EntryPaths();
    EXPECT_TRUE(got.size() >= 1 && got.size() <= 2 && got[0] == a) << got.size();
}

// Command-line paths are made absolute against the folder the program started in, so a playlist
// saved later names the same files from anywhere; missing paths are skipped silently.
TEST_F(Intake, CommandLinePlaysTheFirstEntryStoredAbsoluteAndSkipsMissingPathsSilently)
{
    EXPECT_EQ(LoadCommandLineText(L"Nimbrel.exe"), 0);
    EXPECT_EQ(LoadCommandLineText((L"Nimbrel.exe \"" + (Dir / L"gone.flv") + L"\" \"" + (Dir / L"gone folder") + L"\"").c_str()), 1);
    EXPECT_EQ(NowPlaying(), L"-1 Idle");
    CreateDirectoryW((Dir / L"with space").c_str(), nullptr);
    std::wstring a = MakeFlv(Dir / L"with space\\a.flv"), b = MakeFlv(Dir / L"b.flv");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(Dir.Path.c_str());
    EXPECT_EQ(LoadCommandLineText(L"Nimbrel.exe nothing.flv \"with space\" b.flv"), 1);
    SetCurrentDirectoryW(saved);
    EXPECT_TRUE(EntryPaths() == (Paths{a, b}) && BoxTexts.empty());
    EXPECT_EQ(NowPlaying(), L"0 Playing [a.flv]");
}

// The open dialog, with its filter and flags, appends the chosen files in order (refusals as for
// a drop: the same intake of each path), from the main window or the playlist's menu.
TEST_F(Intake, OpenDialogAppendsTheChosenFilesInOrder)
{
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"c.flv");
    DialogAnswer = Dir.Path + L'\0' + L"c.flv" + L'\0' + L"a.flv" + L'\0' + L"b.flv";
    Command(IDM_OPEN);
    EXPECT_EQ(LastDialog.Filter, L"Flash Video File (*.flv,*.mp4)|*.flv;*.mp4|Video and audio files|*.flv;*.mp4;*.mkv;*.mka;"
                                  L"*.webm;*.mov;*.m4v;*.m4a;*.avi;*.wav;*.ts;*.m2ts;*.mts;*.mpg;*.mpeg;*.vob;*.mp3;*.flac;"
                                  L"*.ogg;*.oga;*.ogv;*.opus|Playlist (*.nbl)|*.nbl|すべてのファイル (*.*)|*.*|");
    EXPECT_EQ(LastDialog.Flags, (DWORD)(OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
                                         OFN_LONGNAMES | OFN_NONETWORKBUTTON));
    EXPECT_EQ(NowPlaying(), L"0 Stopped [c.flv]");
    DialogAnswer = a;
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_OPEN, 0);
    DialogAnswer.clear();
    Command(IDM_OPEN);
    EXPECT_EQ(LastDialog.Shown, 3);
    EXPECT_EQ(EntryPaths(), (Paths{c, a, b, a}));
}

// A drop on the video replaces the list: while one of its boxes is open (the monitor may tick)
// the old rows are gone and nothing is current. Nothing usable on the playlist changes nothing;
// on the video it empties the list.
TEST_F(Intake, DropOnVideoEmptiesThePlayingStateBeforeItsFirstBoxThenPlaysItsFirstFile)
{
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), t = MakeText(Dir / L"t.txt");
    Drop(PlaylistPanel, {a, b});
    PlayEntry(1);
    static std::wstring atBox;
    SetMessageBoxHandler([](HWND, const wchar_t*, const wchar_t*, UINT) {
        return atBox = NowPlaying() + L", " + std::to_wstring(PlaylistCount()) + L" rows", IDOK; });
    Drop(VideoPanel, {t, b, a});
    EXPECT_EQ(atBox, L"-1 Idle, 0 rows");
    EXPECT_TRUE(EntryPaths() == (Paths{b, a}) && NowPlaying() == L"0 Playing [b.flv]");
    Drop(PlaylistPanel, {t});
    EXPECT_TRUE(EntryPaths().size() == 2 && NowPlaying() == L"0 Playing [b.flv]");
    Drop(VideoPanel, {t});
    EXPECT_TRUE(EntryPaths().empty() && NowPlaying() == L"-1 Idle");
}

// A tree hundreds of folders deep is walked whole with little stack left (the walk keeps its
// folders on a stack of its own); its paths, far beyond the ordinary limit, are taken whole.
TEST_F(Intake, DeepFolderTreeIsWalkedWholeWithoutDeepRecursion)
{
    std::wstring folder = Dir.Path;
    Paths files;
    for (int level = 1; level <= 250; level++) {
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + (folder += L"\\d")).c_str(), nullptr)) << level;
        if (level % 125 == 0)
            files.push_back(MakeFlv(folder + L"\\f" + std::to_wstring(level) + L".flv"));
    }
    std::wstring root = Dir / L"d";
    HANDLE walk = CreateThread(nullptr, 0, [](void* root) -> DWORD {
        ULONG_PTR low, high;  // the thread's stack used up but for 128 KB, far less than a call per level needs
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
    EXPECT_TRUE(std::is_permutation(got.begin(), got.end(), files.begin(), files.end()) && BoxTexts.empty()) << got.size();
    Drop(VideoPanel, {files[0]});
    EXPECT_TRUE(EntryPaths() == (Paths{files[0]}) && CurrentPath() == files[0]) << "the current path is not cut";
}
