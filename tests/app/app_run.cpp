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
