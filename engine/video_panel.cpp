#include "engine/video_panel.h"

#include <shellapi.h>
#include <stdio.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/main_menu.h"
#include "controls/cursor_hide.h"
#include "engine/monitor.h"
#include "engine/player/media_engine.h"
#include "playlist/file_intake.h"
#include "resources/resource.h"

HWND VideoPanel;
wchar_t EngineVersionText[16];

static const wchar_t PanelClass[] = L"wf";

static struct {
    MediaEngine* Engine;
    WNDPROC EngineProcedure;  // the engine window's own procedure, replaced by ours
    bool CleanupPending;
} V;

void ResetVideoPanel()
{
    V = {};
    VideoPanel = nullptr;
    EngineVersionText[0] = L'\0';
}

MediaEngine* PanelEngine()
{
    return V.Engine;
}

bool IsMovieLoaded()
{
    return V.Engine != nullptr;
}

bool ExtractPlayerMovie(const wchar_t* path)
{
    wchar_t type[100];
    LoadText(IDS_MOVIE_RESOURCE_TYPE, type, 100);
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(IDR_PLAYER_MOVIE), type);
    if (!found)
        return false;
    DWORD size = SizeofResource(AppInstance, found);
    HGLOBAL loaded = LoadResource(AppInstance, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (size == 0 || !bytes)
        return false;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

static bool CreatePanelEngine(HWND panel, const wchar_t* moviePath)
{
    MediaEngine* engine = CreateMediaEngine(panel);
    if (!engine)
        return false;
    V.Engine = engine;
    if (FAILED(put_Movie(engine, moviePath))) {
        Release(engine);
        V.Engine = nullptr;
        return false;
    }
    put_Menu(engine, FALSE);
    Play(engine);
    return true;
}

static void OnEngineKeyUp(HWND window, UINT key)
{
    DispatchCommand(window, IDM_PLAY_PAUSE);
}

// The engine window's messages pass here first: keys, commands and the mouse belong to the program.
static LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYUP:
        if (wParam != VK_SPACE)
            break;
        OnEngineKeyUp(window, (UINT)wParam);
        return 0;
    case WM_COMMAND:
        if (DispatchCommand(window, LOWORD(wParam)) == 0)
            return 0;
        break;
    case WM_MOUSEMOVE:
        NoteMouseActivity(0);
        return 0;
    case WM_RBUTTONDOWN:
        // The program's own main menu opens here, at the pointer; the engine's menu never does.
        ShowMainMenu(window, 0);
        return 0;
    }
    return CallWindowProcW(V.EngineProcedure, window, message, wParam, lParam);
}

static bool OnCreate(HWND panel)
{
    DragAcceptFiles(panel, TRUE);
    wchar_t name[100];
    LoadText(IDS_MOVIE_FILE_NAME, name, 100);
    wchar_t folder[1024];
    DWORD n = GetTempPathW(1024, folder);
    if (n == 0 || n >= 1024)
        return false;
    n = GetLongPathNameW(folder, folder, 1024);
    if (n == 0 || n >= 1024)
        return false;
    wchar_t moviePath[1124];
    _snwprintf(moviePath, 1124, L"%s%s", folder, name);
    moviePath[1123] = L'\0';
    if (!ExtractPlayerMovie(moviePath) || !CreatePanelEngine(panel, moviePath))
        return false;
    long version = 0;
    EngineVersion(V.Engine, &version);
    _snwprintf(EngineVersionText, 16, L"%d.%d\n", (int)(version >> 16), (int)(version & 0xFFFF));
    EngineVersionText[15] = L'\0';
    HWND engineWindow = GetWindow(panel, GW_CHILD);
    if (!engineWindow)
        return false;
    V.EngineProcedure = (WNDPROC)SetWindowLongPtrW(engineWindow, GWLP_WNDPROC, (LONG_PTR)EngineWindowProc);
    return SetTimer(panel, 1, 250, MonitorTick) != 0;
}

static void OnSize(HWND panel, int width, int height)
{
    // The engine window always covers the panel's client area.
    HWND engineWindow = GetWindow(panel, GW_CHILD);
    if (engineWindow)
        MoveWindow(engineWindow, 0, 0, width, height, TRUE);
}

static void OnDestroy(HWND panel)
{
    if (!V.CleanupPending)
        return;
    KillTimer(panel, 1);
    if (V.Engine) {
        Stop(V.Engine);
        Release(V.Engine);
        V.Engine = nullptr;
    }
    V.CleanupPending = false;
}

static LRESULT CALLBACK VideoPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(panel) ? 0 : -1;
    case WM_SIZE:
        OnSize(panel, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DROPFILES:
        DropFiles((HDROP)wParam, 1);  // replaces the playlist
        return 0;
    case WM_DESTROY:
        OnDestroy(panel);
        return 0;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

bool CreateVideoPanel()
{
    V = {};
    V.CleanupPending = true;
    if (!RegisterChildClass(PanelClass, VideoPanelProc, COLOR_WINDOW))
        return false;
    HWND panel = CreateWindowExW(0, PanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                 MainWindow, (HMENU)(INT_PTR)IDC_PANEL, AppInstance, nullptr);
    if (!panel) {
        OnDestroy(nullptr);  // an engine made before the failure goes too
        return false;
    }
    VideoPanel = panel;
    return true;
}
