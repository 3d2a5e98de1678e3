#include "app/menus.h"

#include "resources/resource.h"

static bool ReadState(HMENU menu, UINT id, UINT* state)
{
    MENUITEMINFOW mii = {sizeof mii};
    mii.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(menu, id, FALSE, &mii))
        return false;
    *state = mii.fState;
    return true;
}

static void WriteState(HMENU menu, UINT id, UINT state)
{
    MENUITEMINFOW mii = {sizeof mii};
    mii.fMask = MIIM_STATE;
    mii.fState = state;
    SetMenuItemInfoW(menu, id, FALSE, &mii);
}

void SetMenuItemEnabled(HMENU menu, UINT id, int enabled)
{
    UINT state;
    if (!ReadState(menu, id, &state))
        return;
    if (enabled)
        state &= ~(UINT)MFS_GRAYED;
    else
        state |= MFS_GRAYED;
    WriteState(menu, id, state);
}

void SetSizeItemsEnabled(HMENU menu, int enabled)
{
    for (UINT id = IDM_SIZE_25; id <= IDM_SIZE_CURRENT; id++)
        SetMenuItemEnabled(menu, id, enabled);
}

void CheckRadioGroup(HMENU menu, UINT first, UINT last, UINT chosen)
{
    for (UINT id = first; id <= last && first <= last; id++) {
        MENUITEMINFOW mii = {sizeof mii};
        mii.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_CHECKMARKS;
        if (!GetMenuItemInfoW(menu, id, FALSE, &mii))
            continue;
        if (id == chosen && !(mii.fState & MFS_GRAYED))
            mii.fState |= MFS_CHECKED;
        else
            mii.fState &= ~(UINT)MFS_CHECKED;
        mii.fType |= MFT_RADIOCHECK;
        SetMenuItemInfoW(menu, id, FALSE, &mii);
        if (id == last)  // last may be the largest UINT
            break;
    }
}

void CheckRadioGroupAt(HMENU menu, UINT first, UINT last, int offset)
{
    // Tested before adding, so a settings value near the int limits cannot overflow.
    bool inGroup = offset >= 0 && (UINT)offset <= last - first;
    CheckRadioGroup(menu, first, last, inGroup ? first + (UINT)offset : 0);  // 0 is no command
}

void SetMenuItemChecked(HMENU menu, UINT id, bool checked)
{
    UINT state;
    if (!ReadState(menu, id, &state))
        return;
    if (checked)
        state |= MFS_CHECKED;
    else
        state &= ~(UINT)MFS_CHECKED;
    WriteState(menu, id, state);
}

bool IsMenuItemEnabled(HMENU menu, UINT id)
{
    UINT state;
    return ReadState(menu, id, &state) && !(state & MFS_GRAYED);
}

bool IsMenuItemChecked(HMENU menu, UINT id)
{
    UINT state;
    return ReadState(menu, id, &state) && (state & MFS_CHECKED);
}

void SetMenuItemText(HMENU menu, UINT id, const wchar_t* text)
{
    MENUITEMINFOW mii = {sizeof mii};
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = const_cast<wchar_t*>(text);
    SetMenuItemInfoW(menu, id, FALSE, &mii);
}
