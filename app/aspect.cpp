#include "app/aspect.h"

#include <stdio.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/settings.h"
#include "resources/resource.h"

int VideoWidth;
int VideoHeight;

void ResetVideoSize()
{
    VideoWidth = VideoHeight = 0;
}

AspectPair DecodeAspectValue(int v)
{
    return {(v / 1000) % 1000, v % 1000};
}

void WriteAspectItemLabels()
{
    for (int n = 1; n <= 10; n++) {
        UINT id = IDM_ASPECT_NATURAL + n;
        AspectPair p = DecodeAspectValue(AspectRatioSetting(n));
        if (p.Width > 0 && p.Height > 0) {
            wchar_t label[64];
            _snwprintf(label, 64, L"%d ： %d", p.Width, p.Height);
            label[63] = L'\0';
            SetMenuItemText(MainMenu, id, label);
        } else {
            MENUITEMINFOW mii = {sizeof mii};
            mii.fMask = MIIM_STRING | MIIM_STATE;
            mii.fState = MFS_GRAYED;
            mii.dwTypeData = const_cast<wchar_t*>(L"---");
            SetMenuItemInfoW(MainMenu, id, FALSE, &mii);
        }
    }
}
