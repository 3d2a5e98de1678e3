#include "test_files.h"

#include <algorithm>
#include <fstream>

static std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(Long(path).c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(Long(path).c_str(), std::ios::binary);
    ASSERT_TRUE(out.write(bytes.data(), bytes.size()).flush()) << Utf8(path);
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

static void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Long(folder + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::wstring name = found.cFileName, child = folder + L"\\" + name;
        DWORD a = found.dwFileAttributes;
        if (name == L"." || name == L"..")
            continue;
        if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveTree(child);  // a link is removed, never followed
        else
            (a & FILE_ATTRIBUTE_DIRECTORY ? RemoveDirectoryW : DeleteFileW)(Long(child).c_str());
    }
    FindClose(search);
    RemoveDirectoryW(Long(folder).c_str());
}

TempFolder::TempFolder()
{
    wchar_t temp[MAX_PATH];
    static int serial;
    GetTempPathW(MAX_PATH, temp);
    Path = temp + (L"nimbrel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++serial));
    RemoveTree(Path), CreateDirectoryW(Path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(Path); }

std::wstring Clip(const wchar_t* name)
{
    std::wstring path = std::wstring(L"" TEST_MEDIA L"/") + name;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool PumpUntil(const std::function<bool()>& done, int ms)
{
    for (DWORD start = GetTickCount(); !done();) {
        if ((int)(GetTickCount() - start) > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

SIZE OuterForClient(int width, int height)
{
    RECT r = {0, 0, width, height};
    return AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE), SIZE{r.right - r.left, r.bottom - r.top};
}
