#include "app/taskbar.h"

#include <utility>

#include "app/app.h"
#include "app/display_scale.h"
#include "app/menus.h"
#include "controls/control_bar.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "resources/resource.h"

// The thumbnail's buttons carry the commands' own ids: a click arrives as WM_COMMAND.
static const UINT ButtonIds[3] = {IDM_PREVIOUS, IDM_PLAY_PAUSE, IDM_NEXT};

struct TaskbarView {
    TBPFLAG Progress;
    ULONGLONG Done, Total;
    HICON Icons[3];
    bool Enabled[3];
};

static ITaskbarList3* CreateTaskbarList()
{
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&list))))
        return nullptr;
    if (SUCCEEDED(list->HrInit()))
        return list;
    list->Release();
    return nullptr;
}

static struct {
    UINT CreatedMessage;
    TaskbarFactory Factory = CreateTaskbarList;
    ITaskbarList3* List;
    HWND Window;
    HICON PreviousIcon, NextIcon;
    TaskbarView Shown;  // what the shell was last given
    bool Stale;         // the shell is to be given everything again
} T;

TaskbarFactory SetTaskbarFactory(TaskbarFactory factory)
{
    return std::exchange(T.Factory, factory ? factory : CreateTaskbarList);
}

void RegisterTaskbarMessages(HWND window)
{
    T.CreatedMessage = RegisterWindowMessageW(L"TaskbarButtonCreated");
    for (UINT message : {T.CreatedMessage, (UINT)WM_COMMAND})
        ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

bool IsTaskbarButtonCreated(UINT message)
{
    return message != 0 && message == T.CreatedMessage;
}

static TaskbarView CurrentView()
{
    TaskbarView v = {};
    v.Progress = PlayState == Playing ? TBPF_NORMAL : PlayState == Paused ? TBPF_PAUSED : TBPF_NOPROGRESS;
    v.Done = PlaybackPosition;
    v.Total = PlaybackDuration ? PlaybackDuration : 1;
    HICON icons[3] = {T.PreviousIcon, ButtonIcon(PlayPauseButton), T.NextIcon};  // as the bar's button
    for (int i = 0; i < 3; i++) {
        v.Icons[i] = icons[i];
        v.Enabled[i] = IsMenuItemEnabled(MainMenu, ButtonIds[i]);
    }
    return v;
}

// The buttons of a view, each with its menu item's label (up to the shortcut) as the tip.
static void MakeButtons(const TaskbarView& v, THUMBBUTTON buttons[3])
{
    for (int i = 0; i < 3; i++) {
        THUMBBUTTON& b = buttons[i];
        b = {};
        b.dwMask = THB_ICON | THB_FLAGS | THB_TOOLTIP;
        b.iId = ButtonIds[i];
        b.hIcon = v.Icons[i];
        b.dwFlags = v.Enabled[i] ? THBF_ENABLED : THBF_DISABLED;
        GetMenuStringW(MainMenu, ButtonIds[i], b.szTip, ARRAYSIZE(b.szTip), MF_BYCOMMAND);
        if (wchar_t* tab = wcschr(b.szTip, L'\t'))
            *tab = L'\0';
    }
}

static bool SameButtons(const TaskbarView& a, const TaskbarView& b)
{
    for (int i = 0; i < 3; i++)
        if (a.Icons[i] != b.Icons[i] || a.Enabled[i] != b.Enabled[i])
            return false;
    return true;
}

void UpdateTaskbar()
{
    if (!T.List)
        return;
    TaskbarView v = CurrentView();
    const TaskbarView& was = T.Shown;
    if (T.Stale || v.Progress != was.Progress)
        T.List->SetProgressState(T.Window, v.Progress);
    bool moved = v.Done != was.Done || v.Total != was.Total || v.Progress != was.Progress;
    if (v.Progress != TBPF_NOPROGRESS && (T.Stale || moved))
        T.List->SetProgressValue(T.Window, v.Done, v.Total);
    if (T.Stale || !SameButtons(v, was)) {
        THUMBBUTTON buttons[3];
        MakeButtons(v, buttons);
        T.List->ThumbBarUpdateButtons(T.Window, 3, buttons);
    }
    T.Shown = v;
    T.Stale = false;
}

static void LoadThumbIcons()
{
    for (HICON icon : {T.PreviousIcon, T.NextIcon})
        if (icon)
            DestroyIcon(icon);
    int size = Px(16);
    T.PreviousIcon = LoadSizedIcon(IDI_PREVIOUS, size);
    T.NextIcon = LoadSizedIcon(IDI_NEXT, size);
}

void ScaleTaskbarIcons()
{
    if (!T.List)
        return;
    LoadThumbIcons();
    T.Stale = true;
    UpdateTaskbar();
}

void OnTaskbarButtonCreated(HWND window)
{
    ReleaseTaskbar();  // the shell started again: its new button gets everything anew
    T.List = T.Factory();
    if (!T.List)
        return;
    T.Window = window;
    LoadThumbIcons();
    THUMBBUTTON buttons[3];
    T.Shown = CurrentView();
    MakeButtons(T.Shown, buttons);
    T.List->ThumbBarAddButtons(window, 3, buttons);
    T.Stale = true;  // and the progress
    UpdateTaskbar();
}

void ReleaseTaskbar()
{
    if (T.List)
        T.List->Release();
    T.List = nullptr;
    for (HICON icon : {T.PreviousIcon, T.NextIcon})
        if (icon)
            DestroyIcon(icon);
    T.PreviousIcon = T.NextIcon = nullptr;
}
