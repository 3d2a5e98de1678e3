// The real program as a process, given two clips on its command line.
#include <algorithm>

#include "test_support.h"

namespace {

std::wstring TitleOf(HWND window)
{
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    return title;
}

TEST(Process, PlaysTheCommandLineClipsInTurnAndStopsAfterTheLast)
{
    TempFolder dir;
    std::wstring exe = dir / L"Nimbrel.exe", first = dir / L"first clip.flv", second = dir / L"second.mp4";
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Clip(L"sorenson_mp3.flv").c_str(), first.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Clip(L"h264_aac.mp4").c_str(), second.c_str(), FALSE));
    WriteBytes(dir / L"Nimbrel.ini", "[Setting]\r\nRepeat=0\r\nVolumeLevel=40\r\n");
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"\"" + first + L"\" \"" + second + L"\"", dir.Path, &pi));
    HWND window = WaitForProcessWindow(pi.dwProcessId, L"Nimbrel", 20000);
    ASSERT_NE(window, nullptr) << "the program showed no main window";

    // Every title met on the way, until the wanted one or the time is up.
    Paths seen;
    auto waitForTitle = [&](const std::wstring& wanted, int ms) {
        return PumpUntil([&] {
            std::wstring t = TitleOf(window);
            if (seen.empty() || seen.back() != t)
                seen.push_back(t);
            return t == wanted;
        }, ms);
    };
    EXPECT_TRUE(waitForTitle(L"Nimbrel - [first clip.flv]", 20000));
    EXPECT_TRUE(waitForTitle(L"Nimbrel - [second.mp4]", 30000));
    // After the second clip's end it stops: the stop button grays, or without the control bar
    // the title must not go back to the first clip (it would in the repeating modes).
    HWND bar = FindWindowExW(window, nullptr, L"wc", nullptr);
    HWND stop = bar ? GetDlgItem(bar, 1008) : nullptr;
    if (stop)
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(stop); }, 30000)) << "still playing after the last clip";
    else
        waitForTitle(L"Nimbrel - [first clip.flv]", 6000);
    EXPECT_EQ(TitleOf(window), L"Nimbrel - [second.mp4]") << "the list did not start over";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), L"Nimbrel - [first clip.flv]"), 1);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);
    std::string ini = ReadBytes(dir / L"Nimbrel.ini");
    EXPECT_EQ(IniValue(ini, "Repeat"), "0");
    EXPECT_EQ(IniValue(ini, "VolumeLevel"), "40");
    EXPECT_EQ(IniValue(ini, "PlayListWidth"), "145");
}

}  // namespace
