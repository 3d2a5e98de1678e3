#include "test_support.h"

#include <shlobj.h>

#include "app/app.h"
#include "app/file_dialog.h"
#include "app/ini_path.h"
#include "app/message_box.h"
#include "app/startup.h"
#include "engine/playback_commands.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "playlist/path_names.h"
#include "playlist/playlist.h"

std::wstring MakeFlv(const std::wstring& path)
{
    return WriteBytes(path, std::string("FLV\x01\x05\0\0\0\x09\0\0\0\0\0\0\0\0", 17)), path;
}

static std::wstring TestIniPath()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return IniPathBeside(exe, L"Nimbrel.ini");
}

void WriteTestIni(const std::string& text)
{
    if (DeleteFileW(TestIniPath().c_str()), !text.empty())
        WriteBytes(TestIniPath(), text);
}

std::string ReadTestIni() { return ReadBytes(TestIniPath()); }

std::string IniValue(const std::string& ini, const std::string& key)
{
    size_t at = ini.find("\n" + key + "="), from = at + key.size() + 2;
    return at == std::string::npos ? "" : ini.substr(from, ini.find_first_of("\r\n", from) - from);
}

Paths BoxTexts;
std::wstring DialogAnswer;
DialogRecord LastDialog;

static BOOL AnswerDialog(FileDialogKind, OPENFILENAMEW* dialog)
{
    LastDialog = {LastDialog.Shown + 1, dialog->hwndOwner};
    std::wstring answer = DialogAnswer + std::wstring(2, L'\0');
    size_t first = wcslen(answer.c_str());  // several files: the names follow the folder's NUL
    dialog->nFileOffset = (WORD)(answer[first + 1] ? first + 1 : answer.rfind(L'\\', first) + 1);
    if (DialogAnswer.empty() || answer.size() > dialog->nMaxFile)
        return FALSE;
    wmemcpy(dialog->lpstrFile, answer.data(), answer.size());
    return TRUE;
}

bool StartApp() { return StartNimbrel(GetModuleHandleW(nullptr), SW_SHOWNORMAL); }

int CloseApp()
{
    bool open = MainWindow && IsWindow(MainWindow) && PostMessageW(MainWindow, WM_CLOSE, 0, 0);
    int exitCode = open ? RunMessageLoop() : 0;
    return FinishNimbrel(), exitCode;
}

std::wstring EngineValue(const wchar_t* name)
{
    std::wstring value;
    return PanelEngine() && SUCCEEDED(GetVariable(PanelEngine(), name, &value)) ? value : L"";
}

void SetEngineValue(const wchar_t* name, const wchar_t* value) { SetVariable(PanelEngine(), name, value); }

void Command(UINT id) { SendMessageW(MainWindow, WM_COMMAND, id, 0); }

void Drop(HWND target, const Paths& paths)
{
    std::wstring list;
    for (const std::wstring& p : paths)
        list += p + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    *drop = {sizeof(DROPFILES), {}, FALSE, TRUE};
    wmemcpy((wchar_t*)(drop + 1), list.data(), list.size());
    GlobalUnlock(memory);
    SendMessageW(target, WM_DROPFILES, (WPARAM)memory, 0);  // the receiver releases it
}

Paths EntryPaths()
{
    Paths paths;
    std::vector<wchar_t> buf(4096);
    for (int i = 0; i < PlaylistCount(); i++)
        GetEntryText(i, 2, buf.data(), (int)buf.size()), paths.push_back(buf.data());
    return paths;
}

RECT Rect(HWND window) { RECT r; return GetWindowRect(window, &r), r; }

std::wstring NowPlaying()
{
    const wchar_t* states[] = {L"Idle", L"Playing", L"Paused", L"Stopped"};
    wchar_t title[1024] = L"";
    GetWindowTextW(MainWindow, title, 1024);
    std::wstring now = std::to_wstring(CurrentIndex) + L" " + states[PlayState];
    if (wcsncmp(title, L"Nimbrel - [", 11) == 0)
        return now + (title + 9);  // " [name]"
    return wcscmp(title, L"Nimbrel") == 0 ? now : now + L" " + title;
}

void ExpectSteps(const std::function<std::wstring()>& state, const Steps& steps)
{
    for (size_t i = 0; i < steps.size(); i++) {
        steps[i].first();
        EXPECT_EQ(state(), steps[i].second) << "step " << i;
    }
}

std::wstring ListState()
{
    std::wstring s = NowPlaying();
    for (const Paths& texts : {EntryPaths(), std::exchange(BoxTexts, {})}) {
        s += L" |";
        for (const std::wstring& text : texts)
            s += L" " + std::wstring(PathNamePart(text.c_str()));
    }
    return s;
}

void AppTest::SetUp()
{
    BoxTexts.clear(), DialogAnswer.clear(), LastDialog = {};
    SetMessageBoxHandler([](HWND, const wchar_t* text, const wchar_t*, UINT) { return BoxTexts.push_back(text), IDOK; });
    SetFileDialogHandler(AnswerDialog), WriteTestIni("");
    ASSERT_TRUE(StartApp());
}

void AppTest::TearDown()
{
    CloseApp(), SetMessageBoxHandler(nullptr), SetFileDialogHandler(nullptr);
}

void AppTest::Restart(const std::string& ini)
{
    CloseApp(), WriteTestIni(ini);
    ASSERT_TRUE(StartApp());
}

void AppTest::AddFiles(const Paths& names)
{
    Files.clear();
    for (const std::wstring& n : names)
        Files.push_back(MakeFlv(Dir / n));
    Drop(PlaylistPanel, Files);
}
