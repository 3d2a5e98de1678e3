// Faults from outside: a full disk and a read-only one under the saves, the playing file cut
// short or taken away, no usable temporary folder or a damaged exe at start. The disks are
// small file systems that faults.sh mounts and names in NIMBREL_FULL_DISK and
// NIMBREL_READONLY_DISK; without them those cases skip (a failure of the run).
#include "app/app.h"
#include "app/settings.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const std::string OldList = "[Nimbrel Play List]\r\nC:\\one.flv\r\n";
const std::string OldIni = "[Setting]\r\nVolumeLevel=40\r\n[Mine]\r\nKept=1\r\n";

std::wstring EnvironmentValue(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Fills the disk to its last byte.
void Fill(const std::wstring& file)
{
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string block(4096, 'x');
    DWORD wrote;
    for (DWORD n : {4096u, 1u})
        while (WriteFile(f, block.data(), n, &wrote, nullptr) && wrote == n) {}
    CloseHandle(f);
}

class Faults : public AppTest {
protected:
    void TearDown() override
    {
        AppTest::TearDown();
        BuildIniPath();  // the settings file beside the test program again
    }
    // The saves into the folder: both fail, and the previous files stay whole.
    void ExpectSavesKeepPreviousFiles(const std::wstring& disk)
    {
        std::wstring list = disk + L"\\list.nbl";
        EXPECT_EQ(WritePlaylistFile(list.c_str()), 0);
        EXPECT_EQ(ReadBytes(list), OldList);
        EXPECT_FALSE(Exists(list + L".saving"));
        IniPath = disk + L"\\Nimbrel.ini";
        Settings.VolumeLevel = 77;
        SaveSettings();
        EXPECT_EQ(ReadBytes(IniPath), OldIni);
        EXPECT_FALSE(Exists(IniPath + L".saving"));
    }
};

// Read-only files, files held open, a read-only disk and a full one: the saves fail and the
// previous files stay whole; with room again the settings are written whole, the user's own
// section kept.
TEST_F(Faults, SavesThatCannotBeWrittenFailAndKeepThePreviousFiles)
{
    for (int i = 0; i < 3; i++)
        AddEntry(i, (Dir / (std::to_wstring(i) + L".flv")).c_str());
    Paths kept = {Dir / L"list.nbl", Dir / L"Nimbrel.ini"};
    WriteBytes(kept[0], OldList);
    WriteBytes(kept[1], OldIni);
    for (const std::wstring& path : kept)
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectSavesKeepPreviousFiles(Dir.Path);
    std::vector<HANDLE> held;  // by another program: the new text is written, then cannot replace them
    for (const std::wstring& path : kept) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        held.push_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    ExpectSavesKeepPreviousFiles(Dir.Path);
    for (HANDLE h : held)
        CloseHandle(h);

    std::wstring readOnly = EnvironmentValue(L"NIMBREL_READONLY_DISK"), full = EnvironmentValue(L"NIMBREL_FULL_DISK");
    if (readOnly.empty() || full.empty())
        GTEST_SKIP() << "no small disks mounted (tests/faults/faults.sh mounts them)";
    ExpectSavesKeepPreviousFiles(readOnly);
    WriteBytes(full + L"\\list.nbl", OldList);
    WriteBytes(full + L"\\Nimbrel.ini", OldIni);
    Fill(full + L"\\filler");
    ExpectSavesKeepPreviousFiles(full);
    DeleteFileW((full + L"\\filler").c_str());
    SaveSettings();
    std::string ini = ReadBytes(IniPath);
    EXPECT_EQ(IniValue(ini, "VolumeLevel"), "77");
    EXPECT_EQ(IniValue(ini, "AspectRatio10"), "0");
    EXPECT_EQ(IniValue(ini, "Kept"), "1");
    EXPECT_FALSE(Exists(IniPath + L".saving"));
}

// The file that plays is cut to nothing, then taken away: it ends and the next one plays.
TEST_F(Faults, PlayingFileCutShortOrDeletedEndsAndTheListGoesOn)
{
    CreateDirectoryW((Dir / L"sub").c_str(), nullptr);
    std::wstring a = Dir / L"sub\\a.flv", b = Dir / L"b.mp4";
    ASSERT_TRUE(CopyFileW(Clip(L"long_pcm.flv").c_str(), a.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Clip(L"h264_aac.mp4").c_str(), b.c_str(), FALSE));
    DropOnVideo({a, b});
    ASSERT_TRUE(PumpUntil([] { return _wtof(EngineValue(L"ns.time").c_str()) > 0.5; }, 10000));

    HANDLE f = CreateFileW(a.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << "the engine keeps others from writing its file";
    EXPECT_TRUE(SetEndOfFile(f));
    CloseHandle(f);
    DeleteFileW(a.c_str());  // refused while the file is open, on some systems
    MoveFileW((Dir / L"sub").c_str(), (Dir / L"moved").c_str());
    // The 100-second file ends long before its time.
    EXPECT_TRUE(PumpUntil([] { return NowPlaying() == L"1 Playing [b.mp4]"; }, 30000)) << NowPlaying();
    EXPECT_TRUE(BoxTexts.empty());
}

// The temporary folder missing, a file or read-only, or a corrupt movie in the exe's resources
// (the resource script names no language: US English, as the resource compiler takes it):
// start-up fails with its box, the settings saved.
TEST(FaultsAtStart, NoUsableTemporaryFolderOrACorruptMovieEndsInTheErrorBox)
{
    TempFolder outside;
    WriteBytes(outside / L"a file", "x");
    std::wstring temp0 = EnvironmentValue(L"TEMP"), tmp0 = EnvironmentValue(L"TMP");
    Paths temps = {temp0, outside / L"missing", outside / L"a file"};  // the usual one: the corrupt movie
    if (!EnvironmentValue(L"NIMBREL_READONLY_DISK").empty())
        temps.push_back(EnvironmentValue(L"NIMBREL_READONLY_DISK"));
    for (const std::wstring& temp : temps) {
        SCOPED_TRACE(Utf8(temp));
        Program p;
        if (temp == temp0) {
            std::string movie = std::string("CWS\x08\x1f\x0e\x00\x00", 8) + std::string(200, '\x5a');
            HANDLE update = BeginUpdateResourceW(p.Exe.c_str(), FALSE);
            ASSERT_TRUE(update && UpdateResourceW(update, L"SWF", MAKEINTRESOURCEW(IDR_PLAYER_MOVIE),
                                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), movie.data(),
                                                  (DWORD)movie.size()));
            ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
        }
        SetEnvironmentVariableW(L"TEMP", temp.c_str());
        SetEnvironmentVariableW(L"TMP", temp.c_str());
        bool started = p.Start();
        SetEnvironmentVariableW(L"TEMP", temp0.c_str());
        SetEnvironmentVariableW(L"TMP", tmp0.c_str());
        ASSERT_TRUE(started);
        HWND box = p.WaitForWindow(L"#32770", 10000);
        ASSERT_NE(box, nullptr) << "no error box appeared";
        wchar_t caption[64] = L"", text[256] = L"";
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        EXPECT_EQ(std::wstring(caption) + L"|" + text, L"Error|初期化に失敗しました");
        EXPECT_TRUE(Exists(p.Dir / L"Nimbrel.ini"));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(p.Finish(nullptr), 0u);
    }
}

}  // namespace
