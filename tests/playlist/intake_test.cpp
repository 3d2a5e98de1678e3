// File intake: real files, shell drops on each panel, the command line and the open dialog.
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

static std::wstring MakeText(const std::wstring& path) { return WriteBytes(path, "not a video\r\n"), path; }

// Drops and the open dialog append (refusing one by one); the video replaces the list, idle at its box.
TEST_F(Intake, DropsAndTheOpenDialog)
{
    Paths f = {MakeFlv(Dir / L"a.flv"), MakeFlv(Dir / L"b.flv"), MakeFlv(Dir / L"c.flv"), MakeFlv(Dir / L"a%b.flv"),
               MakeText(Dir / L"notes.flv"), Dir / L"vanished.flv"};
    static std::wstring atBox;
    ExpectSteps(ListState, {
        {[&] { Drop(PlaylistPanel, {f[3], f[0], f[5], f[4], f[1]}); },
         L"0 Stopped [a.flv] | a.flv b.flv | a%b.flvに特殊文字があるため読み込めません notes.flvが読み込めません"},
        {[&] { PlayEntry(1), Drop(PlaylistPanel, {f[2], f[4]}); EXPECT_TRUE(IsMenuItemEnabled(MainMenu, IDM_NEXT)); },
         L"1 Playing [b.flv] | a.flv b.flv c.flv | notes.flvが読み込めません"},  // b is the last row no more
        {[&] { DialogAnswer = Dir.Path + L'\0' + L"c.flv" + L'\0' + L"b.flv", Command(IDM_OPEN); },
         L"1 Playing [b.flv] | a.flv b.flv c.flv c.flv b.flv |"},
        {[&] { DialogAnswer = f[0], SendMessageW(PlaylistPanel, WM_COMMAND, IDM_OPEN, 0); },
         L"1 Playing [b.flv] | a.flv b.flv c.flv c.flv b.flv a.flv |"},
        {[&] { DialogAnswer = L"", Command(IDM_OPEN); }, L"1 Playing [b.flv] | a.flv b.flv c.flv c.flv b.flv a.flv |"},
        {[&] { SetMessageBoxHandler([](HWND, const wchar_t*, const wchar_t*, UINT) { return atBox = ListState(), IDOK; });
               Drop(VideoPanel, {f[4], f[1], f[0]}); }, L"0 Playing [b.flv] | b.flv a.flv |"},
        {[&] { Drop(PlaylistPanel, {f[4]}); }, L"0 Playing [b.flv] | b.flv a.flv |"},
        {[&] { Drop(VideoPanel, {f[4]}); }, L"-1 Idle | |"},
    });
    EXPECT_EQ(atBox, L"-1 Idle | |") << "at the last drop's box";
}

// Command-line paths are stored absolute (a saved playlist names them from anywhere); missing ones skipped.
TEST_F(Intake, CommandLinePlaysTheFirstEntryStoredAbsoluteAndSkipsMissingPathsSilently)
{
    CreateDirectoryW((Dir / L"with space").c_str(), nullptr);
    std::wstring a = MakeFlv(Dir / L"with space\\a.flv"), b = MakeFlv(Dir / L"b.flv");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved), SetCurrentDirectoryW(Dir.Path.c_str());
    EXPECT_EQ(LoadCommandLineText(L"Nimbrel.exe") * 10 + LoadCommandLineText(L"Nimbrel.exe gone.flv \"gone folder\""), 1);
    EXPECT_EQ(ListState(), L"-1 Idle | |");
    EXPECT_EQ(LoadCommandLineText(L"Nimbrel.exe nothing.flv \"with space\" b.flv"), 1);
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(EntryPaths(), (Paths{a, b}));
    EXPECT_EQ(ListState(), L"0 Playing [a.flv] | a.flv b.flv |");
}

// A folder's files come together, its subfolder's as one block among them; a link back is walked once.
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

// A tree 250 folders deep is walked with little stack left; its paths, past the usual limit, are taken whole.
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
        ((volatile char*)alloca((ULONG_PTR)&low - low - (128 << 10)))[0] = 0;
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
