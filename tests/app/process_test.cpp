// The real program as a process: named differently, it still keeps Nimbrel.ini beside itself.
#include "test_support.h"

TEST(Process, SettingsFileIsNamedAfterTheProductWhateverTheExeIsCalled)
{
    TempFolder dir;
    std::wstring exe = dir / L"Player Copy.exe";
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"", dir.Path, &pi));
    HWND window = WaitForProcessWindow(pi.dwProcessId, L"Nimbrel", 10000);
    EXPECT_NE(window, nullptr) << "the program showed no main window";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);
    EXPECT_EQ(IniValue(ReadBytes(dir / L"Nimbrel.ini"), "PlayListWidth"), "145");
    EXPECT_EQ(GetFileAttributesW((dir / L"Player Copy.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}
