// Playlist files: what the save writes byte for byte and when it fails, what the reader takes
// back, nested and self-naming playlists.
#include "app/app.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "test_support.h"

const std::string Header = "[Nimbrel Play List]\r\n";

struct PlaylistFiles : AppTest {
    int Read(const std::wstring& path)
    {
        InsertIndex = PlaylistCount();
        return ReadPlaylistFile(path.c_str(), InsertIndex);
    }
};

// (Paths of any text both ways: tests/fuzz/playlist_text_fuzz.cpp; a saved list read again in
// a second run: the e2e scenarios; saves that fail: tests/faults.)
TEST_F(PlaylistFiles, EmptyListSavesNothingAndAFullOneWritesUtf8WithCrLf)
{
    std::wstring list = Dir / L"saved.nbl";
    WriteBytes(list, Header + "C:\\old.flv\r\n");
    AnswerSave(list);
    Command(IDM_SAVE_PLAYLIST);  // Ctrl+S on an empty list
    EXPECT_EQ(LastDialog.Shown, 0) << "like the grayed item, the key does nothing";
    EXPECT_EQ(WritePlaylistFile(list.c_str()), 0);
    EXPECT_EQ(ReadBytes(list), Header + "C:\\old.flv\r\n");

    std::wstring cat = MakeFlv(Dir / L"猫 の 歌.flv");
    DropOnPlaylist({cat});
    AddEntry(0, L"C:\\broken\xD800name.flv");  // no faithful UTF-8 form: left out, the others saved
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(LastDialog.Owner, MainWindow) << "owned by the window that received the command";
    EXPECT_EQ(LastDialog.Filter, L"Play List (*.nbl)|*.nbl|");
    // Asking for an existing file would refuse every new playlist name.
    EXPECT_EQ(LastDialog.Flags, (DWORD)(OFN_OVERWRITEPROMPT | OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES));
    std::string bytes = ReadBytes(list);
    EXPECT_EQ(bytes, Header + Utf8(cat) + "\r\n");
    EXPECT_EQ(GetFileAttributesW((list + L".saving").c_str()), INVALID_FILE_ATTRIBUTES);

    AnswerSave(Dir / L"from-panel.nbl");
    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_SAVE_PLAYLIST, 0);
    EXPECT_EQ(LastDialog.Owner, PlaylistPanel);
    EXPECT_EQ(ReadBytes(Dir / L"from-panel.nbl"), bytes);
}

TEST_F(PlaylistFiles, ReaderTakesAnyLineEndsRefusesListedPathsOneByOneAndUnusableFilesSilently)
{
    WriteBytes(Dir / L"header.nbl", Header);
    EXPECT_EQ(Read(Dir / L"header.nbl"), 1);
    WriteBytes(Dir / L"empty.nbl", "");
    CreateDirectoryW((Dir / L"folder.nbl").c_str(), nullptr);
    HANDLE huge = CreateFileW((Dir / L"huge.nbl").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 300LL << 20;  // refused by its size, never read
    SetFilePointerEx(huge, size, nullptr, FILE_BEGIN);
    SetEndOfFile(huge);
    CloseHandle(huge);
    for (const wchar_t* name : {L"empty.nbl", L"missing.nbl", L"folder.nbl", L"huge.nbl"})
        EXPECT_EQ(Read(Dir / name), 0) << Utf8(name);
    EXPECT_TRUE(EntryPaths().empty());
    EXPECT_TRUE(BoxTexts.empty());

    // Relative lines name files beside the playlist, wherever the program runs; absolute lines
    // are kept as written.
    CreateDirectoryW((Dir / L"sub").c_str(), nullptr);
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"sub\\c.flv");
    std::wstring list = Dir / L"sub\\mixed.nbl";
    WriteBytes(list, "\xEF\xBB\xBF" "any first line\n..\\a.flv\n\n" + Utf8(Dir / L"gone.flv") + "\r" +
                         Utf8(Dir / L"gone2.flv") + "  \r\n" + Utf8(b) + "\r\n\r\n" + Utf8(Dir / L"bad") + "\xFF.flv\r\n" +
                         "c.flv");
    EXPECT_EQ(Read(list), 1);
    EXPECT_EQ(EntryPaths(), (Paths{Dir / L"sub\\..\\a.flv", b, c}));
    EXPECT_EQ(BoxTexts, (Paths{(Dir / L"gone.flv") + L"が読み込めません", (Dir / L"gone2.flv") + L"  が読み込めません",
                                 (Dir / L"bad\xFFFD.flv") + L"が読み込めません"}));
}

TEST_F(PlaylistFiles, NestedPlaylistsInsertInPlaceAndSelfReferenceIsReadOnce)
{
    std::wstring a = MakeFlv(Dir / L"a.flv"), b = MakeFlv(Dir / L"b.flv"), c = MakeFlv(Dir / L"c.flv");
    std::wstring outer = Dir / L"outer.nbl", inner = Dir / L"inner.nbl";
    WriteBytes(outer, Header + Utf8(a) + "\r\n" + Utf8(outer) + "\r\n" + Utf8(inner) + "\r\n" + Utf8(c) + "\r\n");
    // The inner list names the outer one under another spelling.
    WriteBytes(inner, Header + Utf8(b) + "\r\n" + Utf8(Dir.Path + L"\\.\\outer.nbl") + "\r\n");
    DropOnPlaylist({outer});
    EXPECT_EQ(EntryPaths(), (Paths{a, b, c}));
    EXPECT_TRUE(BoxTexts.empty());

    // A list may still name the same other list twice: each is a fresh reading.
    std::wstring twice = Dir / L"twice.nbl";
    WriteBytes(Dir / L"just-a.nbl", Header + Utf8(a) + "\r\n");
    WriteBytes(twice, Header + Utf8(Dir / L"just-a.nbl") + "\r\n" + Utf8(Dir / L"just-a.nbl") + "\r\n");
    RemoveAllEntries();
    EXPECT_EQ(Read(twice), 1);
    EXPECT_EQ(EntryPaths(), (Paths{a, a}));
}
