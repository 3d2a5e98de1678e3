#include "controls/cursor_hide.h"

#include <windows.h>

#include "app/app.h"

int CursorShown = 1;
int IdleTicks;
int CursorHold;

static struct {
    POINT HiddenAt;
} C;

void ResetCursorHide()
{
    CursorShown = 1;
    IdleTicks = CursorHold = 0;
    C = {};
}

void CursorIdleTick()
{
    if (!FullScreen || GetActiveWindow() != MainWindow || !CursorShown || CursorHold)
        return;
    if (++IdleTicks < 20)
        return;
    CursorShown = 0;
    ShowCursor(FALSE);
    GetCursorPos(&C.HiddenAt);
}

void NoteMouseActivity(int hold)
{
    POINT at;
    GetCursorPos(&at);
    CursorHold = hold;
    IdleTicks = 0;
    if (CursorShown)
        return;
    // A mouse-move message without real movement leaves the pointer hidden in full screen.
    if (at.x == C.HiddenAt.x && at.y == C.HiddenAt.y && hold == 0 && FullScreen)
        return;
    CursorShown = 1;
    ShowCursor(TRUE);
}
