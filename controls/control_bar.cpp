#include "controls/control_bar.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/display_scale.h"
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
    bool (*Register)();  // its private class, registered right before; or null
};

static const ChildRow Children[] = {
    {&PlayPauseButton, L"BUTTON", IDC_PLAY_PAUSE, BS_OWNERDRAW, nullptr},
    {&StopButton, L"BUTTON", IDC_STOP, BS_OWNERDRAW, nullptr},
    {&SeekBar, SeekBarClass, IDC_SEEK_BAR, WS_BORDER, RegisterSeekBarClass},
    {&TimeDisplay, TimeDisplayClass, IDC_TIME_DISPLAY, 0, RegisterTimeDisplayClass},
    {&VolumeSlider, VolumeSliderClass, IDC_VOLUME, WS_BORDER, RegisterVolumeSliderClass},
    {&MuteButton, L"BUTTON", IDC_MUTE, BS_OWNERDRAW, nullptr},
    {&MenuButton, L"BUTTON", IDC_MENU_BUTTON, BS_OWNERDRAW, nullptr},
};

// Each child's edges at 96 DPI: left and right counted from the bar's left edge, or from its
// right edge (the bar's width B minus the value); the seek bar takes what lies between.
static const struct {
    HWND* Handle;
    int Left;
    bool LeftFromRight;
    int Top, Right;
    bool RightFromRight;
    int Bottom;
} Slots[BarChildCount] = {
    {&PlayPauseButton, 2, false, 2, 56, false, 28},
    {&StopButton, 58, false, 2, 84, false, 28},
    {&SeekBar, 91, false, 5, 230, true, 25},
    {&TimeDisplay, 228, true, 5, 128, true, 25},
    {&MuteButton, 118, true, 2, 92, true, 28},
    {&VolumeSlider, 88, true, 7, 38, true, 23},
    {&MenuButton, 28, true, 2, 2, true, 28},
};

BarLayout ComputeBarLayout(int barWidth, int dpi)
{
    auto edge = [&](int v, bool fromRight) { return fromRight ? barWidth - ScaleToDpi(v, dpi) : ScaleToDpi(v, dpi); };
    BarLayout l;
    for (int i = 0; i < BarChildCount; i++) {
        const auto& s = Slots[i];
        int left = edge(s.Left, s.LeftFromRight), top = ScaleToDpi(s.Top, dpi);
        int width = edge(s.Right, s.RightFromRight) - left;
        l.Child[i] = {left, top, width < 0 ? 0 : width, ScaleToDpi(s.Bottom, dpi) - top};
    }
    return l;
}

static void LayoutBar(HWND bar)
{
    RECT client = {};
    GetClientRect(bar, &client);
    BarLayout l = ComputeBarLayout(client.right, UiDpi());
    for (int i = 0; i < BarChildCount; i++)
        MoveWindow(*Slots[i].Handle, l.Child[i].x, l.Child[i].y, l.Child[i].width, l.Child[i].height, TRUE);
}

// The images at the bar's scale, for the life of the program or until the scale changes; a
// button showing an image of the old scale gets its new one.
static void LoadIcons()
{
    HICON* icons[] = {&PlayIcon, &S.StopIcon, &PauseIcon, &SoundIcon, &MutedIcon, &S.MenuIcon};
    const UINT ids[] = {IDI_PLAY, IDI_STOP, IDI_PAUSE, IDI_SOUND, IDI_MUTED, IDI_MENU};
    int size = Px(16);
    for (int i = 0; i < 6; i++) {
        HICON old = *icons[i];
        *icons[i] = LoadSizedIcon(ids[i], size);
        for (HWND button : {PlayPauseButton, StopButton, MuteButton, MenuButton})
            if (old && ButtonIcon(button) == old)
                SetButtonIcon(button, *icons[i]);
        if (old)
            DestroyIcon(old);
    }
}

void ScaleControlBar()
{
    if (!ControlBar)
        return;
    LoadIcons();
    SendMessageW(TimeDisplay, WM_SETFONT, (WPARAM)UiFont, TRUE);
    LayoutBar(ControlBar);
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
        InflateRect(&content, -Px(3), -Px(3));
    }
    int size = Px(16);
    int x = (r.left + r.right - size) / 2 + shift, y = (r.top + r.bottom - size) / 2 + shift;
    DrawStateW(dc, nullptr, nullptr, (LPARAM)ButtonIcon(button), 0, x, y, size, size,
               DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
    if ((item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(dc, &content);
}

static LRESULT OnCreate(HWND bar)
{
    for (const ChildRow& c : Children) {
        if (c.Register)
            c.Register();  // only the window's creation counts
        *c.Handle = CreateWindowExW(0, c.ClassName, L"", WS_CHILD | WS_VISIBLE | c.Style, 0, 0, 0, 0, bar,
                                    (HMENU)(INT_PTR)c.Id, AppInstance, nullptr);
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
    LayoutBar(bar);  // the buttons on the left are in place before the first size
    return 0;
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
        LayoutBar(bar);
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
