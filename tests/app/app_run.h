// Runs the program in-process for a test: settings file prepared beside the test
// program, start-up, the test's actions, then a normal close and shutdown.
#pragma once
#include <windows.h>

#include <string>

// Path of the settings file the program uses inside the test program.
std::wstring TestIniPath();
// Replaces the settings file with text (UTF-8 bytes as given); empty text removes it.
void WriteTestIni(const std::string& text);
std::string ReadTestIni();
// Value of one key in the saved file ("" when absent).
std::string IniValue(const std::string& ini, const std::string& key);

// Message boxes shown while a CapturedBoxes object lives are recorded, not shown.
struct CapturedBox {
    std::wstring Text, Caption;
    UINT Style;
    bool IniExisted;  // whether the settings file was on disk when the box appeared
};
struct CapturedBoxes {
    CapturedBoxes();
    ~CapturedBoxes();
};
int CapturedBoxCount();
CapturedBox LastCapturedBox();

// Starts the program; returns what start-up returned.
bool StartApp();
// Closes the main window as the user would and runs shutdown; returns the exit code.
int CloseApp();
// Delivers whatever is queued for this thread's windows.
void PumpMessages();
