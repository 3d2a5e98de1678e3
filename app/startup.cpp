#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/app.h"
#include "app/aspect.h"
#include "app/commands.h"
#include "app/display_scale.h"
#include "app/keep_awake.h"
#include "app/layout.h"
#include "app/main_window.h"
#include "app/menus.h"
#include "app/pending_error.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "app/view_modes.h"
#include "controls/playlist_panel.h"
#include "controls/cursor_hide.h"
#include "controls/control_bar.h"
#include "controls/seek_bar.h"
#include "controls/splitter.h"
#include "engine/engine_module.h"
#include "engine/monitor.h"
#include "engine/movie_variables.h"
#include "engine/playback_commands.h"
#include "engine/video_panel.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

// How far start-up got decides which clean-up steps run.
enum CleanupStage {
    CleanupAll,           // shutdown, COM, engine module
    CleanupCom,           // COM, engine module
    CleanupEngineModule,  // engine module only
    CleanupNothing,
};

static struct {
    wchar_t ClassName[32];
    HACCEL Accelerators;
    HMENU MainMenuResource;
    HMENU PlaylistMenuResource;
    CleanupStage Cleanup;
    bool Failed;
} S;

// Every module resets the state it owns, so a start in a process that ran before begins fresh.
static void ResetProgramState()
{
    S = {};
    ResetAppState();
    ResetDisplayScale();
    ResetVideoPanel();
    ResetPlaylistPanel();
    ResetPlayState();
    ResetMonitor();
    ResetVideoSize();
    ResetAspect();
    ResetViewModes();
    ResetPlaylist();
    ResetFileIntake();
    ResetCursorHide();
    ResetControlBar();
    ResetSeekBar();
    ResetSplitter();
    SetPendingError(ErrorNone, L"");
}

static bool InitApplication()
{
    LoadText(IDS_PRODUCT_TITLE, ProductTitle, 100);
    BuildIniPath();
    SetDefaultSettings();
    LoadSettings();
    // The window opens at the scale of the monitor at its saved place (or the primary one, where
    // the system places it): the sizes the file keeps at 100 % become pixels of that scale.
    bool placed = Settings.WindowPosX != CW_USEDEFAULT;
    SetUiDpi(DpiAtPoint(placed ? POINT{Settings.WindowPosX, Settings.WindowPosY} : POINT{0, 0}));
    ScaleSavedSizes(Settings, BaseDpi, UiDpi());

    UiFont = CreateUiFont(UiDpi());
    if (!UiFont)
        return false;

    S.MainMenuResource = LoadMenuW(AppInstance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    MainMenu = GetSubMenu(S.MainMenuResource, 0);
    S.PlaylistMenuResource = LoadMenuW(AppInstance, MAKEINTRESOURCEW(IDR_PLAYLIST_MENU));
    PlaylistMenu = GetSubMenu(S.PlaylistMenuResource, 0);
    return true;  // MinTrackSize: with the scale
}

static void RegisterMainWindowClass()
{
    WNDCLASSEXW wc = {sizeof wc};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = AppInstance;
    wc.hIcon = LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = S.ClassName;
    RegisterClassExW(&wc);  // already registered by an earlier run in this process is fine
}

// At its saved place, unless that lies on no monitor now (one removed, a file from another
// desk); at the scale of the monitor it opens on.
static void CreateMainWindow(HINSTANCE instance)
{
    if (Settings.WindowPosX != CW_USEDEFAULT) {
        RECT r = {Settings.WindowPosX, Settings.WindowPosY, Settings.WindowPosX + Settings.WindowWidth,
                  Settings.WindowPosY + Settings.WindowHeight};
        if (KeepOnMonitor(r)) {
            Settings.WindowPosX = r.left, Settings.WindowPosY = r.top;
            Settings.WindowWidth = r.right - r.left, Settings.WindowHeight = r.bottom - r.top;
        }
    }
    CreateWindowExW(0, S.ClassName, ProductTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, Settings.WindowPosX,
                    Settings.WindowPosY, Settings.WindowWidth, Settings.WindowHeight, nullptr, nullptr, instance,
                    nullptr);
    int dpi = MainWindow ? ClampDpi((int)GetDpiForWindow(MainWindow)) : UiDpi();
    if (dpi != UiDpi()) {  // the system put it on a monitor of another scale
        RECT r;
        GetWindowRect(MainWindow, &r);
        SettingsRecord at = Settings;
        ScaleSavedSizes(at, UiDpi(), dpi);
        ApplyWindowDpi(MainWindow, dpi, {r.left, r.top, r.left + at.WindowWidth, r.top + at.WindowHeight});
    }
}

// The child windows, in this order: control bar, video panel, playlist panel, splitter.
static bool CreateChildren()
{
    return CreateControlBar() && CreateVideoPanel() && CreatePlaylistPanel() && CreateSplitter();
}

bool ApplySettingsAtStart()
{
    SetMovieVariable(MovieQuality, Settings.Quality, nullptr);
    SetMovieVariable(MovieSmoothing, Settings.Smoothing, nullptr);
    SetMovieVariable(MovieDeblocking, Settings.Deblocking, nullptr);
    if (Settings.WindowTop)
        ApplyAlwaysOnTop();
    ShowPlaylist(Settings.PlayListShow != 0);
    WriteAspectItemLabels();
    SetMenuItemChecked(MainMenu, IDM_SHOW_PLAYLIST, Settings.PlayListShow != 0);
    CheckRadioGroupAt(MainMenu, IDM_REPEAT_LIST_ONCE, IDM_FILE_ONCE, Settings.Repeat);
    CheckRadioGroup(MainMenu, IDM_ASPECT_NATURAL, IDM_ASPECT_LAST, IDM_ASPECT_NATURAL);
    CheckRadioGroupAt(MainMenu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, Settings.Quality);
    CheckRadioGroupAt(MainMenu, IDM_SMOOTHING_OFF, IDM_SMOOTHING_ON, Settings.Smoothing);
    CheckRadioGroupAt(MainMenu, IDM_DEBLOCK_AUTO, IDM_DEBLOCK_ON, Settings.Deblocking);

    // The mute toggle lands on the saved value and sends the matching volume.
    Settings.VolumeMute = !Settings.VolumeMute;
    SendMessageW(ControlBar, WM_COMMAND, IDC_MUTE, 0);
    SetMovieVariable(MovieStop, 1, nullptr);

    CurrentIndex = -1;
    SetPlayState(Idle);
    ResetFileState();
    return true;
}

static bool Fail(CleanupStage cleanup)
{
    SetPendingError(ErrorStartup, L"");
    S.Cleanup = cleanup;
    S.Failed = true;
    return false;
}

bool StartNimbrel(HINSTANCE instance, int showCommand)
{
    ResetProgramState();
    AppInstance = instance;

    if (FAILED(InitEngineModule()))
        return Fail(CleanupNothing);
    if (!RegisterEngineHost(instance))
        return Fail(CleanupEngineModule);
    if (FAILED(CoInitialize(nullptr)))
        return Fail(CleanupEngineModule);
    INITCOMMONCONTROLSEX icc = {8, 0xFF};
    if (!InitCommonControlsEx(&icc))
        return Fail(CleanupCom);

    LoadText(IDS_CLASS_NAME, S.ClassName, 32);
    S.Accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    if (!InitApplication())
        return Fail(CleanupAll);

    RegisterMainWindowClass();
    CreateMainWindow(instance);
    if (!MainWindow || !CreateChildren() || !ApplySettingsAtStart())
        return Fail(CleanupAll);

    LayoutChildren();
    ShowWindow(MainWindow, Settings.Maximize ? SW_SHOWMAXIMIZED : showCommand);
    UpdateWindow(MainWindow);
    LoadCommandLine();
    S.Cleanup = CleanupAll;
    return true;
}

int RunMessageLoop()
{
    MSG msg;
    BOOL got;
    int exitCode = 0;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        // Accelerators act for the main window whichever child has the focus.
        if (TranslateAcceleratorW(MainWindow, S.Accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (got == 0)
        exitCode = (int)msg.wParam;
    return exitCode;
}

static void ShutDownApplication()
{
    SaveSettings();
    KeepAwake(false);
    ReleaseTaskbar();
    NoteMouseActivity(0);
    if (UiFont)
        DeleteObject(UiFont);
    UiFont = nullptr;
    if (S.MainMenuResource)
        DestroyMenu(S.MainMenuResource);
    if (S.PlaylistMenuResource)
        DestroyMenu(S.PlaylistMenuResource);
    S.MainMenuResource = S.PlaylistMenuResource = nullptr;
    MainMenu = PlaylistMenu = nullptr;
    if (PlaylistView && IsWindow(PlaylistView))
        SendMessageW(PlaylistView, LVM_DELETEALLITEMS, 0, 0);
}

// A window left over from a failed start-up goes now, and so does the quit message
// its destruction posts, so nothing of this run reaches a later message loop.
static void DiscardLeftoverWindow()
{
    if (!MainWindow || !IsWindow(MainWindow))
        return;
    DestroyWindow(MainWindow);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void FinishNimbrel()
{
    if (S.Cleanup <= CleanupAll)
        ShutDownApplication();
    if (S.Cleanup <= CleanupCom)
        CoUninitialize();
    if (S.Cleanup <= CleanupEngineModule)
        TermEngineModule();
    if (S.Failed) {
        HWND owner = MainWindow && IsWindow(MainWindow) ? MainWindow : nullptr;
        ReportPendingError(owner);
        DiscardLeftoverWindow();
    }
    S.Cleanup = CleanupNothing;
}

int NimbrelMain(HINSTANCE instance, int showCommand)
{
    int exitCode = 0;
    if (StartNimbrel(instance, showCommand))
        exitCode = RunMessageLoop();
    FinishNimbrel();
    return exitCode;
}
