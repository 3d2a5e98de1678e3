// The real program as a process, given two clips on its command line.
#include "playlist_test_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM data)
{
    Found* f = (Found*)data;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = L"";
    GetClassNameW(window, cls, 32);
    if (pid == f->process && wcscmp(cls, L"Nimbrel") == 0) {
        f->window = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring TitleOf(HWND window)
{
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    return title;
}

// Waits, within a generous bound, until the title is the wanted one; the titles met on the
// way are collected.
bool WaitForTitle(HWND window, const std::wstring& wanted, std::vector<std::wstring>& seen, int seconds)
{
    for (int i = 0; i < seconds * 20; i++) {
        std::wstring t = TitleOf(window);
        if (seen.empty() || seen.back() != t)
            seen.push_back(t);
        if (t == wanted)
            return true;
        Sleep(50);
    }
    return false;
}

TEST(Process, PlaysTheCommandLineClipsInTurnAndStopsAfterTheLast)
{
    TempFolder dir;
    std::wstring exe = dir / L"Nimbrel.exe";
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));
    std::wstring first = dir / L"first clip.flv", second = dir / L"second.mp4";
    ASSERT_TRUE(CopyFileW(L"" PLAYLIST_MEDIA L"/first.flv", first.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(L"" PLAYLIST_MEDIA L"/second.mp4", second.c_str(), FALSE));
    WriteBytes(dir / L"Nimbrel.ini", "[Setting]\r\nRepeat=0\r\nVolumeLevel=40\r\n");

    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + exe + L"\" \"" + first + L"\" \"" + second + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               dir.Path.c_str(), &si, &pi));
    Found found = {pi.dwProcessId, nullptr};
    for (int i = 0; i < 400 && !found.window; i++) {
        Sleep(50);
        EnumWindows(FindMainWindow, (LPARAM)&found);
    }
    ASSERT_NE(found.window, nullptr) << "the program showed no main window";

    std::vector<std::wstring> seen;
    EXPECT_TRUE(WaitForTitle(found.window, L"Nimbrel - [first clip.flv]", seen, 20));
    EXPECT_TRUE(WaitForTitle(found.window, L"Nimbrel - [second.mp4]", seen, 30));
    // After the second clip's end it stops: the stop button grays, the title stays.
    HWND bar = FindWindowExW(found.window, nullptr, L"wc", nullptr);
    HWND stop = bar ? GetDlgItem(bar, 1008) : nullptr;
    if (stop) {
        bool stopped = false;
        for (int i = 0; i < 600 && !stopped; i++) {
            stopped = !IsWindowEnabled(stop);
            if (!stopped)
                Sleep(50);
        }
        EXPECT_TRUE(stopped) << "still playing after the last clip";
    } else {
        // Without the control bar: the title must not go back to the first clip while the
        // second one ends (it would in the repeating modes).
        std::vector<std::wstring> after;
        WaitForTitle(found.window, L"Nimbrel - [first clip.flv]", after, 4);
        seen.insert(seen.end(), after.begin(), after.end());
    }
    EXPECT_EQ(TitleOf(found.window), L"Nimbrel - [second.mp4]") << "the list did not start over";
    std::wstring all;
    for (const std::wstring& t : seen)
        all += t + L" | ";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), L"Nimbrel - [first clip.flv]"), 1) << std::string(all.begin(), all.end());

    PostMessageW(found.window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(exitCode, 0u);
    std::string ini = ReadBytes(dir / L"Nimbrel.ini");
    EXPECT_EQ(IniValue(ini, "Repeat"), "0");
    EXPECT_EQ(IniValue(ini, "VolumeLevel"), "40");
    EXPECT_EQ(IniValue(ini, "PlayListWidth"), "145");
}

}  // namespace
