// What needs no window, at the limits that must never overflow or divide by zero.
#include <climits>

#include "app/aspect.h"
#include "app/display_scale.h"
#include "app/layout.h"
#include "app/pending_error.h"
#include "controls/control_bar.h"
#include "controls/seek_bar.h"
#include "controls/splitter.h"
#include "controls/time_display.h"
#include "controls/volume_slider.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

constexpr unsigned Max = 4294967295u;

TEST(ControlMapping, SecondsPixelsLevelsAndMarkersWithoutOverflowOrDivisionByZero)
{
    auto at = [](unsigned start, unsigned end, int x) { return HitMarker(x, 100, {start, end, 1, 0, 0}, 100, true); };
    const int S = StartMarker, E = EndMarker, N = NoMarker;
    const long long rows[][2] = {
        {SecondsToPixel(0, 100, 100), 0}, {SecondsToPixel(50, 100, 100), 50}, {SecondsToPixel(1, 3, 100), 33},
        {PointerToSeconds(-5, 100, 100), 0}, {PointerToSeconds(150, 100, 100), 100}, {PointerToSeconds(33, 67, 12), 5},
        {PointerToSeconds(100, 100, Max), Max},
        {VolumeToPixel(33, 48), 15}, {VolumeToPixel(100, 48), 48}, {VolumeToPixel(50, 0), 0},
        {VolumeToPixel(INT_MAX, 48), 48}, {VolumeToPixel(INT_MIN, 48), 0},
        {PointerToVolume(-10, 48), 0}, {PointerToVolume(24, 48), 50}, {PointerToVolume(47, 48), 97},
        {PointerToVolume(500, 48), 100}, {PointerToVolume(10, 0), 0},
        // Five pixels either side of a marker grab it; the start wins where they overlap.
        {at(0, 100, 5), S}, {at(0, 100, 6), N}, {at(0, 100, 94), N}, {at(0, 100, 95), E}, {at(0, 100, 100), E},
        {at(0, 100, 101), N}, {at(50, 52, 46), N}, {at(50, 52, 47), S}, {at(50, 52, 52), S}, {at(50, 52, 53), E},
        {at(50, 52, 56), N},
    };
    for (size_t i = 0; i < std::size(rows); i++)
        EXPECT_EQ(rows[i][0], rows[i][1]) << "row " << i;
}

// A subject too long for the buffer is cut, the suffix kept.
TEST(Texts, ErrorTimeAndHoverLines)
{
    wchar_t text[1024 + 16];
    ComposeErrorText(-1, L"a", text, 1024);
    EXPECT_STREQ(text, L"不明なエラーです");
    for (size_t length : {1015, 1016, 1023, 5000}) {  // the suffix is 8 characters
        wmemset(text, L'#', 1024 + 16);
        ComposeErrorText(3, std::wstring(length, L'x').c_str(), text, 1024);
        EXPECT_TRUE(wcslen(text) <= 1023 && std::wstring(text).ends_with(L"が読み込めません") && text[1024] == L'#') << length;
    }
    SetPendingError(3, std::wstring(3000, L'p').c_str());
    EXPECT_EQ(wcslen(PendingError.Subject), 1023u);
    SetPendingError(0, L"");
    struct Row { unsigned position, duration; const wchar_t* shown; };
    for (const Row& r : {Row{0, 0, L"   0:00/   0:00|0:00"}, Row{65, 7200, L"   1:05/ 120:00|1:05"},
                         Row{3725, 600000, L"  62:05/10000:00|62:05"}, Row{Max, 0, L"71582788:15/   0:00|71582788:15"}}) {
        wchar_t hover[32];
        FormatTimeText(r.position, r.duration, text, 260);
        FormatHoverTime(r.position, hover, 32);
        EXPECT_EQ(std::wstring(text) + L"|" + hover, r.shown);
    }
}

long long P(SIZE s) { return s.cx * 10000000000LL + s.cy; }

// In an 800 x 450 panel: slot 0 (the video's own ratio), the zoom that fits, the size shown, the presets.
TEST(Sizing, SlotZeroZoomShownSizeAndPresets)
{
    struct Row { int w, h; SIZE slot0; AspectPair ratio; int zoom; SIZE shown, at50, at100, at200; } rows[] = {
        {1920, 1080, {16, 9}, {16, 9}, 41, {787, 442}, {960, 540}, {1920, 1080}, {3840, 2160}},
        {720, 480, {3, 2}, {3, 2}, 93, {669, 446}, {360, 240}, {720, 480}, {1440, 960}},
        {640, 360, {16, 9}, {16, 9}, 125, {800, 450}, {320, 180}, {640, 360}, {1280, 720}},
        {640, 360, {16, 9}, {4, 3}, 93, {595, 446}, {320, 240}, {640, 480}, {1280, 960}},
        {1000, 563, {}, {}, 0},       // too big to encode: slot 0 stays unknown
        {1, 1, {1, 1}, {999, 1}, 0},  // the aspect height truncates to 0
        {INT_MAX, 1, {}, {1, 999}, 0, {}, {INT_MAX / 2, INT_MAX / 2}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}},
    };
    for (const Row& r : rows) {
        VideoWidth = r.w, VideoHeight = r.h;
        ComputeNaturalRatio();
        int zoom = ZoomPercentFor(r.w, r.h, r.ratio, 800, 450);
        SIZE s[5] = {};
        bool known = PresetSizesFor(r.w, r.ratio, s);
        EXPECT_EQ((std::vector{P({DecodeAspect(0).Width, DecodeAspect(0).Height}), (long long)zoom,
                               P(ShownSizeFor(r.w, r.ratio, zoom)), (long long)known, P(s[1]), P(s[2]), P(s[4])}),
                  (std::vector{P(r.slot0), (long long)r.zoom, P(r.shown), (long long)(r.at100.cx != 0), P(r.at50),
                               P(r.at100), P(r.at200)})) << r.w << " " << r.ratio.Width;
    }
    ResetVideoSize();
    ResetAspect();
}

std::string Text(const Placement& p)
{
    return std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(p.width) + "x" + std::to_string(p.height);
}

// The default window at each scale (within 96..480); a saved side scales; a lost window moves back in.
TEST(ScaledLayout, EverySizeFollowsTheScale)
{
    struct Row { int dpi; const char* layout; } rows[] = {
        {96, "0,0 512x384|517,0 145x384|512,0 5x384|0,384 662x30|2,2 54x26|58,2 26x26|91,5 341x20|434,5 100x20|"
             "544,2 26x26|574,7 50x16|634,2 26x26|50 562 607 30 80 5 30 0 "},
        {144, "0,0 767x576|775,0 218x576|767,0 8x576|0,576 993x45|3,3 81x39|87,3 39x39|137,8 511x30|651,8 150x30|"
              "816,3 39x39|861,11 75x24|951,3 39x39|75 843 910 35 110 8 45 0 "},
        {1000, "0,0 2560x1920|2585,0 725x1920|2560,0 25x1920|0,1920 3310x150|10,10 270x130|290,10 130x130|"
               "455,25 1705x100|2170,25 500x100|2720,10 130x130|2870,35 250x80|3170,10 130x130|250 2810 3035 70 320 25 150 0 "},
        {20, nullptr}, {95, nullptr},  // as 96
    };
    for (const Row& r : rows) {
        int dpi = ClampDpi(r.dpi), width = ScaleToDpi(662, dpi);
        ChildLayout c = ComputeChildLayout(width, ScaleToDpi(414, dpi), BarHeightAt(false, true, dpi), true,
                                           ScaleToDpi(145, dpi), dpi);
        std::string layout;
        for (const Placement& p : {c.Video, c.Playlist, c.Splitter, c.Bar})
            layout += Text(p) + "|";
        for (const Placement& p : ComputeBarLayout(width, dpi).Child)
            layout += Text(p) + "|";
        bool right;
        RECT hover = HoverTextBox(20, 200, 20, dpi, &right);
        int marker = 0;  // the last pixel that grabs a start marker at second 0
        while (HitMarker(marker + 1, 1000, {0, 100, 1, 0, 0}, 100, true, dpi) == StartMarker)
            marker++;
        for (int v : {ClampSplitterX(-100, width, dpi), ClampSplitterX(99999, width, dpi), FitPlayListWidth(99999, width, dpi),
                      (int)hover.left, (int)hover.right, marker, BarHeightAt(true, true, dpi), BarHeightAt(true, false, dpi)})
            layout += std::to_string(v) + " ";
        EXPECT_EQ(layout, (r.layout ? r : rows[0]).layout) << r.dpi;
    }
    struct Side { int side, frameFrom, frameTo, from, to, scaled; };
    for (const Side& r : {Side{670, 8, 10, 96, 144, 1003}, Side{1003, 10, 8, 144, 96, 670},
                          Side{INT_MAX, 8, 10, 96, 144, INT_MAX}, Side{INT_MIN, 8, 8, 96, 96, INT_MIN}})
        EXPECT_EQ(ScaleWindowSide(r.side, r.frameFrom, r.frameTo, r.from, r.to), r.scaled) << r.side << " " << r.to;
    RECT area = {0, 0, 1280, 994}, back = {0, 0, 670, 441};
    RECT gone = MoveIntoArea({-30000, -30000, -29330, -29559}, area), big = MoveIntoArea({-9, -9, 3000, 3000}, area);
    EXPECT_TRUE(EqualRect(&gone, &back) && EqualRect(&big, &area));
}

}  // namespace
