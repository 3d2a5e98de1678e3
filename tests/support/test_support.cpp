#include "test_support.h"

#include <commctrl.h>
#include <shlobj.h>
#include <winternl.h>

#include "app/app.h"
#include "app/file_dialog.h"
#include "app/ini_path.h"
#include "app/message_box.h"
#include "app/startup.h"
#include "engine/playback_commands.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"

std::wstring MakeFlv(const std::wstring& path)
{
    WriteBytes(path, std::string("FLV\x01\x05\0\0\0\x09\0\0\0\0\0\0\0\0", 17));
    return path;
}

std::wstring MakeText(const std::wstring& path)
{
    WriteBytes(path, "just some words, not a video\r\n");
    return path;
}

static std::wstring TestIniPath()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return IniPathBeside(exe, L"Nimbrel.ini");
}

void WriteTestIni(const std::string& text)
{
    DeleteFileW(TestIniPath().c_str());
    if (!text.empty())
        WriteBytes(TestIniPath(), text);
}

std::string ReadTestIni() { return ReadBytes(TestIniPath()); }

std::string IniValue(const std::string& ini, const std::string& key)
{
    size_t at = ini.find("\n" + key + "=");
    if (at == std::string::npos)
        return "";
    at += key.size() + 2;
    return ini.substr(at, ini.find_first_of("\r\n", at) - at);
}

Paths BoxTexts;

static int CaptureBox(HWND, const wchar_t* text, const wchar_t*, UINT)
{
    BoxTexts.push_back(text);
    return IDOK;
}

DialogRecord LastDialog;
static struct {
    enum { Cancel, Open, Save } Kind;
    std::wstring Folder, SavePath;
    Paths Names;
} Answer;

static BOOL AnswerDialog(FileDialogKind kind, OPENFILENAMEW* dialog)
{
    LastDialog.Shown++;
    LastDialog.Filter.clear();
    for (const wchar_t* p = dialog->lpstrFilter; p && *p; p += wcslen(p) + 1)
        LastDialog.Filter += std::wstring(p) + L"|";
    LastDialog.Flags = dialog->Flags;
    LastDialog.Owner = dialog->hwndOwner;
    LastDialog.DefaultExtension = dialog->lpstrDefExt ? dialog->lpstrDefExt : L"";
    const auto& a = Answer;
    std::wstring answer;  // NUL-separated, as the dialog returns it: one name joins its folder
    if (a.Kind == a.Open && kind == OpenFileDialog) {
        answer = a.Folder + (a.Names.size() == 1 ? L'\\' : L'\0');
        dialog->nFileOffset = (WORD)answer.size();
        for (const std::wstring& n : a.Names)
            answer += n + L'\0';
    } else if (a.Kind == a.Save && kind == SaveFileDialog) {
        answer = a.SavePath;
    } else {
        return FALSE;
    }
    answer += std::wstring(2, L'\0');
    if (answer.size() > dialog->nMaxFile)
        return FALSE;
    wmemcpy(dialog->lpstrFile, answer.data(), answer.size());
    return TRUE;
}

void AnswerOpen(const std::wstring& folder, const Paths& names) { Answer = {Answer.Open, folder, L"", names}; }
void AnswerSave(const std::wstring& path) { Answer = {Answer.Save, L"", path, {}}; }
void AnswerCancel() { Answer = {}; }

bool StartApp() { return StartNimbrel(GetModuleHandleW(nullptr), SW_SHOWNORMAL); }

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

std::wstring EngineValue(const wchar_t* name)
{
    std::wstring value;
    if (PanelEngine())
        GetVariable(PanelEngine(), name, &value);
    return value;
}

void SetEngineValue(const wchar_t* name, const wchar_t* value) { SetVariable(PanelEngine(), name, value); }

void Command(UINT id) { SendMessageW(MainWindow, WM_COMMAND, id, 0); }

static HDROP MakeDrop(const Paths& paths)
{
    std::wstring list;
    for (const std::wstring& p : paths)
        list += p + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wmemcpy((wchar_t*)(drop + 1), list.data(), list.size());
    GlobalUnlock(memory);
    return (HDROP)memory;  // the receiver releases it
}

void DropOnPlaylist(const Paths& paths) { SendMessageW(PlaylistPanel, WM_DROPFILES, (WPARAM)MakeDrop(paths), 0); }
void DropOnVideo(const Paths& paths) { SendMessageW(VideoPanel, WM_DROPFILES, (WPARAM)MakeDrop(paths), 0); }

Paths EntryPaths()
{
    Paths paths;
    std::vector<wchar_t> buf(4096);
    for (int i = 0; i < PlaylistCount(); i++) {
        GetEntryText(i, 2, buf.data(), (int)buf.size());
        paths.push_back(buf.data());
    }
    return paths;
}

void SetRow(int row, UINT state)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(PlaylistView, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

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

void AppTest::SetUp()
{
    BoxTexts.clear();
    LastDialog = {};
    Answer = {};
    SetMessageBoxHandler(CaptureBox);
    SetFileDialogHandler(AnswerDialog);
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
}

void AppTest::TearDown()
{
    CloseApp();
    SetMessageBoxHandler(nullptr);
    SetFileDialogHandler(nullptr);
}

void AppTest::Restart(const std::string& ini)
{
    CloseApp();
    WriteTestIni(ini);
    ASSERT_TRUE(StartApp());
}

void AppTest::AddFiles(const Paths& names)
{
    Paths added;
    for (const std::wstring& n : names)
        added.push_back(MakeFlv(Dir / n));
    Files.insert(Files.end(), added.begin(), added.end());
    DropOnPlaylist(added);
}

Picture Capture(int width, int height, const std::function<void(HDC)>& draw)
{
    Picture p{width, height};
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, CreateCompatibleBitmap(screen, width, height));
    draw(dc);
    for (int i = 0; i < width * height; i++)
        p.Pixels.push_back(GetPixel(dc, i % width, i / width));
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return p;
}

Picture Print(HWND window, UINT flags)
{
    RECT r;
    GetClientRect(window, &r);
    return Capture(r.right, r.bottom, [&](HDC dc) { SendMessageW(window, WM_PRINTCLIENT, (WPARAM)dc, flags); });
}

// GDI objects of this process; where the system does not count them (Wine), the live rows of
// the process's GDI handle table (64-bit layout: the type byte at 14 of each 24-byte row).
long GdiObjects()
{
    if (long n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return n;
    PROCESS_BASIC_INFORMATION info = {};
    NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr);
    auto* table = *reinterpret_cast<unsigned char**>(reinterpret_cast<char*>(info.PebBaseAddress) + 0xF8);
    long n = 0;
    for (int i = 0; table && i < 0x10000; ++i)
        n += table[24 * i + 14] != 0;
    return n;
}
