// What the exe brings and installs: the icons load, the exe binds the common controls of
// version 6, the keys produce their commands, the file association is written (into a private
// key standing in for HKEY_CLASSES_ROOT and HKEY_CURRENT_USER; refused writes through the seam).
#include "app/app.h"
#include "app/message_box.h"
#include "app/startup.h"
#include "playlist/file_association.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// The icons the windows load, each group with its images for 100, 125, 150 and 200 %, and the
// manifest that the loader made the process's context: comctl32 is redirected to version 6 and
// the process is aware of each monitor's DPI. (The movie: host/playback_test.cpp; the About box:
// view_modes_test.cpp.)
TEST(Resources, IconsInEverySizeAndTheManifestBindsCommonControls6AndPerMonitorDpi)
{
    for (UINT id = IDI_APP; id <= IDI_NEXT; id++) {
        int size = id == IDI_PLAYING_MARK ? 8 : 16;
        HICON icon = (HICON)LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << id;
        DestroyIcon(icon);
        auto* group = (const BYTE*)LockResource(LoadResource(Instance(), FindResourceW(Instance(), MAKEINTRESOURCEW(id), RT_GROUP_ICON)));
        std::string sizes;
        for (int i = 0; group && i < *(const WORD*)(group + 4); i++)
            sizes += std::to_string(group[6 + 14 * i]) + " ";  // the width of each entry
        EXPECT_EQ(sizes, id == IDI_PLAYING_MARK ? "8 10 12 16 " : id == IDI_APP ? "16 20 24 32 48 " : "16 20 24 32 ") << id;
    }
    ACTCTX_SECTION_KEYED_DATA data = {sizeof data};
    EXPECT_TRUE(
        FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data));
    wchar_t awareness[64] = {};  // as the manifest declares it (Wine treats every process as aware)
    QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
                         awareness, 64, nullptr);
    EXPECT_STREQ(awareness, L"PerMonitorV2, PerMonitor");
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
    // One message to the focused child with only the given modifiers held; None: no command.
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
    for (auto r : rows) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = r.control ? 0x80 : 0;
        keys[VK_MENU] = r.alt ? 0x80 : 0;
        SetKeyboardState(keys);
        Commands.clear();
        MSG msg = {child, r.message, r.key, r.alt ? (LPARAM)0x20000001 : 1};
        TranslateAcceleratorW(MainWindow, table, &msg);
        EXPECT_EQ(Commands, r.command ? std::vector<UINT>{r.command} : std::vector<UINT>{}) << r.key;
    }
    // The program's message loop translates them as well.
    Commands.clear();
    PostMessageW(child, WM_KEYDOWN, VK_F1, 1);
    PostMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(Commands, std::vector<UINT>{IDM_SHOW_MENU});
    DestroyAcceleratorTable(table);
}

int Answer;
std::vector<std::wstring> Boxes;
int AnswerBox(HWND, const wchar_t* text, const wchar_t*, UINT) { Boxes.push_back(text); return Answer; }

bool FailMp4;  // else HKEY_CLASSES_ROOT is refused, as an unelevated user meets it
LONG Refusing(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    bool refused = FailMp4 ? wcsstr(path, L".mp4") != nullptr : root == HKEY_CLASSES_ROOT;
    return refused ? ERROR_ACCESS_DENIED : WriteRegistryValue(root, path, name, type, value);
}

// HKEY_CLASSES_ROOT and HKEY_CURRENT_USER are this test's own keys while it runs: the machine's
// associations are never read, changed or deleted.
struct Association : ::testing::Test {
    HKEY Keys[2] = {};  // standing in for the classes root and the current user
    void SetUp() override
    {
        for (int i = 0; i < 2; i++) {
            RegCreateKeyExW(HKEY_CURRENT_USER, i ? L"Software\\Nimbrel test\\user" : L"Software\\Nimbrel test\\root",
                            0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Keys[i], nullptr);
            ASSERT_EQ(RegOverridePredefKey(i ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT, Keys[i]), ERROR_SUCCESS);
        }
        AppInstance = GetModuleHandleW(nullptr);
        SetMessageBoxHandler(AnswerBox);
    }
    void TearDown() override
    {
        SetRegistryWriter(nullptr);
        SetMessageBoxHandler(nullptr);
        for (int i = 0; i < 2; i++) {
            RegOverridePredefKey(i ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT, nullptr);
            RegCloseKey(Keys[i]);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Nimbrel test");
    }
    void Clear()
    {
        for (HKEY key : Keys)
            RegDeleteTreeW(key, nullptr);
    }
    // The three types' values under key and prefix; the types named in missing must have none.
    void ExpectWritten(HKEY key, const std::wstring& prefix, const wchar_t* missing = L"")
    {
        wchar_t exe[520];
        GetModuleFileNameW(nullptr, exe, 520);
        auto value = [&](const std::wstring& path, const wchar_t* name = nullptr) -> std::wstring {
            wchar_t v[1024] = {};
            DWORD bytes = sizeof v;
            return RegGetValueW(key, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_NONE, nullptr, v, &bytes) ? L"-"
                                                                                                               : v;
        };
        for (auto [type, description] : {std::pair{L"flv", L"FLV ファイル"}, {L"mp4", L"MP4 ファイル"},
                                          {L"nbl", L"Nimbrel Play List"}}) {
            std::wstring ext = prefix + L"." + type, name = L"nimbrel_" + std::wstring(type), cls = prefix + name, all;
            for (const std::wstring& path : {ext, cls, cls + L"\\shell", cls + L"\\shell\\open\\command",
                                             cls + L"\\DefaultIcon"})
                all += value(path) + L"|";
            all += value(ext + L"\\OpenWithProgids", name.c_str());
            EXPECT_EQ(all, !wcsstr(missing, type)
                               ? name + L"|" + description + L"|open|\"" + exe + L"\" \"%1\"|" + exe + L",0|"
                               : L"-|-|-|-|-|-");
        }
    }
};

TEST_F(Association, WrittenTwiceAlikeKeepingForeignKeysThenRefusedAndFailingWrites)
{
    HKEY root = Keys[0], user = Keys[1];
    Answer = IDNO;
    RegisterFileTypes();
    ExpectWritten(root, L"", L"flv mp4 nbl");  // "No": nothing
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv", nullptr, REG_SZ, L"other.flv");  // a foreign class and verb
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv\\OpenWithProgids", L"other.flv", REG_NONE, L"");
    WriteRegistryValue(HKEY_CLASSES_ROOT, L"nimbrel_flv\\shell\\edit\\command", nullptr, REG_SZ, L"editor");
    Answer = IDYES;
    RegisterFileTypes();
    RegisterFileTypes();
    ExpectWritten(root, L"");
    DWORD bytes = 0;
    EXPECT_EQ(RegGetValueW(root, L".flv\\OpenWithProgids", L"other.flv", RRF_RT_ANY, nullptr, nullptr, &bytes), 0);
    EXPECT_EQ(RegGetValueW(root, L"nimbrel_flv\\shell\\edit\\command", nullptr, RRF_RT_ANY, nullptr, nullptr, &bytes), 0);
    std::wstring ask = L"関連付けしますか？\n *.flv\n *.mp4\n *.nbl (再生リストファイル)", done = L"関連付けしました";
    EXPECT_EQ(Boxes, (std::vector<std::wstring>{ask, ask, done, ask, done}));
    Clear();
    SetRegistryWriter(Refusing);
    RegisterFileTypes();
    ExpectWritten(user, L"Software\\Classes\\");
    EXPECT_EQ(Boxes.back(), done);
    Clear();
    FailMp4 = true;
    RegisterFileTypes();
    ExpectWritten(root, L"", L"mp4");
    EXPECT_EQ(Boxes.back(), L"関連付けに失敗しました");
}

}  // namespace
