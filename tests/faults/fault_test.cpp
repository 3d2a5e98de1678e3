// Faults from outside; the small disks are mounted by faults.sh (NIMBREL_FULL_DISK, NIMBREL_READONLY_DISK).
#include "app/app.h"
#include "app/settings.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "test_support.h"

namespace {

const std::string OldList = "[Nimbrel Play List]\r\nC:\\one.flv\r\n", OldIni = "[Setting]\r\nVolumeLevel=40\r\n[Mine]\r\nKept=1\r\n";

std::wstring Env(const wchar_t* name) { return _wgetenv(name) ? _wgetenv(name) : L""; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Faults : AppTest {
    void TearDown() override { AppTest::TearDown(), BuildIniPath(); }  // the settings file beside us again
    // The saves into folder fail and keep the previous files whole.
    void ExpectSavesFail(const std::wstring& folder)
    {
        std::wstring list = folder + L"\\list.nbl";
        IniPath = folder + L"\\Nimbrel.ini", Settings.VolumeLevel = 77;
        EXPECT_EQ(WritePlaylistFile(list.c_str()), 0);
        SaveSettings();
        EXPECT_TRUE(ReadBytes(list) == OldList && ReadBytes(IniPath) == OldIni) << Utf8(folder);
        EXPECT_FALSE(Exists(list + L".saving") || Exists(IniPath + L".saving")) << Utf8(folder);
    }
};

// Saves to a read-only file or disk or a full disk fail, keeping the old files; with room, whole again.
TEST_F(Faults, SavesThatCannotBeWrittenFailAndKeepThePreviousFiles)
{
    for (int i = 0; i < 3; i++)
        AddEntry(i, (Dir / (std::to_wstring(i) + L".flv")).c_str());
    std::wstring readOnly = Env(L"NIMBREL_READONLY_DISK"), full = Env(L"NIMBREL_FULL_DISK");
    ASSERT_FALSE(readOnly.empty() || full.empty()) << "no small disks mounted (tests/faults/faults.sh mounts them, as root)";
    Paths kept = {Dir / L"list.nbl", Dir / L"Nimbrel.ini", full + L"\\list.nbl", full + L"\\Nimbrel.ini"};
    for (int i = 0; i < 4; i++) {
        WriteBytes(kept[i], i % 2 ? OldIni : OldList);
        SetFileAttributesW(kept[i].c_str(), i < 2 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    }
    ExpectSavesFail(Dir.Path);  // the new text is written, then cannot replace them
    ExpectSavesFail(readOnly);
    HANDLE filler = CreateFileW((full + L"\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string block(4096, 'x');
    DWORD wrote;
    for (DWORD n : {4096u, 1u})  // to the disk's last byte
        while (WriteFile(filler, block.data(), n, &wrote, nullptr) && wrote == n) {}
    CloseHandle(filler);
    ExpectSavesFail(full);
    DeleteFileW((full + L"\\filler").c_str()), SaveSettings();  // with room again
    std::string ini = ReadBytes(IniPath);
    EXPECT_EQ(IniValue(ini, "VolumeLevel") + IniValue(ini, "AspectRatio10") + IniValue(ini, "Kept"), "7701");
    EXPECT_FALSE(Exists(IniPath + L".saving"));
}

// The playing file cut to nothing, then taken away, ends early and the next one plays.
TEST_F(Faults, PlayingFileCutShortOrDeletedEndsAndTheListGoesOn)
{
    CreateDirectoryW((Dir / L"sub").c_str(), nullptr);
    std::wstring a = Dir / L"sub\\a.flv", b = Dir / L"b.mp4";
    ASSERT_TRUE(CopyFileW(Clip(L"long_pcm.flv").c_str(), a.c_str(), FALSE) &&
                CopyFileW(Clip(L"h264_aac.mp4").c_str(), b.c_str(), FALSE));
    Drop(VideoPanel, {a, b});
    ASSERT_TRUE(PumpUntil([] { return _wtof(EngineValue(L"ns.time").c_str()) > 0.5; }, 10000));
    HANDLE f = CreateFileW(a.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr);  // any sharing
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << "the engine keeps others from writing its file";
    EXPECT_TRUE(SetEndOfFile(f) && CloseHandle(f));
    DeleteFileW(a.c_str());  // refused while the file is open, on some systems
    MoveFileW((Dir / L"sub").c_str(), (Dir / L"moved").c_str());
    EXPECT_TRUE(PumpUntil([] { return NowPlaying() == L"1 Playing [b.mp4]"; }, 30000)) << NowPlaying();
    EXPECT_TRUE(BoxTexts.empty());
}

// No usable temporary folder: start-up fails with its box, the settings saved.
TEST_F(Faults, NoUsableTemporaryFolderEndsStartUpInTheErrorBox)
{
    std::wstring temp = Env(L"TEMP"), tmp = Env(L"TMP");
    CloseApp();
    for (const std::wstring& folder : {Dir / L"missing", Env(L"NIMBREL_READONLY_DISK")}) {
        ASSERT_FALSE(folder.empty()) << "no read-only disk mounted (tests/faults/faults.sh mounts it, as root)";
        WriteTestIni(""), BoxTexts.clear();
        SetEnvironmentVariableW(L"TEMP", folder.c_str()), SetEnvironmentVariableW(L"TMP", folder.c_str());
        EXPECT_FALSE(StartApp()) << Utf8(folder);
        SetEnvironmentVariableW(L"TEMP", temp.c_str()), SetEnvironmentVariableW(L"TMP", tmp.c_str());
        CloseApp();
        EXPECT_TRUE(BoxTexts == Paths{L"初期化に失敗しました"} && IniValue(ReadTestIni(), "AspectRatio10") != "") << Utf8(folder);
    }
    ASSERT_TRUE(StartApp());
}

}  // namespace
