#include "app/settings.h"

#include <stdio.h>
#include <wchar.h>

#include "app/app.h"
#include "resources/resource.h"

SettingsRecord Settings;
wchar_t IniPath[1024];

static const int DefaultAspectRatios[10] = {4003, 16009, 5004, 16010, 17009, 21009, 0, 0, 0, 0};

int& AspectRatioSetting(int n)
{
    int* slots[10] = {&Settings.AspectRatio1, &Settings.AspectRatio2, &Settings.AspectRatio3,
                      &Settings.AspectRatio4, &Settings.AspectRatio5, &Settings.AspectRatio6,
                      &Settings.AspectRatio7, &Settings.AspectRatio8, &Settings.AspectRatio9,
                      &Settings.AspectRatio10};
    return *slots[n - 1];
}

void BuildIniPath()
{
    wchar_t exe[1024] = L"";
    GetModuleFileNameW(nullptr, exe, 1024);
    wchar_t drive[3], dir[256], name[256], ext[256];
    _wsplitpath_s(exe, drive, 3, dir, 256, name, 256, ext, 256);
    wchar_t iniExt[100];
    LoadText(IDS_INI_EXTENSION, iniExt, 100);
    _snwprintf(IniPath, 1024, L"%s%s%s%s", drive, dir, ProductTitle, iniExt);
    IniPath[1023] = L'\0';
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

static int ReadKey(const wchar_t* section, UINT keyId, int fallback)
{
    wchar_t key[100];
    LoadText(keyId, key, 100);
    return (int)GetPrivateProfileIntW(section, key, fallback, IniPath);
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
    Settings.WindowWidth = ReadKey(section, IDS_KEY_WINDOW_WIDTH, Settings.WindowWidth);
    Settings.WindowHeight = ReadKey(section, IDS_KEY_WINDOW_HEIGHT, Settings.WindowHeight);
    Settings.Repeat = ReadKey(section, IDS_KEY_REPEAT, Settings.Repeat);
    Settings.VolumeMute = ReadKey(section, IDS_KEY_VOLUME_MUTE, Settings.VolumeMute);
    Settings.VolumeLevel = ReadKey(section, IDS_KEY_VOLUME_LEVEL, Settings.VolumeLevel);
    Settings.WindowTop = ReadKey(section, IDS_KEY_WINDOW_TOP, Settings.WindowTop);
    Settings.PlayListShow = ReadKey(section, IDS_KEY_PLAYLIST_SHOW, Settings.PlayListShow);
    Settings.PlayListWidth = ReadKey(section, IDS_KEY_PLAYLIST_WIDTH, Settings.PlayListWidth);
    Settings.Quality = ReadKey(section, IDS_KEY_QUALITY, Settings.Quality);
    Settings.Smoothing = ReadKey(section, IDS_KEY_SMOOTHING, Settings.Smoothing);
    Settings.Deblocking = ReadKey(section, IDS_KEY_DEBLOCKING, Settings.Deblocking);
    Settings.Maximize = ReadKey(section, IDS_KEY_MAXIMIZE, Settings.Maximize);
    for (int n = 1; n <= 10; n++)
        AspectRatioSetting(n) = ReadKey(section, IDS_KEY_ASPECT_BASE + n, DefaultAspectRatios[n - 1]);
}

static void WriteKey(const wchar_t* section, UINT keyId, int value)
{
    wchar_t key[100], text[32];
    LoadText(keyId, key, 100);
    _snwprintf(text, 32, L"%d", value);
    text[31] = L'\0';
    WritePrivateProfileStringW(section, key, text, IniPath);
}

void SaveSettings()
{
    wchar_t section[100];
    LoadText(IDS_SECTION, section, 100);
    WriteKey(section, IDS_KEY_WINDOW_POS_X, Settings.WindowPosX);
    WriteKey(section, IDS_KEY_WINDOW_POS_Y, Settings.WindowPosY);
    WriteKey(section, IDS_KEY_WINDOW_WIDTH, Settings.WindowWidth);
    WriteKey(section, IDS_KEY_WINDOW_HEIGHT, Settings.WindowHeight);
    WriteKey(section, IDS_KEY_REPEAT, Settings.Repeat);
    WriteKey(section, IDS_KEY_VOLUME_MUTE, Settings.VolumeMute);
    WriteKey(section, IDS_KEY_VOLUME_LEVEL, Settings.VolumeLevel);
    WriteKey(section, IDS_KEY_WINDOW_TOP, Settings.WindowTop);
    WriteKey(section, IDS_KEY_PLAYLIST_SHOW, Settings.PlayListShow);
    WriteKey(section, IDS_KEY_PLAYLIST_WIDTH, Settings.PlayListWidth);
    WriteKey(section, IDS_KEY_QUALITY, Settings.Quality);
    WriteKey(section, IDS_KEY_SMOOTHING, Settings.Smoothing);
    WriteKey(section, IDS_KEY_DEBLOCKING, Settings.Deblocking);
    WriteKey(section, IDS_KEY_MAXIMIZE, Settings.Maximize);
    for (int n = 1; n <= 10; n++)
        WriteKey(section, IDS_KEY_ASPECT_BASE + n, AspectRatioSetting(n));
}
