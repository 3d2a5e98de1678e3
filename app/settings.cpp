#include "app/settings.h"

#include <stdio.h>
#include <wchar.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "resources/resource.h"

SettingsRecord Settings;
std::wstring IniPath;

static const int DefaultAspectRatios[10] = {4003, 16009, 5004, 16010, 17009, 21009, 0, 0, 0, 0};

int& AspectRatioSetting(int n)
{
    int* slots[10] = {&Settings.AspectRatio1, &Settings.AspectRatio2, &Settings.AspectRatio3,
                      &Settings.AspectRatio4, &Settings.AspectRatio5, &Settings.AspectRatio6,
                      &Settings.AspectRatio7, &Settings.AspectRatio8, &Settings.AspectRatio9,
                      &Settings.AspectRatio10};
    return *slots[n - 1];
}

// The executable's full path, however long.
static std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), (DWORD)path.size());
        if (n == 0)
            return L"";
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: ask again with more room
    }
}

void BuildIniPath()
{
    wchar_t iniExt[100];
    LoadText(IDS_INI_EXTENSION, iniExt, 100);
    IniPath = IniPathBeside(ModulePath(), std::wstring(ProductTitle) + iniExt);
}

void SetDefaultSettings()
{
    SIZE outer = OuterSizeAt(662, 414, BaseDpi);  // the file's sizes are those at 100 %
    Settings = SettingsRecord{};
    Settings.WindowPosX = CW_USEDEFAULT;
    Settings.WindowPosY = CW_USEDEFAULT;
    Settings.WindowWidth = outer.cx;
    Settings.WindowHeight = outer.cy;
    Settings.PlayListShow = 1;
    Settings.PlayListWidth = 145;
    Settings.Quality = 2;
    Settings.Smoothing = 1;
    Settings.VolumeLevel = 100;
    for (int n = 1; n <= 10; n++)
        AspectRatioSetting(n) = DefaultAspectRatios[n - 1];
}

// The keys after the two position keys, in the order they are read and written.
static const struct {
    UINT KeyId;
    int SettingsRecord::*Field;
} PlainKeys[] = {
    {IDS_KEY_WINDOW_WIDTH, &SettingsRecord::WindowWidth},
    {IDS_KEY_WINDOW_HEIGHT, &SettingsRecord::WindowHeight},
    {IDS_KEY_REPEAT, &SettingsRecord::Repeat},
    {IDS_KEY_VOLUME_MUTE, &SettingsRecord::VolumeMute},
    {IDS_KEY_VOLUME_LEVEL, &SettingsRecord::VolumeLevel},
    {IDS_KEY_WINDOW_TOP, &SettingsRecord::WindowTop},
    {IDS_KEY_PLAYLIST_SHOW, &SettingsRecord::PlayListShow},
    {IDS_KEY_PLAYLIST_WIDTH, &SettingsRecord::PlayListWidth},
    {IDS_KEY_QUALITY, &SettingsRecord::Quality},
    {IDS_KEY_SMOOTHING, &SettingsRecord::Smoothing},
    {IDS_KEY_DEBLOCKING, &SettingsRecord::Deblocking},
    {IDS_KEY_MAXIMIZE, &SettingsRecord::Maximize},
};

static int ReadKey(const wchar_t* section, UINT keyId, int fallback)
{
    wchar_t key[100];
    LoadText(keyId, key, 100);
    return (int)GetPrivateProfileIntW(section, key, fallback, IniPath.c_str());
}

void LoadSettings()
{
    wchar_t section[100];
    LoadText(IDS_SECTION, section, 100);

    Settings.WindowPosX = ReadKey(section, IDS_KEY_WINDOW_POS_X, -1);
    Settings.WindowPosY = ReadKey(section, IDS_KEY_WINDOW_POS_Y, -1);
    // Only -1 (or a missing key) hands the placement to the system.
    if (Settings.WindowPosX == -1 || Settings.WindowPosY == -1) {
        Settings.WindowPosX = CW_USEDEFAULT;
        Settings.WindowPosY = CW_USEDEFAULT;
    }
    for (const auto& k : PlainKeys)
        Settings.*k.Field = ReadKey(section, k.KeyId, Settings.*k.Field);
    for (int n = 1; n <= 10; n++)
        AspectRatioSetting(n) = ReadKey(section, IDS_KEY_ASPECT_BASE + n, DefaultAspectRatios[n - 1]);
}

// The file's text, UTF-16 or 8-bit as the profile functions write it; false when unreadable.
static bool ReadIniText(const std::wstring& path, std::wstring& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string bytes;
    char block[4096];
    DWORD got = 0;
    bool ok;
    while ((ok = ReadFile(file, block, sizeof block, &got, nullptr)) && got > 0 && bytes.size() < (1u << 24))
        bytes.append(block, got);
    CloseHandle(file);
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE)
        text.assign((const wchar_t*)(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    else
        text.assign(bytes.begin(), bytes.end());  // keys and numbers are ASCII
    return ok;
}

// A copy of the file under another name with a new time stamp, so that no cached view of it
// is taken for the copy.
static bool CopyBytes(const std::wstring& from, const std::wstring& to)
{
    HANDLE in = CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND && (DeleteFileW(to.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
    HANDLE out = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    char block[4096];
    DWORD got = 0, wrote = 0;
    while (ok && (ok = ReadFile(in, block, sizeof block, &got, nullptr)) && got > 0)
        ok = WriteFile(out, block, got, &wrote, nullptr) && wrote == got;
    CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    return ok;
}

static bool WriteKey(const wchar_t* path, const wchar_t* section, UINT keyId, int value, std::wstring& lines)
{
    wchar_t key[100], text[32];
    LoadText(keyId, key, 100);
    _snwprintf(text, 32, L"%d", value);
    text[31] = L'\0';
    lines += std::wstring(L"\n") + key + L"=" + text + L"\r\n";
    return WritePrivateProfileStringW(section, key, text, path) != FALSE;
}

// Written into a copy beside the file, which replaces it only when every key reached the disk:
// a full disk or a read-only folder leaves the previous file whole. The window's size and the
// playlist width are written as they are at 100 % (the position in screen pixels, as it is).
void SaveSettings()
{
    SettingsRecord saved = Settings;
    ScaleSavedSizes(saved, UiDpi(), BaseDpi);
    wchar_t section[100];
    LoadText(IDS_SECTION, section, 100);
    DWORD attributes = GetFileAttributesW(IniPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return;  // the user's choice; the replacing move would not refuse it everywhere
    std::wstring temporary = IniPath + L".saving";
    if (!CopyBytes(IniPath, temporary)) {
        DeleteFileW(temporary.c_str());
        return;
    }
    const wchar_t* path = temporary.c_str();
    std::wstring lines;  // each key's line as it must be found in the file
    bool ok = WriteKey(path, section, IDS_KEY_WINDOW_POS_X, saved.WindowPosX, lines) &
              WriteKey(path, section, IDS_KEY_WINDOW_POS_Y, saved.WindowPosY, lines);
    for (const auto& k : PlainKeys)
        ok &= WriteKey(path, section, k.KeyId, saved.*k.Field, lines);
    for (int n = 1; n <= 10; n++)
        ok &= WriteKey(path, section, IDS_KEY_ASPECT_BASE + n, AspectRatioSetting(n), lines);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path);  // out of the system's cache
    std::wstring text;
    ok = ok && ReadIniText(temporary, text);
    // A key the user wrote in another case keeps that case in the file.
    for (std::wstring* t : {&text, &lines})
        for (wchar_t& c : *t)
            c = c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c;
    for (size_t at = 0, end; ok && at < lines.size(); at = end + 2) {
        end = lines.find(L"\r\n", at);
        ok = text.find(lines.substr(at, end + 2 - at)) != std::wstring::npos;
    }
    if (!ok || !MoveFileExW(path, IniPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileW(path);
}
