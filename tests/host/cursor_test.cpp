// The pointer hides after 20 idle ticks in full screen and comes back on real movement only.
#include "app/app.h"
#include "controls/cursor_hide.h"
#include "test_support.h"

namespace {

int DisplayCounter()  // the system's counter, left as it was
{
    int c = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return c - 1;
}

void Ticks(int n)
{
    for (int i = 0; i < n; i++)
        CursorIdleTick();
}

using CursorHide = AppTest;

TEST_F(CursorHide, HidesOnTheTwentiethTickInFullScreenAndComesBackOnMovementAMenuOrAnotherWindow)
{
    SetForegroundWindow(MainWindow);
    SetActiveWindow(MainWindow);
    SetCursorPos(300, 200);
    const int start = DisplayCounter();
    FullScreen = true;
    NoteMouseActivity(0);
    static HWND other;
    // After each step and its idle ticks: shown or not, the system's counter lowered (once at
    // most: hiding and showing never nest) and the idle count where it matters (-1: not checked).
    struct Step { void (*act)(); int ticks, shown, lowered, idle; const char* what; } steps[] = {
        {[] {}, 19, 1, 0, 19, "not before the twentieth tick"},
        {[] {}, 51, 0, 1, -1, "hidden"},
        {[] { NoteMouseActivity(0); }, 0, 0, 1, 0, "a mouse-move message where the pointer already was"},
        {[] { SetCursorPos(301, 200); NoteMouseActivity(0); NoteMouseActivity(0); }, 0, 1, 0, 0, "moved"},
        {[] { Ticks(20); FullScreen = false; NoteMouseActivity(0); }, 100, 1, 0, -1, "never hidden in a window"},
        {[] { FullScreen = true; Ticks(20); NoteMouseActivity(1); }, 40, 1, 0, -1, "a menu open: shown at once"},
        {[] { NoteMouseActivity(0); }, 20, 0, 1, -1, "the menu closed: counting starts again"},
        {[] {
             SetCursorPos(302, 200);
             NoteMouseActivity(0);
             other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                     nullptr, nullptr);
             SetActiveWindow(other);
         }, 40, 1, 0, 0, "another window active"},
    };
    for (const Step& s : steps) {
        s.act();
        Ticks(s.ticks);
        EXPECT_EQ(CursorShown, s.shown) << s.what;
        EXPECT_EQ(DisplayCounter(), start - s.lowered) << s.what;
        EXPECT_TRUE(s.idle < 0 || IdleTicks == s.idle) << s.what;
    }
    DestroyWindow(other);
    FullScreen = false;
    NoteMouseActivity(0);
    EXPECT_EQ(DisplayCounter(), start) << "hiding and showing must balance";
}

}  // namespace
