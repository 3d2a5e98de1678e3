// A program whose player movie is missing or damaged tells the user and ends cleanly.
#include "app/app.h"
#include "engine/video_panel.h"
#include "test_support.h"

namespace {

TEST(MovieResource, MissingMovieOrUnwritablePathIsNotWritten)
{
    TempFolder dir;
    AppInstance = GetModuleHandleW(L"kernel32.dll");  // a module without the movie
    EXPECT_FALSE(ExtractPlayerMovie((dir / L"Nimbrel.swf").c_str()));
    EXPECT_EQ(GetFileAttributesW((dir / L"Nimbrel.swf").c_str()), INVALID_FILE_ATTRIBUTES);
    AppInstance = GetModuleHandleW(nullptr);
    EXPECT_FALSE(ExtractPlayerMovie((dir / L"no-such-folder\\Nimbrel.swf").c_str()));
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR data)
{
    *(WORD*)data = language;
    return FALSE;
}

TEST(MovieResource, CorruptMovieEndsInTheErrorBoxAfterTheSettingsWereSaved)
{
    TempFolder dir;
    std::wstring exe = dir / L"Nimbrel.exe";
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));
    WORD language = 0;
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceLanguagesW(image, L"SWF", MAKEINTRESOURCEW(200), FirstLanguage, (LONG_PTR)&language);
    FreeLibrary(image);
    std::string bytes = std::string("CWS\x08\x1f\x0e\x00\x00", 8) + std::string(200, '\x5a');
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, L"SWF", MAKEINTRESOURCEW(200), language, bytes.data(), (DWORD)bytes.size()));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"", dir.Path, &pi));
    HWND box = WaitForProcessWindow(pi.dwProcessId, L"#32770", 10000);
    EXPECT_NE(box, nullptr) << "no error box appeared";
    if (box) {
        wchar_t caption[64] = L"", text[256] = L"";
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        EXPECT_STREQ(caption, L"Error");
        EXPECT_STREQ(text, L"初期化に失敗しました");
        EXPECT_NE(GetFileAttributesW((dir / L"Nimbrel.ini").c_str()), INVALID_FILE_ATTRIBUTES);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);
}

}  // namespace
