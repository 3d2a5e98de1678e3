// The seek bar's arithmetic over every width, duration, pointer and section.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdlib>

#include "controls/seek_mapping.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    unsigned seconds = in.ConsumeIntegral<unsigned>(), duration = in.ConsumeIntegral<unsigned>();
    int width = in.ConsumeIntegral<int>(), x = in.ConsumeIntegral<int>();
    SectionRecord section = {in.ConsumeIntegral<unsigned>(), in.ConsumeIntegral<unsigned>(),
                             in.ConsumeIntegral<unsigned>(), 0, 0};
    bool sectionMode = in.ConsumeBool();

    // Seconds to pixels: within the bar, in order, the end at the right edge.
    int px = SecondsToPixel(seconds, duration, width);
    CHECK(px >= 0 && px <= (width > 0 ? width : 0));
    CHECK(duration != 0 || px == 0);
    if (seconds < UINT_MAX)
        CHECK(SecondsToPixel(seconds + 1, duration, width) >= px);
    if (duration > 0 && width > 0 && seconds >= duration)
        CHECK(px == width);

    // The pointer to seconds: within the file, in order, and the second's own pixel at or
    // before the pointer.
    unsigned s = PointerToSeconds(x, width, duration);
    CHECK(s <= duration);
    CHECK(width > 0 || s == 0);
    if (width > 0) {
        int at = x < 0 ? 0 : x > width ? width : x;
        if (x < INT_MAX)
            CHECK(PointerToSeconds(x + 1, width, duration) >= s);
        CHECK(SecondsToPixel(s, duration, width) <= at);
    }

    // Markers: only in section mode with a section and a duration, and on a bar only near one.
    int hit = HitMarker(x, width, section, duration, sectionMode);
    CHECK(hit == NoMarker || hit == StartMarker || hit == EndMarker);
    if (!sectionMode || !section.SectionActive || duration == 0)
        CHECK(hit == NoMarker);
    if (hit == StartMarker && width > 0)
        CHECK(std::llabs((long long)x - SecondsToPixel(section.SectionStart, duration, width)) <= 5);
    if (hit == EndMarker && width > 0)
        CHECK(std::llabs((long long)x - SecondsToPixel(section.SectionEnd, duration, width)) <= 5);

    // A drag never seeks to or past the end; a second inside the file is kept.
    unsigned target = SeekTarget(seconds, duration);
    CHECK(target == 0 || target < duration);
    CHECK(seconds >= duration || target == seconds);
    CHECK(seconds < duration || duration < 5 || target + 5 == duration);
    return 0;
}
