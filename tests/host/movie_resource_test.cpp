// A program whose player movie is missing or damaged tells the user and ends cleanly.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "app_run.h"
#include "engine/video_panel.h"

namespace {

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR data)
{
    *(WORD*)data = language;
    return FALSE;
}

// Runs a copy of the program whose movie resource is replaced by bytes.
void ExpectStartupFailure(const std::string& bytes)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"nimbrel-bad-movie";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\Nimbrel.exe", ini = folder + L"\\Nimbrel.ini";
    DeleteFileW(ini.c_str());
    ASSERT_TRUE(CopyFileW(L"" NIMBREL_EXE, exe.c_str(), FALSE));

    WORD language = 0;
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceLanguagesW(image, L"SWF", MAKEINTRESOURCEW(200), FirstLanguage, (LONG_PTR)&language);
    FreeLibrary(image);
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, L"SWF", MAKEINTRESOURCEW(200), language, (void*)bytes.data(),
                                (DWORD)bytes.size()));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"", folder, &pi));
    HWND box = WaitForProcessWindow(pi.dwProcessId, L"#32770", 10000);
    if (box) {
        wchar_t caption[64] = L"", text[256] = L"";
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        EXPECT_STREQ(caption, L"Error");
        EXPECT_STREQ(text, L"初期化に失敗しました");
        EXPECT_NE(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES) << "saved before the box";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else {
        ADD_FAILURE() << "no error box appeared";
    }
    EXPECT_EQ(FinishProgram(&pi, 20000), 0u);
    DeleteFileW(ini.c_str());
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(MovieResource, MissingMovieIsNotWritten)
{
    HINSTANCE saved = AppInstance;
    AppInstance = GetModuleHandleW(L"kernel32.dll");  // a module without the movie
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"nimbrel-no-movie.swf";
    DeleteFileW(path.c_str());
    EXPECT_FALSE(ExtractPlayerMovie(path.c_str()));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    AppInstance = saved;
}

TEST(MovieResource, UnwritableMoviePathFails)
{
    AppInstance = GetModuleHandleW(nullptr);
    EXPECT_FALSE(ExtractPlayerMovie(L"Z:\\no-such-folder\\deeper\\Nimbrel.swf"));
}

TEST(MovieResource, CorruptMovieEndsInTheErrorBox)
{
    ExpectStartupFailure(std::string("CWS\x08\x1f\x0e\x00\x00", 8) + std::string(200, '\x5a'));
}

}  // namespace
