// Reading and writing the settings file, bad files included.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/settings.h"

namespace {

struct SettingsFile : ::testing::Test {
    std::wstring path;
    void SetUp() override
    {
        AppInstance = GetModuleHandleW(nullptr);
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        path = std::wstring(folder) + L"nimbrel-settings-test.ini";
        DeleteFileW(path.c_str());
        IniPath = path;
    }
    void TearDown() override { DeleteFileW(path.c_str()); }
    void Write(const std::string& bytes) { std::ofstream(path.c_str(), std::ios::binary) << bytes; }
    std::vector<std::string> Lines()
    {
        std::ifstream in(path.c_str(), std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }
    void Load()
    {
        SetDefaultSettings();
        LoadSettings();
    }
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults)
{
    Load();
    RECT r = {0, 0, 662, 414};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    EXPECT_EQ(Settings.WindowPosX, (int)CW_USEDEFAULT);
    EXPECT_EQ(Settings.WindowPosY, (int)CW_USEDEFAULT);
    EXPECT_EQ(Settings.WindowWidth, r.right - r.left);
    EXPECT_EQ(Settings.WindowHeight, r.bottom - r.top);
    EXPECT_EQ(Settings.Repeat, 0);
    EXPECT_EQ(Settings.PlayListShow, 1);
    EXPECT_EQ(Settings.PlayListWidth, 145);
    EXPECT_EQ(Settings.Quality, 2);
    EXPECT_EQ(Settings.Smoothing, 1);
    EXPECT_EQ(Settings.VolumeMute, 0);
    EXPECT_EQ(Settings.VolumeLevel, 100);
    EXPECT_EQ(Settings.Deblocking, 0);
    EXPECT_EQ(Settings.Maximize, 0);
    EXPECT_EQ(Settings.AspectRatio1, 4003);
    EXPECT_EQ(Settings.AspectRatio6, 21009);
    EXPECT_EQ(Settings.AspectRatio7, 0);
}

TEST_F(SettingsFile, MinusOneInEitherPositionKeyLetsTheSystemPlace)
{
    Write("[Setting]\r\nWindowPosX=-1\r\nWindowPosY=300\r\n");
    Load();
    EXPECT_EQ(Settings.WindowPosX, (int)CW_USEDEFAULT);
    EXPECT_EQ(Settings.WindowPosY, (int)CW_USEDEFAULT);

    Write("[Setting]\r\nWindowPosX=250\r\nWindowPosY=-1\r\n");
    Load();
    EXPECT_EQ(Settings.WindowPosX, (int)CW_USEDEFAULT);

    Write("[Setting]\r\nWindowPosX=250\r\n");  // the other key missing
    Load();
    EXPECT_EQ(Settings.WindowPosX, (int)CW_USEDEFAULT);
    EXPECT_EQ(Settings.WindowPosY, (int)CW_USEDEFAULT);

    Write("[Setting]\r\nWindowPosX=-20\r\nWindowPosY=-2\r\n");
    Load();
    EXPECT_EQ(Settings.WindowPosX, -20);
    EXPECT_EQ(Settings.WindowPosY, -2);
}

TEST_F(SettingsFile, ValuesOutOfRangeAreUsedUnchanged)
{
    Write("[Setting]\r\nQuality=7\r\nPlayListWidth=-40\r\nVolumeLevel=250\r\nRepeat=9\r\n"
          "AspectRatio7=2391000\r\nAspectRatio8=2391\r\n");
    Load();
    EXPECT_EQ(Settings.Quality, 7);
    EXPECT_EQ(Settings.PlayListWidth, -40);
    EXPECT_EQ(Settings.VolumeLevel, 250);
    EXPECT_EQ(Settings.Repeat, 9);
    EXPECT_EQ(Settings.AspectRatio7, 2391000);
    EXPECT_EQ(Settings.AspectRatio8, 2391);
}

TEST_F(SettingsFile, GarbageNeverStopsReading)
{
    Write("garbage line\r\n[Other]\r\nQuality=1\r\n[Setting]\r\nQuality=abc\r\n=5\r\n"
          "Smoothing=  0\r\nVolumeLevel=99999999999999\r\nDeblocking=2xyz\r\n\x01\x02\xff\xfe\r\n");
    Load();
    EXPECT_EQ(Settings.Quality, 0);     // not a number: read as 0
    EXPECT_EQ(Settings.Smoothing, 0);
    EXPECT_EQ(Settings.Deblocking, 2);  // digits up to the first other character
    EXPECT_EQ(Settings.PlayListWidth, 145);
}

TEST_F(SettingsFile, Utf16FileIsReadToo)
{
    std::wstring text = L"\xFEFF[Setting]\r\nPlayListWidth=200\r\nRepeat=3\r\n";
    Write(std::string((const char*)text.data(), text.size() * sizeof(wchar_t)));
    Load();
    EXPECT_EQ(Settings.PlayListWidth, 200);
    EXPECT_EQ(Settings.Repeat, 3);
}

TEST_F(SettingsFile, SaveWritesAll24KeysInOrder)
{
    SetDefaultSettings();
    Settings.WindowPosX = 12;
    Settings.WindowPosY = -3;
    Settings.AspectRatio10 = 2039;
    SaveSettings();
    std::vector<std::string> lines = Lines();
    std::vector<std::string> keys = {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight",
                                     "Repeat", "VolumeMute", "VolumeLevel", "WindowTop",
                                     "PlayListShow", "PlayListWidth", "Quality", "Smoothing",
                                     "Deblocking", "Maximize"};
    for (int n = 1; n <= 10; n++)
        keys.push_back("AspectRatio" + std::to_string(n));
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "[Setting]");
    for (size_t i = 0; i < keys.size(); i++)
        EXPECT_EQ(lines[i + 1].substr(0, lines[i + 1].find('=')), keys[i]);
    EXPECT_EQ(lines[1], "WindowPosX=12");
    EXPECT_EQ(lines[2], "WindowPosY=-3");
    EXPECT_EQ(lines[24], "AspectRatio10=2039");

    // Reading back gives the same record.
    SettingsRecord saved = Settings;
    Load();
    EXPECT_EQ(memcmp(&saved, &Settings, sizeof saved), 0);
}

TEST_F(SettingsFile, SaveIntoAMissingFolderFailsQuietly)
{
    IniPath = L"Z:\\nonexistent-folder\\deeper\\Nimbrel.ini";
    SetDefaultSettings();
    SaveSettings();
    EXPECT_EQ(GetFileAttributesW(IniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

// The settings file sits beside the executable whatever the length of its folder.
TEST(IniPath, ReplacesTheExecutablesNameInAFolderOfAnyLength)
{
    std::wstring folder = L"C:\\" + std::wstring(300, L'a') + L"\\" + std::wstring(300, L'b');
    EXPECT_EQ(IniPathBeside(folder + L"\\Renamed.exe", L"Nimbrel.ini"), folder + L"\\Nimbrel.ini");
    EXPECT_EQ(IniPathBeside(L"\\\\?\\" + folder + L"\\x.exe", L"Nimbrel.ini"), L"\\\\?\\" + folder + L"\\Nimbrel.ini");
    EXPECT_EQ(IniPathBeside(L"C:\\Nimbrel.exe", L"Nimbrel.ini"), L"C:\\Nimbrel.ini");
}
