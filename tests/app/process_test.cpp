// The real program as a process: named differently, it still keeps Nimbrel.ini beside itself.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app_run.h"

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

    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &si, &pi));
    Found found = {pi.dwProcessId, nullptr};
    for (int i = 0; i < 200 && !found.window; i++) {
        Sleep(50);
        EnumWindows(FindMainWindow, (LPARAM)&found);
    }
    ASSERT_NE(found.window, nullptr) << "the program showed no main window";
    PostMessageW(found.window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(exitCode, 0u);

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
