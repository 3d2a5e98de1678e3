// Every accelerator row reaches the main window as its command, whichever window has the focus.
#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "app/file_dialog.h"
#include "app/startup.h"
#include "app_run.h"
#include "resources/resource.h"

namespace {

std::vector<UINT> Commands;
WNDPROC MainProcedure;

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && lParam == 0)  // not a child's notification
        Commands.push_back(LOWORD(wParam));
    return CallWindowProcW(MainProcedure, window, message, wParam, lParam);
}

BOOL CancelDialog(FileDialogKind, OPENFILENAMEW*)
{
    return FALSE;
}

struct Accelerators : ::testing::Test {
    CapturedBoxes boxes;
    HACCEL table = nullptr;
    HWND child = nullptr;
    void SetUp() override
    {
        WriteTestIni("");
        SetFileDialogHandler(CancelDialog);  // Ctrl+O would open the open dialog
        ASSERT_TRUE(StartApp());
        table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
        MainProcedure = (WNDPROC)SetWindowLongPtrW(MainWindow, GWLP_WNDPROC, (LONG_PTR)RecordCommands);
        // Some child of the main window holds the keyboard focus, as the playlist would.
        child = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, MainWindow,
                                nullptr, nullptr, nullptr);
        SetFocus(child);
        Commands.clear();
    }
    void TearDown() override
    {
        SetModifiers(false, false);
        DestroyAcceleratorTable(table);
        CloseApp();
        SetFileDialogHandler(nullptr);
    }
    static void SetModifiers(bool control, bool alt)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    // What TranslateAcceleratorW makes of one message sent to the focused child.
    std::vector<UINT> Translate(UINT message, WPARAM key, bool control, bool alt)
    {
        SetModifiers(control, alt);
        Commands.clear();
        MSG msg = {child, message, key, alt ? (LPARAM)0x20000001 : 1};
        TranslateAcceleratorW(MainWindow, table, &msg);
        SetModifiers(false, false);
        return Commands;
    }
};

TEST_F(Accelerators, CharacterRowsActOnTheTypedCharacter)
{
    struct Row {
        WPARAM character;
        UINT command;
    } rows[] = {{0x1A, 40000}, {0x18, 40002}, {0x14, 40012}, {0x0C, 40013}, {0x0F, 40055}, {0x13, 40056}};
    for (Row r : rows) {
        EXPECT_EQ(Translate(WM_CHAR, r.character, true, false), std::vector<UINT>{r.command}) << r.command;
        // The key message of the same letter is not the accelerator.
        EXPECT_TRUE(Translate(WM_KEYDOWN, 'A' + r.character - 1, true, false).empty()) << r.command;
    }
}

TEST_F(Accelerators, AltDigitsPickTheSizes)
{
    EXPECT_EQ(Translate(WM_SYSCHAR, '1', false, true), std::vector<UINT>{40025});
    EXPECT_EQ(Translate(WM_SYSCHAR, '2', false, true), std::vector<UINT>{40026});
    EXPECT_EQ(Translate(WM_SYSCHAR, '3', false, true), std::vector<UINT>{40028});
    EXPECT_TRUE(Translate(WM_CHAR, '1', false, false).empty());
}

TEST_F(Accelerators, KeyRowsActOnTheVirtualKey)
{
    struct Row {
        UINT message;
        WPARAM key;
        bool control, alt;
        UINT command;
    } rows[] = {
        {WM_KEYDOWN, VK_PRIOR, false, false, 40009},   {WM_KEYDOWN, VK_NEXT, false, false, 40010},
        {WM_SYSKEYDOWN, VK_RETURN, false, true, 40011}, {WM_KEYDOWN, VK_UP, true, false, 40051},
        {WM_KEYDOWN, VK_DOWN, true, false, 40052},     {WM_KEYDOWN, VK_F7, false, false, 40035},
        {WM_KEYDOWN, VK_ESCAPE, false, false, 40060},  {WM_KEYDOWN, VK_F8, false, false, 40037},
        {WM_KEYDOWN, VK_F9, false, false, 40036},      {WM_KEYDOWN, VK_F11, false, false, 40011},
        {WM_KEYDOWN, VK_F10, false, false, 40061},     {WM_KEYDOWN, VK_F1, false, false, 40063},
    };
    for (Row r : rows)
        EXPECT_EQ(Translate(r.message, r.key, r.control, r.alt), std::vector<UINT>{r.command}) << r.command;
    // Without their modifiers these keys are not accelerators.
    EXPECT_TRUE(Translate(WM_KEYDOWN, VK_UP, false, false).empty());
    EXPECT_TRUE(Translate(WM_KEYDOWN, VK_RETURN, false, false).empty());
}

TEST_F(Accelerators, F1InAFocusedChildReachesTheMainWindowThroughTheLoop)
{
    ASSERT_EQ(GetFocus(), child);
    PostMessageW(child, WM_KEYDOWN, VK_F1, 1);
    PostMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(Commands, std::vector<UINT>{IDM_SHOW_MENU});
}

}  // namespace
