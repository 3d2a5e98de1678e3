#include "controls/control_bar.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/main_menu.h"
#include "controls/cursor_hide.h"
#include "controls/seek_bar.h"
#include "controls/time_display.h"
#include "controls/volume_slider.h"
#include "resources/resource.h"

HWND ControlBar;
HWND PlayPauseButton, StopButton, MuteButton, MenuButton;
HWND SeekBar, TimeDisplay, VolumeSlider;
// The images are loaded once and kept for the life of the program.
HICON PlayIcon, PauseIcon, SoundIcon, MutedIcon;
static struct {
    HICON StopIcon, MenuIcon;
} S;

void ResetControlBar()
{
    ControlBar = nullptr;
    PlayPauseButton = StopButton = MuteButton = MenuButton = nullptr;
    SeekBar = TimeDisplay = VolumeSlider = nullptr;
}

struct ChildRow {
    HWND* Handle;
    const wchar_t* ClassName;
    UINT Id;
    DWORD Style;
    int x, y, width, height;       // where it is created
    bool (*Register)();            // its private class, registered right before; or null
};

static const ChildRow Children[] = {
    {&PlayPauseButton, L"BUTTON", IDC_PLAY_PAUSE, BS_OWNERDRAW, 2, 2, 54, 26, nullptr},
    {&StopButton, L"BUTTON", IDC_STOP, BS_OWNERDRAW, 58, 2, 26, 26, nullptr},
    {&SeekBar, SeekBarClass, IDC_SEEK_BAR, WS_BORDER, 0, 0, 0, 0, RegisterSeekBarClass},
    {&TimeDisplay, TimeDisplayClass, IDC_TIME_DISPLAY, 0, 0, 0, 0, 0, RegisterTimeDisplayClass},
    {&VolumeSlider, VolumeSliderClass, IDC_VOLUME, WS_BORDER, 0, 0, 0, 0, RegisterVolumeSliderClass},
    {&MuteButton, L"BUTTON", IDC_MUTE, BS_OWNERDRAW, 0, 0, 0, 0, nullptr},
    {&MenuButton, L"BUTTON", IDC_MENU_BUTTON, BS_OWNERDRAW, 0, 0, 0, 0, nullptr},
};

// The children that follow the bar's width B: x = x0 + (fromRight ? B : 0), and the seek
// bar's width = width0 + B.
struct SlotRow {
    HWND* Handle;
    int x0;
    bool FromRight;
    int y, width0;
    bool WidthFromRight;
    int height;
};

static const SlotRow Slots[] = {
    {&SeekBar, 91, false, 5, -321, true, 20},
    {&TimeDisplay, -228, true, 5, 100, false, 20},
    {&MuteButton, -118, true, 2, 26, false, 26},
    {&VolumeSlider, -88, true, 7, 50, false, 16},
    {&MenuButton, -28, true, 2, 26, false, 26},
};

static HICON LoadButtonIcon(UINT id)
{
    return (HICON)LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0);
}

static void LoadIcons()
{
    if (PlayIcon)
        return;
    PlayIcon = LoadButtonIcon(IDI_PLAY);
    S.StopIcon = LoadButtonIcon(IDI_STOP);
    PauseIcon = LoadButtonIcon(IDI_PAUSE);
    SoundIcon = LoadButtonIcon(IDI_SOUND);
    MutedIcon = LoadButtonIcon(IDI_MUTED);
    S.MenuIcon = LoadButtonIcon(IDI_MENU);
}

HICON ButtonIcon(HWND button)
{
    return (HICON)GetWindowLongPtrW(button, GWLP_USERDATA);
}

void SetButtonIcon(HWND button, HICON icon)
{
    if (button && icon && ButtonIcon(button) != icon) {
        SetWindowLongPtrW(button, GWLP_USERDATA, (LONG_PTR)icon);
        InvalidateRect(button, nullptr, FALSE);
    }
}

// A push button with its icon centred: with the visual style while themes are active (normal,
// hot, pressed, disabled), else the classic bevel, sunken and shifted while pressed. Greyed
// while disabled; a dotted frame while it has the focus, unless keyboard cues are hidden.
static void OnDrawItem(const DRAWITEMSTRUCT* item)
{
    HWND button = item->hwndItem;
    HDC dc = item->hDC;
    RECT r = item->rcItem, content = r;
    bool pressed = item->itemState & ODS_SELECTED, disabled = item->itemState & ODS_DISABLED;
    bool hot = (item->itemState & ODS_HOTLIGHT) || (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_HOT);
    int shift = 0;
    HTHEME theme = IsAppThemed() ? OpenThemeData(button, L"BUTTON") : nullptr;
    if (theme) {
        int state = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : hot ? PBS_HOT : PBS_NORMAL;
        if (IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, state))
            DrawThemeParentBackground(button, dc, &r);
        DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &r, nullptr);
        GetThemeBackgroundContentRect(theme, dc, BP_PUSHBUTTON, state, &r, &content);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        shift = pressed ? 1 : 0;
        InflateRect(&content, -3, -3);
    }
    int x = (r.left + r.right - 16) / 2 + shift, y = (r.top + r.bottom - 16) / 2 + shift;
    DrawStateW(dc, nullptr, nullptr, (LPARAM)ButtonIcon(button), 0, x, y, 16, 16,
               DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
    if ((item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(dc, &content);
}

static LRESULT OnCreate(HWND bar)
{
    for (const ChildRow& c : Children) {
        if (c.Register)
            c.Register();  // only the window's creation counts
        *c.Handle = CreateWindowExW(0, c.ClassName, L"", WS_CHILD | WS_VISIBLE | c.Style, c.x, c.y,
                                    c.width, c.height, bar, (HMENU)(INT_PTR)c.Id, AppInstance, nullptr);
        if (!*c.Handle)
            return -1;
    }
    LoadIcons();
    SetButtonIcon(PlayPauseButton, PlayIcon);
    SetButtonIcon(StopButton, S.StopIcon);
    SetButtonIcon(MuteButton, SoundIcon);
    SetButtonIcon(MenuButton, S.MenuIcon);
    EnableWindow(PlayPauseButton, FALSE);
    EnableWindow(StopButton, FALSE);
    SendMessageW(TimeDisplay, WM_SETFONT, (WPARAM)UiFont, FALSE);
    return 0;
}

static void OnSize(int barWidth)
{
    for (const SlotRow& s : Slots) {
        int x = s.x0 + (s.FromRight ? barWidth : 0);
        int width = s.width0 + (s.WidthFromRight ? barWidth : 0);
        MoveWindow(*s.Handle, x, s.y, width < 0 ? 0 : width, s.height, TRUE);
    }
}

static void OnCommand(HWND bar, WPARAM wParam)
{
    // The main menu's choices come here too, since the bar owns the menu it opens.
    if (DispatchCommand(bar, (UINT)wParam) != 0 && LOWORD(wParam) == IDC_MENU_BUTTON)
        ShowMainMenu(bar, 0);
}

static void OnKeyUp(HWND bar, WPARAM key)
{
    if (key == VK_SPACE)
        DispatchCommand(bar, IDM_PLAY_PAUSE);
}

static LRESULT CALLBACK ControlBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(bar);
    case WM_SIZE:
        OnSize(LOWORD(lParam));
        return 0;
    case WM_COMMAND:
        OnCommand(bar, wParam);
        return 0;
    case WM_DRAWITEM:
        OnDrawItem((const DRAWITEMSTRUCT*)lParam);
        return TRUE;
    case WM_RBUTTONDOWN:
        ShowMainMenu(bar, 0);
        return 0;
    case WM_KEYUP:
        OnKeyUp(bar, wParam);
        return 0;
    case WM_MOUSEMOVE:
        NoteMouseActivity(0);
        return 0;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

bool CreateControlBar()
{
    if (!RegisterChildClass(ControlBarClass, ControlBarProc, COLOR_BTNFACE))
        return false;
    ControlBar = CreateWindowExW(0, ControlBarClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                 0, 0, 0, MainWindow, (HMENU)(INT_PTR)IDC_PANEL, AppInstance, nullptr);
    if (!ControlBar)
        ResetControlBar();  // children made before a failed one went with the bar
    return ControlBar != nullptr;
}
