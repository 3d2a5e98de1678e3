// Playlist files: the save byte for byte, the reader, nested and self-naming playlists.
#include "app/app.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "test_support.h"

const std::string Header = "[Nimbrel Play List]\r\n";

struct PlaylistFiles : AppTest {
    int Read(const std::wstring& path) { return ReadPlaylistFile(path.c_str(), InsertIndex = PlaylistCount()); }
};

// An empty list saves nothing; a full one UTF-8 with CR LF, leaving out a path with no UTF-8 form.
TEST_F(PlaylistFiles, EmptyListSavesNothingAndAFullOneWritesUtf8WithCrLf)
{
    std::wstring list = Dir / L"saved.nbl";
    WriteBytes(list, Header + "C:\\old.flv\r\n");
    DialogAnswer = list;
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_TRUE(LastDialog.Shown == 0 && WritePlaylistFile(list.c_str()) == 0 && ReadBytes(list) == Header + "C:\\old.flv\r\n");
    std::wstring cat = MakeFlv(Dir / L"猫 の 歌.flv");
    Drop(PlaylistPanel, {cat});
    AddEntry(0, L"C:\\broken\xD800name.flv");
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(LastDialog.Owner, MainWindow);
    EXPECT_EQ(ReadBytes(list), Header + Utf8(cat) + "\r\n");
    EXPECT_EQ(GetFileAttributesW((list + L".saving").c_str()), INVALID_FILE_ATTRIBUTES);
    DialogAnswer = Dir / L"from-panel.nbl";
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_SAVE_PLAYLIST, 0);
    EXPECT_TRUE(LastDialog.Owner == PlaylistPanel && ReadBytes(DialogAnswer) == ReadBytes(list));
}

// Unusable playlists are refused silently; any line ends, refusals one by one, relative lines beside it;
// a nested playlist read in place, one naming a list being read skipped, one named twice read twice.
TEST_F(PlaylistFiles, ReaderTakesAnyLineEndsRefusesOneByOneUnusableFilesSilentlyAndNestedListsInPlace)
{
    WriteBytes(Dir / L"header.nbl", Header);
    WriteBytes(Dir / L"empty.nbl", "");
    CreateDirectoryW((Dir / L"folder.nbl").c_str(), nullptr);
    HANDLE huge = CreateFileW((Dir / L"huge.nbl").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size = {.QuadPart = 300LL << 20};  // refused by its size, never read
    SetFilePointerEx(huge, size, nullptr, FILE_BEGIN), SetEndOfFile(huge), CloseHandle(huge);
    std::string read;
    for (const wchar_t* name : {L"header.nbl", L"empty.nbl", L"missing.nbl", L"folder.nbl", L"huge.nbl"})
        read += std::to_string(Read(Dir / name));
    EXPECT_TRUE(read == "10000" && EntryPaths().empty() && BoxTexts.empty()) << read;
    CreateDirectoryW((Dir / L"sub").c_str(), nullptr);
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"sub\\c.flv");
    std::wstring list = Dir / L"sub\\mixed.nbl";
    WriteBytes(list, "\xEF\xBB\xBF" "any first line\n..\\a.flv\n\n" + Utf8(Dir / L"gone.flv") + "\r" + Utf8(Dir / L"gone2.flv") +
                         "  \r\n" + Utf8(b) + "\r\n\r\n" + Utf8(Dir / L"bad") + "\xFF.flv\r\nc.flv");
    EXPECT_EQ(Read(list), 1);
    EXPECT_EQ(EntryPaths(), (Paths{Dir / L"sub\\..\\a.flv", b, c}));
    EXPECT_EQ(ListState(), L"-1 Idle | a.flv b.flv c.flv | gone.flvが読み込めません gone2.flv  が読み込めません "
                           L"bad\xFFFD.flvが読み込めません");
    RemoveAllEntries();
    std::wstring outer = Dir / L"outer.nbl", inner = Dir / L"inner.nbl", justA = Dir / L"just-a.nbl";
    WriteBytes(outer, Header + Utf8(a) + "\r\n" + Utf8(outer) + "\r\n" + Utf8(inner) + "\r\n" + Utf8(c) + "\r\n");
    WriteBytes(inner, Header + Utf8(b) + "\r\n" + Utf8(Dir.Path + L"\\.\\outer.nbl") + "\r\n");
    Drop(PlaylistPanel, {outer});
    EXPECT_EQ(ListState(), L"0 Stopped [a.flv] | a.flv b.flv c.flv |");
    WriteBytes(justA, Header + Utf8(a) + "\r\n");
    WriteBytes(Dir / L"twice.nbl", Header + Utf8(justA) + "\r\n" + Utf8(justA) + "\r\n");
    RemoveAllEntries();
    EXPECT_EQ(Read(Dir / L"twice.nbl"), 1);
    EXPECT_EQ(ListState(), L"-1 Idle | a.flv a.flv |");
}
