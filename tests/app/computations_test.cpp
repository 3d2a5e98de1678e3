// What needs no window: error texts and marks on the real main menu. (The child layout is
// checked on the real windows: control_bar_test.cpp, view_modes_test.cpp.)
#include "app/menus.h"
#include "app/pending_error.h"
#include "resources/resource.h"
#include "test_support.h"

TEST(ErrorText, EachCodeHasItsMessageAndAnOverlongSubjectKeepsTheSuffix)
{
    const wchar_t* texts[] = {L"", L"初期化に失敗しました", L"a%bに特殊文字があるため読み込めません",
                              L"a%bが読み込めません", L"不明なエラーです"};
    wchar_t text[1024 + 16];
    for (int code = -1; code <= 4; code++) {
        ComposeErrorText(code, L"a%b", text, 1024);
        EXPECT_STREQ(text, texts[code < 0 ? 4 : code]) << code;
    }
    std::wstring suffix = L"が読み込めません";
    for (size_t length : {1023 - suffix.size(), 1024 - suffix.size(), (size_t)1023, (size_t)5000}) {
        wmemset(text, L'#', 1024 + 16);
        ComposeErrorText(3, std::wstring(length, L'x').c_str(), text, 1024);
        std::wstring shown = text;
        ASSERT_LE(shown.size(), 1023u) << length;
        EXPECT_EQ(shown.substr(shown.size() - suffix.size()), suffix) << length;
        EXPECT_EQ(text[1024], L'#') << "wrote past the buffer for a subject of " << length;
    }
    SetPendingError(3, std::wstring(3000, L'p').c_str());
    EXPECT_EQ(std::wstring(PendingError.Subject).size(), 1023u);
    SetPendingError(0, L"");
}

// (A value outside its group: the settings at the int limits; the size items: the maximised
// window; both in startup_test.cpp.)
TEST(Menus, RadioGroupBulletsOnlyAnEnabledChoiceAndGrayingKeepsTheCheckMark)
{
    HMENU resource = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
    HMENU menu = GetSubMenu(resource, 0);
    auto quality = [&] {
        return std::vector<bool>{IsMenuItemChecked(menu, IDM_QUALITY_LOW), IsMenuItemChecked(menu, IDM_QUALITY_MEDIUM),
                                 IsMenuItemChecked(menu, IDM_QUALITY_HIGH)};
    };
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_MEDIUM);
    EXPECT_EQ(quality(), (std::vector<bool>{false, true, false}));
    MENUITEMINFOW mii = {sizeof mii, MIIM_FTYPE};
    GetMenuItemInfoW(menu, IDM_QUALITY_LOW, FALSE, &mii);
    EXPECT_TRUE(mii.fType & MFT_RADIOCHECK) << "a bullet, not a tick";

    // A disabled item never carries the mark, whichever graying bit disables it.
    SetMenuItemEnabled(menu, IDM_QUALITY_HIGH, 0);
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_HIGH);
    EXPECT_EQ(quality(), (std::vector<bool>{false, false, false}));
    EnableMenuItem(menu, IDM_QUALITY_LOW, MF_BYCOMMAND | MF_DISABLED);
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_LOW);
    EXPECT_FALSE(IsMenuItemChecked(menu, IDM_QUALITY_LOW));

    SetMenuItemChecked(menu, IDM_FULL_SCREEN, true);
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 0);
    EXPECT_TRUE(!IsMenuItemEnabled(menu, IDM_FULL_SCREEN) && IsMenuItemChecked(menu, IDM_FULL_SCREEN));
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 5);  // any non-zero flag enables
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_FULL_SCREEN) && IsMenuItemChecked(menu, IDM_FULL_SCREEN));
    DestroyMenu(resource);
}
