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

struct CursorHide : AppTest {
    int start = 0;
    void SetUp() override
    {
        AppTest::SetUp();
        SetForegroundWindow(MainWindow);
        SetActiveWindow(MainWindow);
        SetCursorPos(300, 200);
        start = DisplayCounter();
        FullScreen = true;
        NoteMouseActivity(0);
    }
    void TearDown() override
    {
        FullScreen = false;
        NoteMouseActivity(0);
        EXPECT_EQ(DisplayCounter(), start) << "hiding and showing must balance";
        AppTest::TearDown();
    }
};

TEST_F(CursorHide, HidesOnTheTwentiethTickInFullScreenAndComesBackOnMovementAMenuOrAnotherWindow)
{
    Ticks(19);
    EXPECT_EQ(CursorShown, 1);
    Ticks(51);
    EXPECT_EQ(CursorShown, 0);
    EXPECT_EQ(DisplayCounter(), start - 1) << "lowered once";
    NoteMouseActivity(0);  // a mouse-move message where the pointer already was
    EXPECT_EQ(CursorShown, 0);
    EXPECT_EQ(IdleTicks, 0);
    SetCursorPos(301, 200);
    NoteMouseActivity(0);
    NoteMouseActivity(0);
    EXPECT_EQ(DisplayCounter(), start) << "shown once, never nested";

    Ticks(20);
    FullScreen = false;
    NoteMouseActivity(0);  // no movement, but full screen is over
    EXPECT_EQ(CursorShown, 1);
    Ticks(100);
    EXPECT_EQ(CursorShown, 1) << "never hidden in a window";

    FullScreen = true;
    Ticks(20);
    NoteMouseActivity(1);  // the menu opens: shown at once, even without movement
    Ticks(40);
    EXPECT_EQ(CursorShown, 1);
    NoteMouseActivity(0);  // the menu closes: counting starts again
    Ticks(20);
    EXPECT_EQ(CursorShown, 0);
    SetCursorPos(302, 200);
    NoteMouseActivity(0);

    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    SetActiveWindow(other);
    ASSERT_NE(GetActiveWindow(), MainWindow);
    Ticks(40);
    EXPECT_EQ(CursorShown, 1);
    EXPECT_EQ(IdleTicks, 0);
    DestroyWindow(other);
}

}  // namespace
