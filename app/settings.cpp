#include "app/settings.h"

#include <stdio.h>
#include <wchar.h>

#include "app/app.h"
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
    RECT r = {0, 0, 662, 414};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    Settings = SettingsRecord{};
    Settings.WindowPosX = CW_USEDEFAULT;
    Settings.WindowPosY = CW_USEDEFAULT;
    Settings.WindowWidth = r.right - r.left;
    Settings.WindowHeight = r.bottom - r.top;
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

static void WriteKey(const wchar_t* section, UINT keyId, int value)
{
    wchar_t key[100], text[32];
    LoadText(keyId, key, 100);
    _snwprintf(text, 32, L"%d", value);
    text[31] = L'\0';
    WritePrivateProfileStringW(section, key, text, IniPath.c_str());
}

void SaveSettings()
{
    wchar_t section[100];
    LoadText(IDS_SECTION, section, 100);
    WriteKey(section, IDS_KEY_WINDOW_POS_X, Settings.WindowPosX);
    WriteKey(section, IDS_KEY_WINDOW_POS_Y, Settings.WindowPosY);
    for (const auto& k : PlainKeys)
        WriteKey(section, k.KeyId, Settings.*k.Field);
    for (int n = 1; n <= 10; n++)
        WriteKey(section, IDS_KEY_ASPECT_BASE + n, AspectRatioSetting(n));
}
