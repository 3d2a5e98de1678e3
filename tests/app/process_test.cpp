// The real program as a process: named differently, it still keeps Nimbrel.ini beside itself.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app_run.h"

namespace {

TEST(Process, SettingsFileIsNamedAfterTheProductWhateverTheExeIsCalled)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"nimbrel-renamed";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\Player Copy.exe";
    std::wstring ini = folder + L"\\Nimbrel.ini";
    DeleteFileW(ini.c_str());
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));

    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"", folder, &pi));
    HWND window = WaitForProcessWindow(pi.dwProcessId, L"Nimbrel", 10000);
    EXPECT_NE(window, nullptr) << "the program showed no main window";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);

    std::ifstream in(ini.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(IniValue(text.str(), "PlayListWidth"), "145");
    EXPECT_EQ(IniValue(text.str(), "AspectRatio10"), "0");
    EXPECT_EQ(GetFileAttributesW((folder + L"\\Player Copy.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(ini.c_str());
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
