#include "controls/seek_mapping.h"

#include "app/scale.h"

int SecondsToPixel(unsigned seconds, unsigned duration, int width)
{
    if (duration == 0 || width <= 0)
        return 0;
    unsigned long long px = (unsigned long long)width * seconds / duration;
    return px > (unsigned long long)width ? width : (int)px;
}

unsigned PointerToSeconds(int x, int width, unsigned duration)
{
    if (width <= 0)
        return 0;
    x = x < 0 ? 0 : x > width ? width : x;
    return (unsigned)((double)x / width * duration);
}

int HitMarker(int x, int width, const SectionRecord& section, unsigned duration, bool sectionMode, int dpi)
{
    if (!sectionMode || !section.SectionActive || duration == 0)
        return NoMarker;
    // Wider than int: the zones reach past the bar's ends, whatever its width.
    long long w = width, two = ScaleToDpi(2, dpi), three = ScaleToDpi(3, dpi), five = ScaleToDpi(5, dpi);
    long long s = SecondsToPixel(section.SectionStart, duration, width);
    long long startLeft = s - three < 0 ? 0 : s - three;
    long long startRight = s - three < 0 ? five : s + two;
    long long e = SecondsToPixel(section.SectionEnd, duration, width);
    long long endLeft = e + three > w ? w - five : e - two;
    long long endRight = e + three > w ? w : e + three;
    if (x >= startLeft && x <= startRight)
        return StartMarker;
    if (x >= endLeft && x <= endRight)
        return EndMarker;
    return NoMarker;
}

unsigned SeekTarget(unsigned seconds, unsigned duration)
{
    if (seconds < duration)
        return seconds;
    return duration >= 5 ? duration - 5 : 0;  // a short file, or none known yet, seeks to 0
}
