// The size arithmetic: the video's own ratio, zoom, shown size and window-size presets, with
// unknown sizes and unencodable ratios that must never divide by zero.
#include <gtest/gtest.h>

#include <limits.h>

#include <vector>

#include "app/aspect.h"

namespace {

long long Pair(int a, int b) { return a * 10000000000LL + b; }
long long P(SIZE s) { return Pair(s.cx, s.cy); }

TEST(Sizing, NaturalRatioAndItsSlot)
{
    struct Row { int w, h; AspectPair ratio, slot; } rows[] = {
        {1920, 1080, {16, 9}, {16, 9}}, {1280, 720, {16, 9}, {16, 9}}, {720, 480, {3, 2}, {3, 2}},
        {0, 360, {}, {}}, {640, 0, {}, {}}, {-640, 360, {}, {}},
        {1000, 563, {1000, 563}, {}},  // too big to encode: the slot stays unknown
    };
    for (const Row& r : rows) {
        VideoWidth = r.w, VideoHeight = r.h;
        ComputeNaturalRatio();
        EXPECT_EQ(Pair(NaturalRatio.Width, NaturalRatio.Height), Pair(r.ratio.Width, r.ratio.Height)) << r.w;
        EXPECT_EQ(Pair(DecodeAspect(0).Width, DecodeAspect(0).Height), Pair(r.slot.Width, r.slot.Height)) << r.w;
    }
    ResetVideoSize();
    ResetAspect();
}

TEST(Sizing, ZoomShownSizeAndPresets)
{
    struct Row { int w, h; AspectPair ratio; int zoom; SIZE shown, at50, at100, at200; } rows[] = {
        {640, 360, {16, 9}, 125, {800, 450}, {320, 180}, {640, 360}, {1280, 720}},  // in an 800 x 450 panel
        {640, 360, {4, 3}, 93, {595, 446}, {320, 240}, {640, 480}, {1280, 960}},
        {0, 0, {}, 0}, {640, 360, {0, 9}, 0}, {640, 360, {-4, 3}, 0},
        {1, 1, {999, 1}, 0},  // the aspect height truncates to 0
        {INT_MAX, 1, {1, 999}, 0, {}, {INT_MAX / 2, INT_MAX / 2}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}},
    };
    for (const Row& r : rows) {
        int zoom = ZoomPercentFor(r.w, r.h, r.ratio, 800, 450);
        SIZE shown = ShownSizeFor(r.w, r.ratio, zoom), s[5] = {};
        EXPECT_EQ(zoom, r.zoom) << r.w << " " << r.ratio.Width;
        EXPECT_EQ(P(shown), P(r.shown)) << r.w << " " << r.ratio.Width;
        EXPECT_EQ(PresetSizesFor(r.w, r.ratio, s), r.at100.cx != 0);
        EXPECT_EQ((std::vector{P(s[1]), P(s[2]), P(s[4])}), (std::vector{P(r.at50), P(r.at100), P(r.at200)})) << r.w;
    }
}

}  // namespace
