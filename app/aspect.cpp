#include "app/aspect.h"

#include <stdio.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/settings.h"
#include "engine/movie_variables.h"
#include "resources/resource.h"

int VideoWidth;
int VideoHeight;
int AspectIndex;
int ZoomPercent;
AspectPair NaturalRatio;

static struct {
    int NaturalValue;  // slot 0: NaturalRatio encoded, 0 when it cannot be
} A;

void ResetVideoSize()
{
    VideoWidth = VideoHeight = 0;
    ZoomPercent = 0;
}

void ResetAspect()
{
    A = {};
    AspectIndex = 0;
    NaturalRatio = {};
}

AspectPair DecodeAspect(int slot)
{
    if (slot == 0)
        return DecodeAspectValue(A.NaturalValue);
    return slot >= 1 && slot <= 10 ? DecodeAspectValue(AspectRatioSetting(slot)) : AspectPair{};
}

void WriteAspectItemLabels()
{
    for (int n = 1; n <= 10; n++) {
        UINT id = IDM_ASPECT_NATURAL + n;
        AspectPair p = DecodeAspect(n);
        if (UsableRatio(p)) {
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

void ChooseAspect(UINT id)
{
    // A "---" slot is grayed for good: however its id arrives, it is never chosen or sent.
    if (!IsMenuItemEnabled(MainMenu, id))
        return;
    AspectIndex = (int)(id - IDM_ASPECT_NATURAL);
    CheckRadioGroup(MainMenu, IDM_ASPECT_NATURAL, IDM_ASPECT_LAST, id);
    SetMovieVariable(MovieAspect, AspectIndex == 0 ? 0 : AspectRatioSetting(AspectIndex), nullptr);
}

SIZE ShownSizeFor(int videoWidth, AspectPair ratio, int zoom)
{
    PixelSize p = ShownPixelSize(videoWidth, ratio, zoom);
    return {p.cx, p.cy};
}

bool PresetSizesFor(int videoWidth, AspectPair ratio, SIZE sizes[5])
{
    PixelSize p[5];
    if (!PresetPixelSizes(videoWidth, ratio, p))
        return false;
    for (int i = 0; i < 5; i++)
        sizes[i] = {p[i].cx, p[i].cy};
    return true;
}

void ComputeNaturalRatio()
{
    NaturalRatio = ReduceRatio(VideoWidth, VideoHeight);
    // A term of 1000 or more has no encoding; slot 0 then stays unknown rather than wrong.
    bool fits = NaturalRatio.Width < 1000 && NaturalRatio.Height < 1000;
    A.NaturalValue = fits ? NaturalRatio.Width * 1000 + NaturalRatio.Height : 0;
}

void ComputeZoomPercent()
{
    RECT r = {};
    if (VideoPanel)
        GetWindowRect(VideoPanel, &r);
    ZoomPercent = ZoomPercentFor(VideoWidth, VideoHeight, DecodeAspect(AspectIndex), r.right - r.left,
                                 r.bottom - r.top);
}

SIZE ShownPictureSize()
{
    return ShownSizeFor(VideoWidth, DecodeAspect(AspectIndex), ZoomPercent);
}
