// The settings record, kept in "<ProductTitle>.ini" beside the executable:
// read once at start-up, written once at exit.
#pragma once
#include <windows.h>

#include <string>

#include "app/ini_path.h"

struct SettingsRecord {
    int WindowPosX, WindowPosY, WindowWidth, WindowHeight;
    int Repeat, WindowTop, PlayListShow, PlayListWidth;
    int Quality, Smoothing, VolumeMute, VolumeLevel, Deblocking, Maximize;
    // Aspect presets, width * 1000 + height.
    int AspectRatio1, AspectRatio2, AspectRatio3, AspectRatio4, AspectRatio5;
    int AspectRatio6, AspectRatio7, AspectRatio8, AspectRatio9, AspectRatio10;
};

// AspectRatio1 .. AspectRatio10 by number n (1..10).
int& AspectRatioSetting(int n);

extern SettingsRecord Settings;
extern std::wstring IniPath;

// Builds IniPath: ProductTitle + ".ini" beside the executable.
void BuildIniPath();
// Stores the defaults in every field (done before LoadSettings).
void SetDefaultSettings();
void LoadSettings();
void SaveSettings();
