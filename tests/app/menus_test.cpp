// Graying, checking and radio groups on the real main menu. (A value outside its group: the
// settings at the int limits; the size items: the maximised window; both in startup_test.cpp.)
#include "app/menus.h"
#include "resources/resource.h"
#include "test_support.h"

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
