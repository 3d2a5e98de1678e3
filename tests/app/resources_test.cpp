// The icons load, the exe binds the common controls of version 6, the keys produce their
// commands.
#include <vector>

#include "app/app.h"
#include "app/startup.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// The icons the windows load, and the manifest that the loader made the process's context:
// comctl32 is redirected to version 6. (The movie: host/playback_test.cpp; the About box:
// view_modes_test.cpp.)
TEST(Resources, IconsLoadAndTheManifestBindsCommonControls6)
{
    for (UINT id = IDI_APP; id <= IDI_PLAYING_MARK; id++) {
        int size = id == IDI_PLAYING_MARK ? 8 : 16;
        HICON icon = (HICON)LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << id;
        DestroyIcon(icon);
    }
    ACTCTX_SECTION_KEYED_DATA data = {sizeof data};
    EXPECT_TRUE(
        FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data));
}

// Every key reaches the main window as its command, whichever child has the focus.
std::vector<UINT> Commands;
WNDPROC MainProcedure;

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && lParam == 0) {  // not a child's notification
        Commands.push_back(LOWORD(wParam));
        return 0;  // recorded only: F1 would open the menu, Alt+Enter enter full screen
    }
    return CallWindowProcW(MainProcedure, window, message, wParam, lParam);
}

using Accelerators = AppTest;

TEST_F(Accelerators, EachKeyGivesItsCommandOnlyWithItsModifiersAlsoInTheMessageLoop)
{
    HACCEL table = LoadAcceleratorsW(Instance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MainProcedure = (WNDPROC)SetWindowLongPtrW(MainWindow, GWLP_WNDPROC, (LONG_PTR)RecordCommands);
    HWND child = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, MainWindow, nullptr, nullptr,
                                 nullptr);
    SetFocus(child);
    // The commands TranslateAcceleratorW makes of one message to the focused child.
    auto translate = [&](UINT message, WPARAM key, bool control, bool alt) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
        Commands.clear();
        MSG msg = {child, message, key, alt ? (LPARAM)0x20000001 : 1};
        TranslateAcceleratorW(MainWindow, table, &msg);
        keys[VK_CONTROL] = keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        return Commands;
    };
    // Control and Alt as held; None: the message is no accelerator.
    const UINT K = WM_KEYDOWN, C = WM_CHAR, S = WM_SYSCHAR, SK = WM_SYSKEYDOWN, None = 0;
    const bool Y = true, N = false;
    const struct { UINT message; WPARAM key; bool control, alt; UINT command; } rows[] = {
        {C, 0x1A, Y, N, IDM_PLAY_PAUSE},      {C, 0x18, Y, N, IDM_STOP},       {C, 0x14, Y, N, IDM_ALWAYS_ON_TOP},
        {C, 0x0C, Y, N, IDM_SHOW_PLAYLIST},   {C, 0x0F, Y, N, IDM_OPEN},       {C, 0x13, Y, N, IDM_SAVE_PLAYLIST},
        {K, 'Z', Y, N, None},                 {K, 'O', Y, N, None},  // the character acts, not the key
        {S, '1', N, Y, IDM_SIZE_50},          {S, '2', N, Y, IDM_SIZE_100},    {S, '3', N, Y, IDM_SIZE_200},
        {C, '1', N, N, None},                 {K, VK_PRIOR, N, N, IDM_PREVIOUS}, {K, VK_NEXT, N, N, IDM_NEXT},
        {SK, VK_RETURN, N, Y, IDM_FULL_SCREEN}, {K, VK_RETURN, N, N, None},    {K, VK_F11, N, N, IDM_FULL_SCREEN},
        {K, VK_UP, Y, N, IDM_MOVE_UP},        {K, VK_DOWN, Y, N, IDM_MOVE_DOWN}, {K, VK_UP, N, N, None},
        {K, VK_F7, N, N, IDM_MUTE},           {K, VK_F8, N, N, IDM_VOLUME_DOWN}, {K, VK_F9, N, N, IDM_VOLUME_UP},
        {K, VK_ESCAPE, N, N, IDM_ESCAPE},     {K, VK_F10, N, N, IDM_TOGGLE_BAR}, {K, VK_F1, N, N, IDM_SHOW_MENU},
    };
    for (auto r : rows)
        EXPECT_EQ(translate(r.message, r.key, r.control, r.alt),
                  r.command ? std::vector<UINT>{r.command} : std::vector<UINT>{}) << r.key << " for " << r.command;

    // The program's message loop translates them as well.
    Commands.clear();
    PostMessageW(child, WM_KEYDOWN, VK_F1, 1);
    PostMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(Commands, std::vector<UINT>{IDM_SHOW_MENU});
    DestroyAcceleratorTable(table);
}

}  // namespace
