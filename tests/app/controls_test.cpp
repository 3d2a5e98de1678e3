// The control bar's arithmetic: seconds and pixels, markers, texts, limits. (Seek targets, the
// hover box and the splitter's limits: through the real widgets in host/control_bar_test.cpp.)
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "controls/seek_bar.h"
#include "controls/time_display.h"
#include "controls/volume_slider.h"

namespace {

constexpr unsigned Max = 4294967295u;

TEST(ControlMapping, SecondsAndPixelsWithoutOverflowOrDivisionByZero)
{
    struct Row { unsigned seconds, duration; int width, pixel; };
    for (const Row& r : {Row{0, 100, 100, 0}, Row{50, 100, 100, 50}, Row{100, 100, 100, 100}, Row{1, 3, 100, 33},
                         Row{50, 0, 100, 0}, Row{200, 100, 100, 100}, Row{Max, Max, 65535, 65535}, Row{5, 100, -3, 0}})
        EXPECT_EQ(SecondsToPixel(r.seconds, r.duration, r.width), r.pixel) << r.seconds << "/" << r.duration;
    struct Back { int x, width; unsigned duration, seconds; };
    for (const Back& r : {Back{-5, 100, 100, 0}, Back{50, 100, 100, 50}, Back{150, 100, 100, 100}, Back{33, 67, 12, 5},
                          Back{10, 0, 100, 0}, Back{50, 100, 0, 0}, Back{100, 100, Max, Max}})
        EXPECT_EQ(PointerToSeconds(r.x, r.width, r.duration), r.seconds) << r.x << " of " << r.width;
    struct Volume { int level, width, pixel; };
    for (const Volume& r : {Volume{0, 48, 0}, Volume{33, 48, 15}, Volume{100, 48, 48}, Volume{50, 0, 0},
                            Volume{INT_MAX, 48, 48}, Volume{INT_MIN, 48, 0}})
        EXPECT_EQ(VolumeToPixel(r.level, r.width), r.pixel) << r.level;
    struct Level { int x, width, level; };
    for (const Level& r : {Level{-10, 48, 0}, Level{24, 48, 50}, Level{47, 48, 97}, Level{500, 48, 100}, Level{10, 0, 0}})
        EXPECT_EQ(PointerToVolume(r.x, r.width), r.level) << r.x;
}

TEST(ControlMapping, MarkerZonesWithTheStartWinningTheOverlap)
{
    struct Row { unsigned start, end; int x, hit; };
    const int S = StartMarker, E = EndMarker, N = NoMarker;
    for (const Row& r : {Row{0, 100, 0, S}, Row{0, 100, 5, S}, Row{0, 100, 6, N}, Row{0, 100, 94, N}, Row{0, 100, 95, E},
                         Row{0, 100, 100, E}, Row{0, 100, 101, N}, Row{50, 52, 46, N}, Row{50, 52, 47, S},
                         Row{50, 52, 52, S}, Row{50, 52, 53, E}, Row{50, 52, 55, E}, Row{50, 52, 56, N}})
        EXPECT_EQ(HitMarker(r.x, 100, {r.start, r.end, 1, 0, 0}, 100, true), r.hit) << r.start << "-" << r.end << ":" << r.x;
    // None outside the section mode, without a section or without a duration.
    const SectionRecord section = {0, 100, 1, 0, 0}, inactive = {0, 100, 0, 0, 0};
    EXPECT_TRUE(HitMarker(0, 100, section, 100, false) == N && HitMarker(0, 100, inactive, 100, true) == N &&
                HitMarker(0, 100, section, 0, true) == N);
}

TEST(ControlTexts, TimeAndHoverText)
{
    struct Row { unsigned position, duration; const wchar_t* text; };
    for (const Row& r : {Row{0, 0, L"   0:00/   0:00"}, Row{3725, 7200, L"  62:05/ 120:00"},
                         Row{Max, 600000, L"71582788:15/10000:00"}}) {
        wchar_t text[260];
        FormatTimeText(r.position, r.duration, text, 260);
        EXPECT_EQ(std::wstring(text), r.text);
    }
    struct Hover { unsigned seconds; const wchar_t* text; };
    for (const Hover& h : {Hover{0, L"0:00"}, Hover{65, L"1:05"}, Hover{3725, L"62:05"}, Hover{Max, L"71582788:15"}}) {
        wchar_t text[32];
        FormatHoverTime(h.seconds, text, 32);
        EXPECT_EQ(std::wstring(text), h.text);
    }
}

}  // namespace
