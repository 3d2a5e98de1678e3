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

// The real program started as a process: exe with its arguments, in folder.
bool StartProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                  PROCESS_INFORMATION* process);
// A visible top-level window of the process with the class name, waited for up to ms.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, int ms);
// Waits for the process to end and closes its handles; returns its exit code (99 on time-out).
DWORD FinishProgram(PROCESS_INFORMATION* process, int ms);
