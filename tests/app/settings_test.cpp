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

TEST_F(SettingsFile, MinusOneInEitherPositionKeyOrAMissingKeyLetsTheSystemPlace)
{
    const int D = CW_USEDEFAULT;
    struct Row {
        const char* keys;
        int x, y;
    } rows[] = {{"WindowPosX=-1\r\nWindowPosY=300", D, D}, {"WindowPosX=250\r\nWindowPosY=-1", D, D},
                {"WindowPosX=250", D, D}};  // any other negative place: startup_test.cpp
    for (Row r : rows) {
        Load(std::string("[Setting]\r\n") + r.keys + "\r\n");
        EXPECT_EQ(Settings.WindowPosX, r.x) << r.keys;
        EXPECT_EQ(Settings.WindowPosY, r.y) << r.keys;
    }
}

TEST_F(SettingsFile, GarbageNeverStopsReading)
{
    Load("garbage line\r\n[Other]\r\nQuality=1\r\n[Setting]\r\nQuality=abc\r\n=5\r\nSmoothing=  0\r\n"
         "VolumeLevel=99999999999999\r\nDeblocking=2xyz\r\n\x01\x02\xff\xfe\r\n");
    EXPECT_EQ(Settings.Quality, 0);     // not a number: read as 0
    EXPECT_EQ(Settings.Smoothing, 0);
    EXPECT_EQ(Settings.Deblocking, 2);  // digits up to the first other character
    EXPECT_EQ(Settings.PlayListWidth, 145);

    std::wstring utf16 = L"\xFEFF[Setting]\r\nPlayListWidth=200\r\n";
    Load(std::string((const char*)utf16.data(), utf16.size() * sizeof(wchar_t)));
    EXPECT_EQ(Settings.PlayListWidth, 200);
}

TEST_F(SettingsFile, SavedRecordReadsBackAndAMissingFolderFailsQuietly)
{
    SetDefaultSettings();
    Settings.WindowPosX = 12;
    Settings.WindowPosY = -3;
    Settings.AspectRatio10 = 2039;
    SaveSettings();
    SettingsRecord saved = Settings;
    SetDefaultSettings();
    LoadSettings();
    EXPECT_EQ(memcmp(&saved, &Settings, sizeof saved), 0);

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
