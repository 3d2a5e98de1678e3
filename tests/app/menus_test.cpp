// Graying, checking and radio groups on the real main menu.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/menus.h"
#include "resources/resource.h"

namespace {

struct MenuTest : ::testing::Test {
    HMENU resource = nullptr;
    HMENU menu = nullptr;
    void SetUp() override
    {
        resource = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
        menu = GetSubMenu(resource, 0);
        ASSERT_NE(menu, nullptr);
    }
    void TearDown() override { DestroyMenu(resource); }

    UINT State(UINT id)
    {
        MENUITEMINFOW mii = {sizeof mii};
        mii.fMask = MIIM_STATE;
        GetMenuItemInfoW(menu, id, FALSE, &mii);
        return mii.fState;
    }
    UINT Type(UINT id)
    {
        MENUITEMINFOW mii = {sizeof mii};
        mii.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, id, FALSE, &mii);
        return mii.fType;
    }
    bool Checked(UINT id) { return State(id) & MFS_CHECKED; }
    void SetState(UINT id, UINT state)
    {
        MENUITEMINFOW mii = {sizeof mii};
        mii.fMask = MIIM_STATE;
        mii.fState = state;
        SetMenuItemInfoW(menu, id, FALSE, &mii);
    }
};

TEST_F(MenuTest, RadioGroupMarksOnlyTheChosenItemAsABullet)
{
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_MEDIUM);
    EXPECT_FALSE(Checked(IDM_QUALITY_LOW));
    EXPECT_TRUE(Checked(IDM_QUALITY_MEDIUM));
    EXPECT_FALSE(Checked(IDM_QUALITY_HIGH));
    for (UINT id = IDM_QUALITY_LOW; id <= IDM_QUALITY_HIGH; id++)
        EXPECT_TRUE(Type(id) & MFT_RADIOCHECK) << id;

    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_HIGH);
    EXPECT_FALSE(Checked(IDM_QUALITY_MEDIUM));
    EXPECT_TRUE(Checked(IDM_QUALITY_HIGH));
}

TEST_F(MenuTest, ChoiceOutsideTheRangeClearsTheGroup)
{
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_LOW);
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_LOW + 7);
    for (UINT id = IDM_QUALITY_LOW; id <= IDM_QUALITY_HIGH; id++)
        EXPECT_FALSE(Checked(id)) << id;
}

TEST_F(MenuTest, DisabledItemNeverCarriesTheMark)
{
    CheckRadioGroup(menu, IDM_DEBLOCK_AUTO, IDM_DEBLOCK_ON, IDM_DEBLOCK_OFF);
    SetMenuItemEnabled(menu, IDM_DEBLOCK_OFF, 0);
    CheckRadioGroup(menu, IDM_DEBLOCK_AUTO, IDM_DEBLOCK_ON, IDM_DEBLOCK_OFF);
    for (UINT id = IDM_DEBLOCK_AUTO; id <= IDM_DEBLOCK_ON; id++)
        EXPECT_FALSE(Checked(id)) << id;

    // Either of the two graying bits counts as disabled.
    SetState(IDM_SMOOTHING_ON, MF_DISABLED);
    CheckRadioGroup(menu, IDM_SMOOTHING_OFF, IDM_SMOOTHING_ON, IDM_SMOOTHING_ON);
    EXPECT_FALSE(Checked(IDM_SMOOTHING_ON));
}

TEST_F(MenuTest, EmptyRangeChangesNothing)
{
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_MEDIUM);
    CheckRadioGroup(menu, IDM_QUALITY_HIGH, IDM_QUALITY_LOW, IDM_QUALITY_LOW);
    EXPECT_TRUE(Checked(IDM_QUALITY_MEDIUM));
    EXPECT_FALSE(Checked(IDM_QUALITY_LOW));
}

TEST_F(MenuTest, EnablingKeepsTheCheckMark)
{
    SetMenuItemChecked(menu, IDM_FULL_SCREEN, true);
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 0);
    EXPECT_EQ(State(IDM_FULL_SCREEN) & MFS_GRAYED, (UINT)MFS_GRAYED);
    EXPECT_TRUE(Checked(IDM_FULL_SCREEN));
    EXPECT_FALSE(IsMenuItemEnabled(menu, IDM_FULL_SCREEN));

    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 5);  // any non-zero flag enables
    EXPECT_EQ(State(IDM_FULL_SCREEN) & MFS_GRAYED, 0u);
    EXPECT_TRUE(Checked(IDM_FULL_SCREEN));
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_FULL_SCREEN));
    // A single toggle keeps the ordinary check mark.
    EXPECT_FALSE(Type(IDM_FULL_SCREEN) & MFT_RADIOCHECK);
}

TEST_F(MenuTest, SizeItemsAreGrayedTogether)
{
    SetSizeItemsEnabled(menu, 0);
    for (UINT id = IDM_SIZE_25; id <= IDM_SIZE_CURRENT; id++)
        EXPECT_FALSE(IsMenuItemEnabled(menu, id)) << id;
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_ASSOCIATE));
    SetSizeItemsEnabled(menu, 1);
    for (UINT id = IDM_SIZE_25; id <= IDM_SIZE_CURRENT; id++)
        EXPECT_TRUE(IsMenuItemEnabled(menu, id)) << id;
}

TEST_F(MenuTest, UnknownIdIsNeitherEnabledNorChecked)
{
    SetMenuItemEnabled(menu, 40001, 1);
    EXPECT_FALSE(IsMenuItemEnabled(menu, 40001));
    EXPECT_FALSE(IsMenuItemChecked(menu, 40001));
}

}  // namespace
