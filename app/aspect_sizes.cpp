#include "app/aspect_sizes.h"

#include <limits.h>

AspectPair DecodeAspectValue(int v)
{
    return {(v / 1000) % 1000, v % 1000};
}

bool UsableRatio(AspectPair p)
{
    return p.Width > 0 && p.Height > 0;
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
    if (videoWidth <= 0 || !UsableRatio(ratio))
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

PixelSize ShownPixelSize(int videoWidth, AspectPair ratio, int zoom)
{
    int e = AspectHeight(videoWidth, ratio);
    if (e <= 0 || zoom <= 0)
        return {0, 0};
    double r = (double)ratio.Height / ratio.Width;
    PixelSize full = r >= (double)e / videoWidth ? PixelSize{Truncate(e / r), e} : PixelSize{videoWidth, Truncate(videoWidth * r)};
    // In whole numbers: a percentage times 0.01 in floating point can land just below an integer.
    return {Truncate(full.cx * (double)zoom / 100), Truncate(full.cy * (double)zoom / 100)};
}

bool PresetPixelSizes(int videoWidth, AspectPair ratio, PixelSize sizes[5])
{
    static const double Factors[5] = {0.25, 0.5, 1.0, 1.5, 2.0};
    int e = AspectHeight(videoWidth, ratio);
    if (e <= 0)
        return false;
    for (int i = 0; i < 5; i++)
        sizes[i] = {Truncate(videoWidth * Factors[i]), Truncate(e * Factors[i])};
    return true;
}

int FitWindowSide(long long v)
{
    return v < 0 ? 0 : v > 32767 ? 32767 : (int)v;
}
