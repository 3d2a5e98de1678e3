#include "app/commands.h"

#include "app/app.h"
#include "app/layout.h"
#include "app/menus.h"
#include "resources/resource.h"

using CommandHandler = void (*)(HWND window, UINT id);

struct CommandRow {
    UINT first, last;  // the ids the row answers
    UINT guard;        // a main-menu item that must be enabled, or 0
    CommandHandler handler;
};

static void Exit(HWND, UINT)
{
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
}

static void LeaveFullScreenByEscape(HWND, UINT)
{
    if (FullScreen)
        SendMessageW(MainWindow, WM_COMMAND, IDM_FULL_SCREEN, 0);
}

static void ToggleBarInFullScreen(HWND, UINT)
{
    if (!FullScreen)
        return;
    BarInFullScreen = !BarInFullScreen;
    LayoutChildren();
}

static const CommandRow CommandTable[] = {
    {IDM_EXIT, IDM_EXIT, 0, Exit},
    {IDM_ESCAPE, IDM_ESCAPE, 0, LeaveFullScreenByEscape},
    {IDM_TOGGLE_BAR, IDM_TOGGLE_BAR, 0, ToggleBarInFullScreen},
};

int DispatchCommand(HWND window, UINT id)
{
    id &= 0xFFFF;
    for (const CommandRow& row : CommandTable) {
        if (id < row.first || id > row.last)
            continue;
        if (row.guard == 0 || IsMenuItemEnabled(MainMenu, row.guard))
            row.handler(window, id);
        return 0;
    }
    return 1;
}
