// Graying, checking and radio groups on the real main menu.
#include "app/menus.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

struct MenuTest : ::testing::Test {
    HMENU resource = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
    HMENU menu = GetSubMenu(resource, 0);
    ~MenuTest() { DestroyMenu(resource); }
    bool Checked(UINT id) { return IsMenuItemChecked(menu, id); }
    UINT Type(UINT id)
    {
        MENUITEMINFOW mii = {sizeof mii};
        mii.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, id, FALSE, &mii);
        return mii.fType;
    }
    std::vector<bool> Quality()
    {
        return {Checked(IDM_QUALITY_LOW), Checked(IDM_QUALITY_MEDIUM), Checked(IDM_QUALITY_HIGH)};
    }
};

TEST_F(MenuTest, RadioGroupBulletsOnlyAnEnabledChoiceInsideTheRange)
{
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_MEDIUM);
    EXPECT_EQ(Quality(), (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(Type(IDM_QUALITY_LOW) & MFT_RADIOCHECK);
    CheckRadioGroup(menu, IDM_QUALITY_HIGH, IDM_QUALITY_LOW, IDM_QUALITY_LOW);  // empty range
    EXPECT_EQ(Quality(), (std::vector<bool>{false, true, false}));
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_LOW + 7);  // outside: all cleared
    EXPECT_EQ(Quality(), (std::vector<bool>{false, false, false}));

    // A disabled item never carries the mark, whichever graying bit disables it.
    SetMenuItemEnabled(menu, IDM_QUALITY_HIGH, 0);
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_HIGH);
    EXPECT_EQ(Quality(), (std::vector<bool>{false, false, false}));
    EnableMenuItem(menu, IDM_QUALITY_LOW, MF_BYCOMMAND | MF_DISABLED);
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_LOW);
    EXPECT_FALSE(Checked(IDM_QUALITY_LOW));
}

TEST_F(MenuTest, GrayingKeepsTheCheckMarkAndSizeItemsGoTogether)
{
    SetMenuItemChecked(menu, IDM_FULL_SCREEN, true);
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 0);
    EXPECT_FALSE(IsMenuItemEnabled(menu, IDM_FULL_SCREEN));
    EXPECT_TRUE(Checked(IDM_FULL_SCREEN));
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 5);  // any non-zero flag enables
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_FULL_SCREEN));
    EXPECT_TRUE(Checked(IDM_FULL_SCREEN));
    EXPECT_FALSE(Type(IDM_FULL_SCREEN) & MFT_RADIOCHECK);

    SetSizeItemsEnabled(menu, 0);
    for (UINT id = IDM_SIZE_25; id <= IDM_SIZE_CURRENT; id++)
        EXPECT_FALSE(IsMenuItemEnabled(menu, id)) << id;
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_ASSOCIATE));
    SetSizeItemsEnabled(menu, 1);
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_SIZE_CURRENT));
}

}  // namespace
