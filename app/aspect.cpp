#include "app/aspect.h"

#include <limits.h>
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

AspectPair DecodeAspectValue(int v)
{
    return {(v / 1000) % 1000, v % 1000};
}

AspectPair DecodeAspect(int slot)
{
    if (slot == 0)
        return DecodeAspectValue(A.NaturalValue);
    return slot >= 1 && slot <= 10 ? DecodeAspectValue(AspectRatioSetting(slot)) : AspectPair{};
}

static bool Usable(AspectPair p)
{
    return p.Width > 0 && p.Height > 0;
}

void WriteAspectItemLabels()
{
    for (int n = 1; n <= 10; n++) {
        UINT id = IDM_ASPECT_NATURAL + n;
        AspectPair p = DecodeAspect(n);
        if (Usable(p)) {
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

// Truncates toward zero, held to what an int carries (sizes may come from a huge video).
static int Truncate(double v)
{
    return v >= INT_MAX ? INT_MAX : v <= INT_MIN ? INT_MIN : (int)v;
}

AspectPair ReduceRatio(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    int a = width > height ? width : height, b = width > height ? height : width;
    while (b != 0) {
        int r = a % b;
        a = b;
        b = r;
    }
    return {width / a, height / a};
}

// The picture height that videoWidth has at ratio; 0 when either is unknown.
static int AspectHeight(int videoWidth, AspectPair ratio)
{
    if (videoWidth <= 0 || !Usable(ratio))
        return 0;
    return Truncate(videoWidth * ((double)ratio.Height / ratio.Width));
}

int ZoomPercentFor(int videoWidth, int videoHeight, AspectPair ratio, int panelWidth, int panelHeight)
{
    int e = AspectHeight(videoWidth, ratio);
    if (videoHeight <= 0 || e <= 0)
        return 0;
    double byWidth = (double)panelWidth / videoWidth, byHeight = (double)panelHeight / e;
    return Truncate(100 * (byWidth < byHeight ? byWidth : byHeight));
}

SIZE ShownSizeFor(int videoWidth, AspectPair ratio, int zoom)
{
    int e = AspectHeight(videoWidth, ratio);
    if (e <= 0 || zoom <= 0)
        return {0, 0};
    double r = (double)ratio.Height / ratio.Width;
    SIZE full = r >= (double)e / videoWidth ? SIZE{Truncate(e / r), e} : SIZE{videoWidth, Truncate(videoWidth * r)};
    // In whole numbers: a percentage times 0.01 in floating point can land just below an integer.
    return {Truncate(full.cx * (double)zoom / 100), Truncate(full.cy * (double)zoom / 100)};
}

bool PresetSizesFor(int videoWidth, AspectPair ratio, SIZE sizes[5])
{
    static const double Factors[5] = {0.25, 0.5, 1.0, 1.5, 2.0};
    int e = AspectHeight(videoWidth, ratio);
    if (e <= 0)
        return false;
    for (int i = 0; i < 5; i++)
        sizes[i] = {Truncate(videoWidth * Factors[i]), Truncate(e * Factors[i])};
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
