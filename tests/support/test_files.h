// What every test program shares: files (long paths too), a temporary folder, clips, a pump.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

// Files, long paths included.
std::string ReadBytes(const std::wstring& path);  // "" when unreadable
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string Utf8(const std::wstring& text);
// A fresh folder under the temporary folder, removed with its contents afterwards.
struct TempFolder {
    std::wstring Path;
    TempFolder();
    ~TempFolder();
    std::wstring operator/(const std::wstring& name) const { return Path + L"\\" + name; }
};
std::wstring Clip(const wchar_t* name);  // a clip the build made for the engine tests
// Delivers messages until done() holds or ms pass; returns done().
bool PumpUntil(const std::function<bool()>& done, int ms);
SIZE OuterForClient(int width, int height);  // an overlapped window's size for that client area
