// The pointer hides after 20 idle ticks in full screen and comes back on real movement only.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app_run.h"
#include "controls/cursor_hide.h"

namespace {

// The system's display counter, left as it was.
int DisplayCounter()
{
    int c = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return c - 1;
}

struct CursorHide : ::testing::Test {
    int startCounter = 0;
    void SetUp() override
    {
        WriteTestIni("");
        ASSERT_TRUE(StartApp());
        SetForegroundWindow(MainWindow);
        SetActiveWindow(MainWindow);
        ASSERT_EQ(GetActiveWindow(), MainWindow);
        SetCursorPos(300, 200);
        startCounter = DisplayCounter();
    }
    void TearDown() override
    {
        FullScreen = false;
        NoteMouseActivity(0);
        EXPECT_EQ(DisplayCounter(), startCounter) << "hiding and showing must balance";
        CloseApp();
    }
    static void Ticks(int n)
    {
        for (int i = 0; i < n; i++)
            CursorIdleTick();
    }
};

TEST_F(CursorHide, NeverHidesInAWindow)
{
    Ticks(100);
    EXPECT_EQ(CursorShown, 1);
    EXPECT_EQ(DisplayCounter(), startCounter);
}

TEST_F(CursorHide, HidesOnTheTwentiethTickInFullScreenAndOnlyOnce)
{
    FullScreen = true;
    NoteMouseActivity(0);
    Ticks(19);
    EXPECT_EQ(CursorShown, 1);
    Ticks(1);
    EXPECT_EQ(CursorShown, 0);
    EXPECT_EQ(DisplayCounter(), startCounter - 1);
    Ticks(50);
    EXPECT_EQ(DisplayCounter(), startCounter - 1) << "the counter is lowered at most once";
}

TEST_F(CursorHide, ComesBackOnRealMovementOnly)
{
    FullScreen = true;
    Ticks(20);
    ASSERT_EQ(CursorShown, 0);
    NoteMouseActivity(0);  // a mouse-move message where the pointer was hidden
    EXPECT_EQ(CursorShown, 0);
    EXPECT_EQ(IdleTicks, 0);
    SetCursorPos(301, 200);
    NoteMouseActivity(0);
    EXPECT_EQ(CursorShown, 1);
    EXPECT_EQ(DisplayCounter(), startCounter);
    NoteMouseActivity(0);
    EXPECT_EQ(DisplayCounter(), startCounter) << "showing never nests";
}

TEST_F(CursorHide, TheOpenMenuHoldsThePointerVisible)
{
    FullScreen = true;
    Ticks(20);
    ASSERT_EQ(CursorShown, 0);
    NoteMouseActivity(1);  // the menu opens: shown at once, even without movement
    EXPECT_EQ(CursorShown, 1);
    Ticks(40);
    EXPECT_EQ(CursorShown, 1);
    NoteMouseActivity(0);  // the menu closes
    Ticks(19);
    EXPECT_EQ(CursorShown, 1);
    Ticks(1);
    EXPECT_EQ(CursorShown, 0);
}

TEST_F(CursorHide, OtherActiveWindowStopsTheCount)
{
    FullScreen = true;
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    ASSERT_NE(GetActiveWindow(), MainWindow);
    Ticks(40);
    EXPECT_EQ(CursorShown, 1);
    EXPECT_EQ(IdleTicks, 0);
    DestroyWindow(other);
}

TEST_F(CursorHide, LeavingFullScreenShowsThePointer)
{
    FullScreen = true;
    Ticks(20);
    ASSERT_EQ(CursorShown, 0);
    FullScreen = false;
    NoteMouseActivity(0);  // no movement, but full screen is off
    EXPECT_EQ(CursorShown, 1);
}

}  // namespace
