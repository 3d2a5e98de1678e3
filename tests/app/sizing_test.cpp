// The size arithmetic: the video's own ratio, zoom, shown size and window-size presets, with
// unknown sizes and unencodable ratios that must never divide by zero.
#include <gtest/gtest.h>

#include <limits.h>

#include <vector>

#include "app/aspect.h"

namespace {

long long P(SIZE s) { return s.cx * 10000000000LL + s.cy; }

TEST(Sizing, NaturalRatioZoomShownSizeAndPresets)
{
    // The zoom and shown size are for an 800 x 450 panel.
    struct Row { int w, h; SIZE natural, slot0; AspectPair ratio; int zoom; SIZE shown, at50, at100, at200; } rows[] = {
        {1920, 1080, {16, 9}, {16, 9}, {16, 9}, 41, {787, 442}, {960, 540}, {1920, 1080}, {3840, 2160}},
        {720, 480, {3, 2}, {3, 2}, {3, 2}, 93, {669, 446}, {360, 240}, {720, 480}, {1440, 960}},
        {640, 360, {16, 9}, {16, 9}, {16, 9}, 125, {800, 450}, {320, 180}, {640, 360}, {1280, 720}},
        {640, 360, {16, 9}, {16, 9}, {4, 3}, 93, {595, 446}, {320, 240}, {640, 480}, {1280, 960}},
        {0, 360, {}, {}, {}, 0}, {-640, 360, {}, {}, {0, 9}, 0}, {640, 0, {}, {}, {-4, 3}, 0},
        {1000, 563, {1000, 563}, {}, {}, 0},         // too big to encode: slot 0 stays unknown
        {1, 1, {1, 1}, {1, 1}, {999, 1}, 0},         // the aspect height truncates to 0
        {INT_MAX, 1, {INT_MAX, 1}, {}, {1, 999}, 0, {}, {INT_MAX / 2, INT_MAX / 2}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}},
    };
    for (const Row& r : rows) {
        VideoWidth = r.w, VideoHeight = r.h;
        ComputeNaturalRatio();
        EXPECT_EQ(P({NaturalRatio.Width, NaturalRatio.Height}), P(r.natural)) << r.w;
        EXPECT_EQ(P({DecodeAspect(0).Width, DecodeAspect(0).Height}), P(r.slot0)) << r.w;
        int zoom = ZoomPercentFor(r.w, r.h, r.ratio, 800, 450);
        SIZE shown = ShownSizeFor(r.w, r.ratio, zoom), s[5] = {};
        EXPECT_EQ(zoom, r.zoom) << r.w << " " << r.ratio.Width;
        EXPECT_EQ(P(shown), P(r.shown)) << r.w << " " << r.ratio.Width;
        EXPECT_EQ(PresetSizesFor(r.w, r.ratio, s), r.at100.cx != 0);
        EXPECT_EQ((std::vector{P(s[1]), P(s[2]), P(s[4])}), (std::vector{P(r.at50), P(r.at100), P(r.at200)})) << r.w;
    }
    ResetVideoSize();
    ResetAspect();
}

}  // namespace
