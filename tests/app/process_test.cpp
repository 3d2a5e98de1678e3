// The real program as a process: its settings file, its movie, clips on its command line.
#include <algorithm>

#include "resources/resource.h"
#include "test_support.h"

namespace {

TEST(Process, SettingsFileIsNamedAfterTheProductWhateverTheExeIsCalled)
{
    Program p(L"Player Copy.exe");
    ASSERT_TRUE(p.Start());
    HWND window = p.WaitForWindow(L"Nimbrel", 10000);
    EXPECT_NE(window, nullptr) << "the program showed no main window";
    EXPECT_EQ(p.Finish(window), 0u);
    EXPECT_EQ(IniValue(ReadBytes(p.Dir / L"Nimbrel.ini"), "PlayListWidth"), "145");
    EXPECT_EQ(GetFileAttributesW((p.Dir / L"Player Copy.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR data)
{
    *(WORD*)data = language;
    return FALSE;
}

TEST(Process, CorruptMovieEndsInTheErrorBoxAfterTheSettingsWereSaved)
{
    Program p;
    WORD language = 0;
    HMODULE image = LoadLibraryExW(p.Exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceLanguagesW(image, L"SWF", MAKEINTRESOURCEW(200), FirstLanguage, (LONG_PTR)&language);
    FreeLibrary(image);
    std::string bytes = std::string("CWS\x08\x1f\x0e\x00\x00", 8) + std::string(200, '\x5a');
    HANDLE update = BeginUpdateResourceW(p.Exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, L"SWF", MAKEINTRESOURCEW(200), language, bytes.data(), (DWORD)bytes.size()));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    ASSERT_TRUE(p.Start());
    HWND box = p.WaitForWindow(L"#32770", 10000);
    EXPECT_NE(box, nullptr) << "no error box appeared";
    if (box) {
        wchar_t caption[64] = L"", text[256] = L"";
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        EXPECT_STREQ(caption, L"Error");
        EXPECT_STREQ(text, L"初期化に失敗しました");
        EXPECT_NE(GetFileAttributesW((p.Dir / L"Nimbrel.ini").c_str()), INVALID_FILE_ATTRIBUTES);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(p.Finish(nullptr), 0u);
}

HWND StopButtonOf(HWND window) { return GetDlgItem(FindWindowExW(window, nullptr, L"wc", nullptr), IDC_STOP); }

TEST(Process, PlaysTheCommandLineClipsInTurnAndStopsAfterTheLast)
{
    Program p;
    std::wstring first = p.Dir / L"first clip.flv", second = p.Dir / L"second.mp4";
    ASSERT_TRUE(CopyFileW(Clip(L"sorenson_mp3.flv").c_str(), first.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Clip(L"h264_aac.mp4").c_str(), second.c_str(), FALSE));
    WriteBytes(p.Dir / L"Nimbrel.ini", "[Setting]\r\nRepeat=0\r\nVolumeLevel=40\r\n");
    ASSERT_TRUE(p.Start(L"\"" + first + L"\" \"" + second + L"\""));
    HWND window = p.WaitForWindow(L"Nimbrel", 20000);
    ASSERT_NE(window, nullptr) << "the program showed no main window";

    // Every title met on the way, until the wanted one or the time is up.
    Paths seen;
    auto waitForTitle = [&](const std::wstring& wanted, int ms) {
        return PumpUntil([&] {
            std::wstring t = WindowTitle(window);
            if (seen.empty() || seen.back() != t)
                seen.push_back(t);
            return t == wanted;
        }, ms);
    };
    EXPECT_TRUE(waitForTitle(L"Nimbrel - [first clip.flv]", 20000));
    EXPECT_TRUE(waitForTitle(L"Nimbrel - [second.mp4]", 30000));
    // After the second clip's end it stops: the stop button grays and the title stays (the
    // repeating modes would go back to the first clip).
    HWND stop = StopButtonOf(window);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(stop); }, 30000)) << "still playing after the last clip";
    EXPECT_EQ(WindowTitle(window), L"Nimbrel - [second.mp4]") << "the list did not start over";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), L"Nimbrel - [first clip.flv]"), 1);

    EXPECT_EQ(p.Finish(window), 0u);
    std::string ini = ReadBytes(p.Dir / L"Nimbrel.ini");
    EXPECT_EQ(IniValue(ini, "Repeat"), "0");
    EXPECT_EQ(IniValue(ini, "VolumeLevel"), "40");
    EXPECT_EQ(IniValue(ini, "PlayListWidth"), "145");
}

TEST(Process, ClickOnStopStopsTheClipAndGraysTheButton)
{
    Program p;
    ASSERT_TRUE(p.Start(L"\"" + Clip(L"long.mp4") + L"\""));
    HWND window = p.WaitForWindow(L"Nimbrel", 10000);
    HWND stop = StopButtonOf(window), play = GetDlgItem(GetParent(stop), IDC_PLAY_PAUSE);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(stop) != 0; }, 10000)) << "the clip did not start";
    PostMessageW(stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(stop, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(stop); }, 10000));
    EXPECT_TRUE(IsWindowEnabled(play));
    EXPECT_EQ(p.Finish(window), 0u);
}

}  // namespace
