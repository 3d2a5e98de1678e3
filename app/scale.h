// Pixel sizes at a display scale. The program's sizes are those of a 96-DPI screen (100 %); at
// another scale each is multiplied by dpi / 96 and rounded to the nearest pixel. Portable: no
// Windows header (tools/fuzz.sh builds its users natively).
#pragma once
#include <limits.h>

constexpr int BaseDpi = 96;

// The scales the program works at, 96 (100 %) to 480 (500 %); a value outside is brought within.
inline int ClampDpi(int dpi)
{
    return dpi < 96 ? 96 : dpi > 480 ? 480 : dpi;
}

inline int ClampToInt(long long v)
{
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : (int)v;
}

// v * to / from, rounded half away from zero (from > 0; v within a few times an int's range).
inline long long ScaleWide(long long v, int from, int to)
{
    long long n = v * to, half = from / 2;
    return (n >= 0 ? n + half : n - half) / from;
}

// ScaleWide held to what an int carries.
inline int ScaleBetween(long long v, int from, int to)
{
    return ClampToInt(ScaleWide(v, from, to));
}

// A 96-DPI pixel size at dpi.
inline int ScaleToDpi(long long px, int dpi)
{
    return ScaleBetween(px, BaseDpi, dpi);
}
