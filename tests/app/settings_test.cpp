// Reading and writing the settings file, bad files included. The defaults, and values read
// unclamped, are checked where the program saves them (startup_test.cpp).
#include "app/app.h"
#include "app/settings.h"
#include "test_support.h"

struct SettingsFile : ::testing::Test {
    TempFolder dir;
    std::wstring path = dir / L"settings.ini";
    void SetUp() override
    {
        AppInstance = GetModuleHandleW(nullptr);
        IniPath = path;
    }
    void Load(const std::string& bytes)
    {
        WriteBytes(path, bytes);
        SetDefaultSettings();
        LoadSettings();
    }
};

// (Any other place, a negative one included, is used: startup_test.cpp.)
TEST_F(SettingsFile, MinusOneInEitherPositionKeyOrAMissingKeyLetsTheSystemPlace)
{
    for (const char* keys : {"WindowPosX=-1\r\nWindowPosY=300", "WindowPosX=250\r\nWindowPosY=-1", "WindowPosX=250"}) {
        Load(std::string("[Setting]\r\n") + keys + "\r\n");
        EXPECT_TRUE(Settings.WindowPosX == CW_USEDEFAULT && Settings.WindowPosY == CW_USEDEFAULT) << keys;
    }
}

TEST_F(SettingsFile, GarbageNeverStopsReadingKeysOfAnyCaseAreUpdatedAndAMissingFolderFailsQuietly)
{
    Load("\xef\xbb\xbfgarbage line\r\n[Other]\r\nQuality=1\r\n[Setting]\r\nQuality=abc\r\n=5\r\nSmoothing=  0\r\n"
         "VolumeLevel=99999999999999\r\nDeblocking=2xyz\r\n\x01\x02\xff\xfe\r\n" + std::string("\0\0garbage\r\n", 11));
    EXPECT_EQ(Settings.Quality, 0);     // not a number: read as 0
    EXPECT_EQ(Settings.Smoothing, 0);
    EXPECT_EQ(Settings.Deblocking, 2);  // digits up to the first other character
    EXPECT_EQ(Settings.PlayListWidth, 145);

    std::wstring utf16 = L"\xFEFF[Setting]\r\nPlayListWidth=200\r\n";
    Load(std::string((const char*)utf16.data(), utf16.size() * sizeof(wchar_t)));
    EXPECT_EQ(Settings.PlayListWidth, 200);

    Load("[Setting]\r\nvolumelevel=40\r\n");  // a key written in another case is updated, not lost
    Settings.VolumeLevel = 77;
    SaveSettings();
    LoadSettings();
    EXPECT_EQ(Settings.VolumeLevel, 77);

    IniPath = dir / L"missing\\deeper\\Nimbrel.ini";
    SaveSettings();
    EXPECT_EQ(GetFileAttributesW(IniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The settings file sits beside the executable whatever the length of its folder.
TEST(IniPath, ReplacesTheExecutablesNameInAFolderOfAnyLength)
{
    std::wstring folder = L"C:\\" + std::wstring(300, L'a') + L"\\" + std::wstring(300, L'b');
    EXPECT_EQ(IniPathBeside(folder + L"\\Renamed.exe", L"Nimbrel.ini"), folder + L"\\Nimbrel.ini");
    EXPECT_EQ(IniPathBeside(L"\\\\?\\" + folder + L"\\x.exe", L"Nimbrel.ini"), L"\\\\?\\" + folder + L"\\Nimbrel.ini");
    EXPECT_EQ(IniPathBeside(L"C:\\Nimbrel.exe", L"Nimbrel.ini"), L"C:\\Nimbrel.ini");
}
