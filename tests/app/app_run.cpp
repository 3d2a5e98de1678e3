#include "app_run.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "app/app.h"
#include "app/message_box.h"
#include "app/startup.h"

std::wstring TestIniPath()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Nimbrel.ini";
}

void WriteTestIni(const std::string& text)
{
    DeleteFileW(TestIniPath().c_str());
    if (text.empty())
        return;
    std::ofstream(TestIniPath().c_str(), std::ios::binary) << text;
}

std::string ReadTestIni()
{
    std::ifstream in(TestIniPath().c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string IniValue(const std::string& ini, const std::string& key)
{
    std::istringstream in(ini);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return "";
}

static std::vector<CapturedBox> Boxes;

static int CaptureBox(HWND, const wchar_t* text, const wchar_t* caption, UINT style)
{
    bool ini = GetFileAttributesW(TestIniPath().c_str()) != INVALID_FILE_ATTRIBUTES;
    Boxes.push_back({text, caption, style, ini});
    return IDOK;
}

CapturedBoxes::CapturedBoxes()
{
    Boxes.clear();
    SetMessageBoxHandler(CaptureBox);
}

CapturedBoxes::~CapturedBoxes()
{
    SetMessageBoxHandler(nullptr);
}

int CapturedBoxCount()
{
    return (int)Boxes.size();
}

CapturedBox LastCapturedBox()
{
    return Boxes.empty() ? CapturedBox{} : Boxes.back();
}

bool StartApp()
{
    return StartNimbrel(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
}

int CloseApp()
{
    int exitCode = 0;
    if (MainWindow && IsWindow(MainWindow)) {
        PostMessageW(MainWindow, WM_CLOSE, 0, 0);
        exitCode = RunMessageLoop();
    }
    FinishNimbrel();
    return exitCode;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool StartProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                  PROCESS_INFORMATION* process)
{
    STARTUPINFOW si = {sizeof si};
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, process);
}

struct WindowSearch {
    DWORD ProcessId;
    const wchar_t* ClassName;
    HWND Found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    WindowSearch* s = (WindowSearch*)data;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    if (pid == s->ProcessId && wcscmp(cls, s->ClassName) == 0 && IsWindowVisible(window)) {
        s->Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, int ms)
{
    WindowSearch search = {processId, className, nullptr};
    for (int waited = 0; waited <= ms && !search.Found; waited += 50) {
        EnumWindows(MatchWindow, (LPARAM)&search);
        if (!search.Found)
            Sleep(50);
    }
    return search.Found;
}

DWORD FinishProgram(PROCESS_INFORMATION* process, int ms)
{
    DWORD exitCode = 99;
    if (WaitForSingleObject(process->hProcess, ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(process->hProcess, &exitCode);
    else
        TerminateProcess(process->hProcess, 99);
    CloseHandle(process->hProcess);
    CloseHandle(process->hThread);
    return exitCode;
}
