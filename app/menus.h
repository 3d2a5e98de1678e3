// Small operations on menu items by command id; the item states are the live record of
// what the user may do, so handlers read them back (IsMenuItemEnabled).
#pragma once
#include <windows.h>

// Clears the grayed bits when enabled is non-zero, sets them otherwise; keeps the check bit.
void SetMenuItemEnabled(HMENU menu, UINT id, int enabled);
// SetMenuItemEnabled for the size items 40024..40029.
void SetSizeItemsEnabled(HMENU menu, int enabled);
// Radio-checks chosen within first..last; a disabled item never carries the mark, and a
// chosen id outside the range clears the whole group.
void CheckRadioGroup(HMENU menu, UINT first, UINT last, UINT chosen);
// CheckRadioGroup of the item offset places after first (a settings value); any offset
// outside the group clears it.
void CheckRadioGroupAt(HMENU menu, UINT first, UINT last, int offset);
// Sets or clears the ordinary check mark of a single toggle item.
void SetMenuItemChecked(HMENU menu, UINT id, bool checked);
bool IsMenuItemEnabled(HMENU menu, UINT id);
bool IsMenuItemChecked(HMENU menu, UINT id);
// Replaces the item's label.
void SetMenuItemText(HMENU menu, UINT id, const wchar_t* text);
