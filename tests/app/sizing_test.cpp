// The size arithmetic: the video's own ratio, zoom, shown size and the window-size presets,
// with unknown sizes and unencodable ratios that must never divide by zero.
#include <gtest/gtest.h>

#include <limits.h>

#include "app/aspect.h"

namespace {

TEST(Sizing, NaturalRatioAndItsSlot)
{
    struct Row { int w, h; AspectPair ratio, slot; } rows[] = {
        {1920, 1080, {16, 9}, {16, 9}}, {1280, 720, {16, 9}, {16, 9}}, {720, 480, {3, 2}, {3, 2}},
        {0, 360, {0, 0}, {0, 0}}, {640, 0, {0, 0}, {0, 0}}, {-640, 360, {0, 0}, {0, 0}},
        {1000, 563, {1000, 563}, {0, 0}},  // too big to encode: the slot stays unknown
    };
    for (const Row& r : rows) {
        VideoWidth = r.w, VideoHeight = r.h;
        ComputeNaturalRatio();
        AspectPair slot = DecodeAspect(0);
        EXPECT_EQ(NaturalRatio.Width * 10000 + NaturalRatio.Height, r.ratio.Width * 10000 + r.ratio.Height) << r.w;
        EXPECT_EQ(slot.Width * 10000 + slot.Height, r.slot.Width * 10000 + r.slot.Height) << r.w;
    }
    ResetVideoSize();
    ResetAspect();
}

TEST(Sizing, ZoomAndShownSize)
{
    struct Row { int w, h; AspectPair ratio; int panelW, panelH, zoom; SIZE shown; } rows[] = {
        {640, 360, {16, 9}, 800, 450, 125, {800, 450}},
        {640, 360, {4, 3}, 800, 450, 93, {595, 446}},
        {640, 360, {16, 9}, 640, 360, 100, {640, 360}},
        {0, 0, {0, 0}, 800, 450, 0, {0, 0}},
        {640, 360, {0, 9}, 800, 450, 0, {0, 0}},      // a slot with a zero term
        {1, 1, {999, 1}, 800, 450, 0, {0, 0}},        // height truncates to 0
        {INT_MAX, 1, {1, 999}, 800, 450, 0, {0, 0}},  // far beyond any window
    };
    for (const Row& r : rows) {
        int zoom = ZoomPercentFor(r.w, r.h, r.ratio, r.panelW, r.panelH);
        SIZE shown = ShownSizeFor(r.w, r.ratio, zoom);
        EXPECT_EQ(zoom, r.zoom) << r.w << " " << r.ratio.Width;
        EXPECT_EQ(shown.cx * 100000 + shown.cy, r.shown.cx * 100000 + r.shown.cy) << r.w << " " << r.ratio.Width;
    }
}

TEST(Sizing, PresetsKeepTheWidthAndTakeTheHeightFromTheRatio)
{
    struct Row { int w; AspectPair ratio; bool known; SIZE at50, at100, at200; } rows[] = {
        {640, {16, 9}, true, {320, 180}, {640, 360}, {1280, 720}},
        {640, {4, 3}, true, {320, 240}, {640, 480}, {1280, 960}},
        {0, {16, 9}, false}, {640, {0, 0}, false}, {640, {-4, 3}, false},
    };
    for (const Row& r : rows) {
        SIZE s[5] = {};
        ASSERT_EQ(PresetSizesFor(r.w, r.ratio, s), r.known) << r.w;
        const SIZE expected[5] = {{}, r.at50, r.at100, {}, r.at200};  // 50, 100 and 200 %
        for (int i : {1, 2, 4})
            EXPECT_EQ(s[i].cx * 100000 + s[i].cy, expected[i].cx * 100000 + expected[i].cy) << r.w << " " << i;
    }
}

}  // namespace
