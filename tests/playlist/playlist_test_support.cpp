#include "playlist_test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>

#include "app/app.h"
#include "app/file_dialog.h"
#include "app/message_box.h"
#include "playlist/playlist.h"

static void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = folder + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW((L"\\\\?\\" + child).c_str());
            else
                DeleteFileW((L"\\\\?\\" + child).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

TempFolder::TempFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial;
    Path = std::wstring(temp) + L"nimbrel-playlist-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++serial);
    RemoveTree(Path);
    CreateDirectoryW(Path.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTree(Path);
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &wrote, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

HDROP MakeDrop(const std::vector<std::wstring>& paths)
{
    size_t chars = 1;
    for (const std::wstring& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wchar_t* list = (wchar_t*)(drop + 1);
    for (const std::wstring& p : paths) {
        wmemcpy(list, p.c_str(), p.size() + 1);
        list += p.size() + 1;
    }
    *list = L'\0';
    GlobalUnlock(memory);
    return (HDROP)memory;
}

void DropOnPlaylist(const std::vector<std::wstring>& paths)
{
    SendMessageW(PlaylistPanel, WM_DROPFILES, (WPARAM)MakeDrop(paths), 0);
}

void DropOnVideo(const std::vector<std::wstring>& paths)
{
    SendMessageW(VideoPanel, WM_DROPFILES, (WPARAM)MakeDrop(paths), 0);
}

std::vector<std::wstring> EntryPaths()
{
    std::vector<std::wstring> paths;
    std::vector<wchar_t> buf(4096);
    for (int i = 0; i < PlaylistCount(); i++) {
        GetEntryText(i, 2, buf.data(), (int)buf.size());
        paths.push_back(buf.data());
    }
    return paths;
}

std::wstring WindowTitle()
{
    wchar_t title[1024] = L"";
    GetWindowTextW(MainWindow, title, 1024);
    return title;
}

std::wstring TitleFor(const std::wstring& name)
{
    return L"Nimbrel - [" + name + L"]";
}

static struct {
    enum { Cancel, Open, Save } Kind;
    std::wstring Folder, SavePath;
    std::vector<std::wstring> Names;
    int Shown;
    std::wstring Filter, DefaultExtension;
    DWORD Flags;
    HWND Owner;
} D;

static BOOL AnswerDialog(FileDialogKind kind, OPENFILENAMEW* dialog)
{
    D.Shown++;
    D.Filter.clear();
    for (const wchar_t* p = dialog->lpstrFilter; p && *p; p += wcslen(p) + 1)
        D.Filter += std::wstring(p) + L"|";
    D.Flags = dialog->Flags;
    D.Owner = dialog->hwndOwner;
    D.DefaultExtension = dialog->lpstrDefExt ? dialog->lpstrDefExt : L"";
    std::vector<wchar_t> answer;
    if (D.Kind == D.Open && kind == OpenFileDialog) {
        if (D.Names.size() == 1) {
            std::wstring path = D.Folder + L"\\" + D.Names[0];
            answer.assign(path.begin(), path.end());
            dialog->nFileOffset = (WORD)(D.Folder.size() + 1);
        } else {
            answer.assign(D.Folder.begin(), D.Folder.end());
            answer.push_back(L'\0');
            dialog->nFileOffset = (WORD)answer.size();
            for (const std::wstring& n : D.Names) {
                answer.insert(answer.end(), n.begin(), n.end());
                answer.push_back(L'\0');
            }
        }
    } else if (D.Kind == D.Save && kind == SaveFileDialog) {
        answer.assign(D.SavePath.begin(), D.SavePath.end());
    } else {
        return FALSE;
    }
    answer.push_back(L'\0');
    answer.push_back(L'\0');
    if (answer.size() > dialog->nMaxFile)
        return FALSE;
    wmemcpy(dialog->lpstrFile, answer.data(), answer.size());
    return TRUE;
}

DialogAnswers::DialogAnswers()
{
    D = {};
    SetFileDialogHandler(AnswerDialog);
}

DialogAnswers::~DialogAnswers()
{
    SetFileDialogHandler(nullptr);
}

void AnswerOpen(const std::wstring& folder, const std::vector<std::wstring>& names)
{
    D.Kind = D.Open;
    D.Folder = folder;
    D.Names = names;
}

void AnswerSave(const std::wstring& path)
{
    D.Kind = D.Save;
    D.SavePath = path;
}

void AnswerCancel()
{
    D.Kind = D.Cancel;
}

int DialogsShown() { return D.Shown; }
std::wstring LastDialogFilter() { return D.Filter; }
DWORD LastDialogFlags() { return D.Flags; }
std::wstring LastDialogDefaultExtension() { return D.DefaultExtension; }
HWND LastDialogOwner() { return D.Owner; }

static std::vector<std::wstring> Texts;
static std::wstring Caption;
static UINT Style;

static int RecordBox(HWND, const wchar_t* text, const wchar_t* caption, UINT style)
{
    Texts.push_back(text);
    Caption = caption;
    Style = style;
    return IDOK;
}

std::wstring LastBoxCaption() { return Caption; }
UINT LastBoxStyle() { return Style; }

std::vector<std::wstring> BoxTexts()
{
    return Texts;
}

void AppTest::SetUp()
{
    WriteTestIni("");
    ASSERT_TRUE(StartApp());
    Texts.clear();
    SetMessageBoxHandler(RecordBox);
}

void AppTest::TearDown()
{
    CloseApp();
}
