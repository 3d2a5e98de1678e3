// The real program as a process: its settings file, its movie, a click on its bar.
#include "resources/resource.h"
#include "test_support.h"

namespace {

// The settings file is named after the product whatever the exe is called; a window closed in
// full screen saves the rectangle from before it.
TEST(Process, ClosedInFullScreenUnderAnotherNameSavesItsWindowedPlace)
{
    Program p(L"Player Copy.exe");
    WriteBytes(p.Dir / L"Nimbrel.ini",
               "[Setting]\r\nWindowPosX=120\r\nWindowPosY=90\r\nWindowWidth=520\r\nWindowHeight=380\r\n");
    ASSERT_TRUE(p.Start());
    HWND window = p.WaitForWindow(L"Nimbrel", 10000);
    ASSERT_NE(window, nullptr) << "the program showed no main window";
    SendMessageW(window, WM_COMMAND, IDM_FULL_SCREEN, 0);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(p.Finish(window), 0u);
    std::string saved, text = ReadBytes(p.Dir / L"Nimbrel.ini");
    for (const char* key : {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight", "Maximize", "PlayListWidth"})
        saved += IniValue(text, key) + " ";
    EXPECT_EQ(saved, "120 90 520 380 0 145 ");
    EXPECT_EQ(GetFileAttributesW((p.Dir / L"Player Copy.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR data)
{
    *(WORD*)data = language;
    return FALSE;
}

TEST(Process, CorruptMovieEndsInTheErrorBoxAfterTheSettingsWereSaved)
{
    Program p;
    WORD language = 0;
    HMODULE image = LoadLibraryExW(p.Exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceLanguagesW(image, L"SWF", MAKEINTRESOURCEW(200), FirstLanguage, (LONG_PTR)&language);
    FreeLibrary(image);
    std::string bytes = std::string("CWS\x08\x1f\x0e\x00\x00", 8) + std::string(200, '\x5a');
    HANDLE update = BeginUpdateResourceW(p.Exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, L"SWF", MAKEINTRESOURCEW(200), language, bytes.data(), (DWORD)bytes.size()));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    ASSERT_TRUE(p.Start());
    HWND box = p.WaitForWindow(L"#32770", 10000);
    EXPECT_NE(box, nullptr) << "no error box appeared";
    if (box) {
        wchar_t caption[64] = L"", text[256] = L"";
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        EXPECT_STREQ(caption, L"Error");
        EXPECT_STREQ(text, L"初期化に失敗しました");
        EXPECT_NE(GetFileAttributesW((p.Dir / L"Nimbrel.ini").c_str()), INVALID_FILE_ATTRIBUTES);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(p.Finish(nullptr), 0u);
}

// (Command-line clips played in turn in each repeat mode: the e2e scenarios.)
TEST(Process, ClickOnStopStopsTheClipAndGraysTheButton)
{
    Program p;
    ASSERT_TRUE(p.Start(L"\"" + Clip(L"long.mp4") + L"\""));
    HWND window = p.WaitForWindow(L"Nimbrel", 10000);
    HWND stop = GetDlgItem(FindWindowExW(window, nullptr, L"wc", nullptr), IDC_STOP);
    HWND play = GetDlgItem(GetParent(stop), IDC_PLAY_PAUSE);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(stop) != 0; }, 10000)) << "the clip did not start";
    PostMessageW(stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(stop, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(stop); }, 10000));
    EXPECT_TRUE(IsWindowEnabled(play));
    EXPECT_EQ(p.Finish(window), 0u);
}

}  // namespace
