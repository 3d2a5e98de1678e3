// The real program closed in full screen keeps the window rectangle from before it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app_run.h"
#include "resources/resource.h"

namespace {

TEST(Process, ClosedInFullScreenReopensAsANormalWindow)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"nimbrel-full-screen", exe = folder + L"\\Nimbrel.exe";
    std::wstring ini = folder + L"\\Nimbrel.ini";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));
    std::ofstream(ini.c_str(), std::ios::binary) << "[Setting]\r\nWindowPosX=120\r\nWindowPosY=90\r\nWindowWidth=520\r\nWindowHeight=380\r\n";

    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"", folder, &pi));
    HWND window = WaitForProcessWindow(pi.dwProcessId, L"Nimbrel", 10000);
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_COMMAND, IDM_FULL_SCREEN, 0);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);

    std::stringstream text;
    text << std::ifstream(ini.c_str(), std::ios::binary).rdbuf();
    for (auto [key, value] : {std::pair{"WindowPosX", "120"}, {"WindowPosY", "90"}, {"WindowWidth", "520"},
                              {"WindowHeight", "380"}, {"Maximize", "0"}})
        EXPECT_EQ(IniValue(text.str(), key), value) << key;
    DeleteFileW(ini.c_str());
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
