// Faults from outside: a full disk and a read-only one under the saves, the playing file cut
// short or taken away, no usable temporary folder at start. The disks are small file systems
// that faults.sh mounts and names in NIMBREL_FULL_DISK and NIMBREL_READONLY_DISK; without them
// those cases skip (a failure of the run).
#include "app/app.h"
#include "app/settings.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "test_support.h"

namespace {

const std::string OldList = "[Nimbrel Play List]\r\nC:\\one.flv\r\n";
const std::string OldIni = "[Setting]\r\nVolumeLevel=40\r\n[Mine]\r\nKept=1\r\n";

std::wstring Disk(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Faults : AppTest {
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
        IniPath = disk + L"\\Nimbrel.ini";
        Settings.VolumeLevel = 77;
        SaveSettings();
        EXPECT_EQ(ReadBytes(IniPath), OldIni);
        EXPECT_FALSE(Exists(list + L".saving") || Exists(IniPath + L".saving"));
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

    std::wstring readOnly = Disk(L"NIMBREL_READONLY_DISK"), full = Disk(L"NIMBREL_FULL_DISK");
    if (readOnly.empty() || full.empty())
        GTEST_SKIP() << "no small disks mounted (tests/faults/faults.sh mounts them, as root)";
    ExpectSavesKeepPreviousFiles(readOnly);
    WriteBytes(full + L"\\list.nbl", OldList);
    WriteBytes(full + L"\\Nimbrel.ini", OldIni);
    HANDLE filler = CreateFileW((full + L"\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string block(4096, 'x');
    DWORD wrote;
    for (DWORD n : {4096u, 1u})  // to the disk's last byte
        while (WriteFile(filler, block.data(), n, &wrote, nullptr) && wrote == n) {}
    CloseHandle(filler);
    ExpectSavesKeepPreviousFiles(full);
    DeleteFileW((full + L"\\filler").c_str());
    SaveSettings();
    std::string ini = ReadBytes(IniPath);
    EXPECT_EQ(IniValue(ini, "VolumeLevel") + IniValue(ini, "AspectRatio10") + IniValue(ini, "Kept"), "7701");
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

// The temporary folder missing, a file or on a read-only disk: no movie can be written, and
// start-up fails with its box, the settings saved.
TEST_F(Faults, NoUsableTemporaryFolderEndsStartUpInTheErrorBox)
{
    WriteBytes(Dir / L"a file", "x");
    std::wstring temp = Disk(L"TEMP"), tmp = Disk(L"TMP");
    Paths temps = {Dir / L"missing", Dir / L"a file", Disk(L"NIMBREL_READONLY_DISK")};
    CloseApp();
    for (const std::wstring& folder : temps) {
        if (folder.empty())
            GTEST_SKIP() << "no read-only disk mounted (tests/faults/faults.sh mounts it, as root)";
        WriteTestIni("");
        BoxTexts.clear();
        SetEnvironmentVariableW(L"TEMP", folder.c_str());
        SetEnvironmentVariableW(L"TMP", folder.c_str());
        EXPECT_FALSE(StartApp()) << Utf8(folder);
        SetEnvironmentVariableW(L"TEMP", temp.c_str());
        SetEnvironmentVariableW(L"TMP", tmp.c_str());
        CloseApp();
        EXPECT_EQ(BoxTexts, Paths{L"初期化に失敗しました"}) << Utf8(folder);
        EXPECT_NE(IniValue(ReadTestIni(), "AspectRatio10"), "") << Utf8(folder);
    }
    ASSERT_TRUE(StartApp());
}

}  // namespace
