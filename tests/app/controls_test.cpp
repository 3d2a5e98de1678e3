// The control bar's arithmetic: seconds and pixels, markers, seek targets, texts, limits.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "controls/seek_bar.h"
#include "controls/splitter.h"
#include "controls/time_display.h"
#include "controls/volume_slider.h"

namespace {

TEST(SeekBarMapping, SecondsToPixelAndBack)
{
    struct Row { unsigned seconds, duration; int width, pixel; };
    const Row toPixel[] = {
        {0, 100, 100, 0}, {50, 100, 100, 50}, {100, 100, 100, 100}, {1, 3, 100, 33},
        {50, 0, 100, 0},       // no duration yet: nothing drawn, no division by zero
        {200, 100, 100, 100},  // a position past the duration stays on the bar
        {4294967295u, 4294967295u, 65535, 65535}, {5, 100, 0, 0}, {5, 100, -3, 0},
    };
    for (const Row& r : toPixel)
        EXPECT_EQ(SecondsToPixel(r.seconds, r.duration, r.width), r.pixel) << r.seconds << "/" << r.duration;

    struct Back { int x, width; unsigned duration, seconds; };
    const Back toSeconds[] = {
        {-5, 100, 100, 0}, {0, 100, 100, 0}, {50, 100, 100, 50}, {150, 100, 100, 100},
        {33, 67, 12, 5}, {10, 0, 100, 0}, {50, 100, 0, 0}, {100, 100, 4294967295u, 4294967295u},
    };
    for (const Back& r : toSeconds)
        EXPECT_EQ(PointerToSeconds(r.x, r.width, r.duration), r.seconds) << r.x << " of " << r.width;
}

TEST(SeekBarMapping, MarkerZonesWithTheStartWinningTheOverlap)
{
    struct Row { unsigned start, end, active, duration; bool sectionMode; int x, hit; };
    const Row rows[] = {
        // Markers at both ends: 0..5 grabs the start, W - 5..W the end.
        {0, 100, 1, 100, true, 0, StartMarker}, {0, 100, 1, 100, true, 5, StartMarker},
        {0, 100, 1, 100, true, 6, NoMarker}, {0, 100, 1, 100, true, 94, NoMarker},
        {0, 100, 1, 100, true, 95, EndMarker}, {0, 100, 1, 100, true, 100, EndMarker},
        {0, 100, 1, 100, true, 101, NoMarker}, {2, 100, 1, 100, true, 5, StartMarker},
        // Inside: start s - 3..s + 2, end e - 2..e + 3; where they meet the start wins.
        {50, 52, 1, 100, true, 46, NoMarker}, {50, 52, 1, 100, true, 47, StartMarker},
        {50, 52, 1, 100, true, 52, StartMarker}, {50, 52, 1, 100, true, 53, EndMarker},
        {50, 52, 1, 100, true, 55, EndMarker}, {50, 52, 1, 100, true, 56, NoMarker},
        // No markers outside section mode, before set-up, or without a duration.
        {0, 100, 1, 100, false, 0, NoMarker}, {0, 100, 0, 100, true, 0, NoMarker},
        {0, 100, 1, 0, true, 0, NoMarker},
    };
    for (const Row& r : rows) {
        SectionRecord section = {r.start, r.end, r.active, 0, 0};
        EXPECT_EQ(HitMarker(r.x, 100, section, r.duration, r.sectionMode), r.hit)
            << r.start << ".." << r.end << " at " << r.x;
    }
}

TEST(SeekBarMapping, SeekTargetStaysFiveSecondsShortOfTheEndAndNeverNegative)
{
    struct Row { unsigned seconds, duration, target; };
    const Row rows[] = {
        {10, 100, 10}, {99, 100, 99}, {100, 100, 95}, {200, 100, 95}, {5, 5, 0},
        {4, 4, 0}, {3, 3, 0}, {0, 0, 0}, {2, 3, 2},  // short files and no duration seek to 0
    };
    for (const Row& r : rows)
        EXPECT_EQ(SeekTarget(r.seconds, r.duration), r.target) << r.seconds << "/" << r.duration;
}

TEST(SeekBarMapping, HoverBoxFlipsSidesAtTheMiddle)
{
    struct Row { int x, width; RECT box; bool right; };
    const Row rows[] = {
        {0, 100, {10, 0, 60, 20}, false}, {49, 100, {59, 0, 109, 20}, false},
        {50, 100, {-10, 0, 40, 20}, true}, {100, 100, {40, 0, 90, 20}, true},
        {49, 101, {59, 0, 109, 20}, false}, {50, 101, {-10, 0, 40, 20}, true},
    };
    for (const Row& r : rows) {
        bool right = false;
        RECT box = HoverTextBox(r.x, r.width, 20, &right);
        EXPECT_EQ(right, r.right) << r.x << " of " << r.width;
        EXPECT_TRUE(EqualRect(&box, &r.box)) << r.x << " of " << r.width;
    }
}

TEST(ControlTexts, TimeAndHoverText)
{
    struct Row { unsigned position, duration; const wchar_t* text; };
    const Row times[] = {
        {0, 0, L"   0:00/   0:00"}, {3725, 7200, L"  62:05/ 120:00"}, {59, 61, L"   0:59/   1:01"},
        {4294967295u, 600000, L"71582788:15/10000:00"},  // minutes are not limited
    };
    for (const Row& r : times) {
        wchar_t text[260];
        FormatTimeText(r.position, r.duration, text, 260);
        EXPECT_EQ(std::wstring(text), r.text);
    }
    struct Hover { unsigned seconds; const wchar_t* text; };
    const Hover hovers[] = {{0, L"0:00"}, {65, L"1:05"}, {3725, L"62:05"}, {4294967295u, L"71582788:15"}};
    for (const Hover& h : hovers) {
        wchar_t text[32];
        FormatHoverTime(h.seconds, text, 32);
        EXPECT_EQ(std::wstring(text), h.text);
    }
}

TEST(VolumeMapping, LevelAndPixelWithinTheirRanges)
{
    struct Row { int level, width, pixel; };
    const Row toPixel[] = {
        {0, 48, 0}, {33, 48, 15}, {50, 48, 24}, {100, 48, 48}, {50, 0, 0},
        {INT_MAX, 48, 48}, {INT_MIN, 48, 0}, {-5, 48, 0},  // from a hand-edited settings file
    };
    for (const Row& r : toPixel)
        EXPECT_EQ(VolumeToPixel(r.level, r.width), r.pixel) << r.level;
    struct Back { int x, width, level; };
    const Back toLevel[] = {{-10, 48, 0}, {0, 48, 0}, {24, 48, 50}, {47, 48, 97}, {48, 48, 100},
                            {500, 48, 100}, {10, 0, 0}};
    for (const Back& r : toLevel)
        EXPECT_EQ(PointerToVolume(r.x, r.width), r.level) << r.x;
}

TEST(SplitterLimits, LeftEdgeBetweenFiftyAndWidthLessHundred)
{
    struct Row { int x, width, clamped; };
    const Row rows[] = {
        {0, 400, 50}, {50, 400, 50}, {200, 400, 200}, {300, 400, 300}, {301, 400, 300},
        {10000, 400, 300}, {INT_MIN, 400, 50}, {INT_MAX, 400, 300},
        {100, 120, 20},  // below 150 the right limit wins
    };
    for (const Row& r : rows)
        EXPECT_EQ(ClampSplitterX(r.x, r.width), r.clamped) << r.x << " in " << r.width;
}

}  // namespace
