// What needs no window: error texts, marks on the real main menu, the control bar's seconds,
// pixels, markers and texts, and the size arithmetic, with huge ratios and values at the limits
// that must never overflow or divide by zero. (Through the real windows: host/control_bar_test.cpp.)
#include <climits>

#include "app/aspect.h"
#include "app/display_scale.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/pending_error.h"
#include "controls/control_bar.h"
#include "controls/seek_bar.h"
#include "controls/splitter.h"
#include "controls/time_display.h"
#include "controls/volume_slider.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

// (The texts of the known codes: the boxes of the playlist tests and of a failed start-up.)
TEST(ErrorText, AnUnknownCodeHasItsMessageAndAnOverlongSubjectKeepsTheSuffix)
{
    wchar_t text[1024 + 16];
    ComposeErrorText(-1, L"a", text, 1024);
    EXPECT_STREQ(text, L"不明なエラーです");
    std::wstring suffix = L"が読み込めません";
    for (size_t length : {1023 - suffix.size(), 1024 - suffix.size(), (size_t)1023, (size_t)5000}) {
        wmemset(text, L'#', 1024 + 16);
        ComposeErrorText(3, std::wstring(length, L'x').c_str(), text, 1024);
        std::wstring shown = text;
        ASSERT_LE(shown.size(), 1023u) << length;
        EXPECT_EQ(shown.substr(shown.size() - suffix.size()), suffix) << length;
        EXPECT_EQ(text[1024], L'#') << "wrote past the buffer for a subject of " << length;
    }
    SetPendingError(3, std::wstring(3000, L'p').c_str());
    EXPECT_EQ(std::wstring(PendingError.Subject).size(), 1023u);
    SetPendingError(0, L"");
}

// (A value outside its group: the settings at the int limits; the size items: the maximised
// window; both in startup_test.cpp.)
TEST(Menus, RadioGroupBulletsOnlyAnEnabledChoiceAndGrayingKeepsTheCheckMark)
{
    HMENU resource = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
    HMENU menu = GetSubMenu(resource, 0);
    auto quality = [&] {
        return std::vector<bool>{IsMenuItemChecked(menu, IDM_QUALITY_LOW), IsMenuItemChecked(menu, IDM_QUALITY_MEDIUM),
                                 IsMenuItemChecked(menu, IDM_QUALITY_HIGH)};
    };
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_MEDIUM);
    EXPECT_EQ(quality(), (std::vector<bool>{false, true, false}));
    MENUITEMINFOW mii = {sizeof mii, MIIM_FTYPE};
    GetMenuItemInfoW(menu, IDM_QUALITY_LOW, FALSE, &mii);
    EXPECT_TRUE(mii.fType & MFT_RADIOCHECK) << "a bullet, not a tick";

    SetMenuItemEnabled(menu, IDM_QUALITY_HIGH, 0);  // a grayed item never carries the mark
    CheckRadioGroup(menu, IDM_QUALITY_LOW, IDM_QUALITY_HIGH, IDM_QUALITY_HIGH);
    EXPECT_EQ(quality(), (std::vector<bool>{false, false, false}));

    SetMenuItemChecked(menu, IDM_FULL_SCREEN, true);
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 0);
    EXPECT_TRUE(!IsMenuItemEnabled(menu, IDM_FULL_SCREEN) && IsMenuItemChecked(menu, IDM_FULL_SCREEN));
    SetMenuItemEnabled(menu, IDM_FULL_SCREEN, 5);  // any non-zero flag enables
    EXPECT_TRUE(IsMenuItemEnabled(menu, IDM_FULL_SCREEN) && IsMenuItemChecked(menu, IDM_FULL_SCREEN));
    DestroyMenu(resource);
}

constexpr unsigned Max = 4294967295u;

// (The seek bar's zero durations and widths, its ends and where no marker can be, as properties:
// fuzz/seek_bar_fuzz.cpp; a pointer's second on an even bar: host/control_bar_test.cpp.)
TEST(ControlMapping, SecondsAndPixelsWithoutOverflowOrDivisionByZero)
{
    struct Row { unsigned seconds, duration; int width, pixel; };
    for (const Row& r : {Row{0, 100, 100, 0}, Row{50, 100, 100, 50}, Row{1, 3, 100, 33}})
        EXPECT_EQ(SecondsToPixel(r.seconds, r.duration, r.width), r.pixel) << r.seconds << "/" << r.duration;
    struct Back { int x, width; unsigned duration, seconds; };
    for (const Back& r : {Back{-5, 100, 100, 0}, Back{150, 100, 100, 100}, Back{33, 67, 12, 5}, Back{100, 100, Max, Max}})
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
}

// The hover text shows the position's second. (The time text at 0 and at the largest value as
// drawn: host/control_bar_test.cpp.)
TEST(ControlTexts, TimeAndHoverText)
{
    struct Row { unsigned position, duration; const wchar_t *time, *hover; };
    for (const Row& r : {Row{0, 0, L"   0:00/   0:00", L"0:00"}, Row{65, 7200, L"   1:05/ 120:00", L"1:05"},
                         Row{3725, 600000, L"  62:05/10000:00", L"62:05"},
                         Row{Max, 0, L"71582788:15/   0:00", L"71582788:15"}}) {
        wchar_t time[260], hover[32];
        FormatTimeText(r.position, r.duration, time, 260);
        FormatHoverTime(r.position, hover, 32);
        EXPECT_EQ(std::wstring(time) + L"|" + hover, std::wstring(r.time) + L"|" + r.hover);
    }
}

long long P(SIZE s) { return s.cx * 10000000000LL + s.cy; }

TEST(Sizing, SlotZeroZoomShownSizeAndPresets)
{
    // In an 800 x 450 panel. (Natural ratios, unknown sizes: the aspect fuzzer, view_modes_test.cpp.)
    struct Row { int w, h; SIZE slot0; AspectPair ratio; int zoom; SIZE shown, at50, at100, at200; } rows[] = {
        {1920, 1080, {16, 9}, {16, 9}, 41, {787, 442}, {960, 540}, {1920, 1080}, {3840, 2160}},
        {720, 480, {3, 2}, {3, 2}, 93, {669, 446}, {360, 240}, {720, 480}, {1440, 960}},
        {640, 360, {16, 9}, {16, 9}, 125, {800, 450}, {320, 180}, {640, 360}, {1280, 720}},
        {640, 360, {16, 9}, {4, 3}, 93, {595, 446}, {320, 240}, {640, 480}, {1280, 960}},
        {1000, 563, {}, {}, 0},         // too big to encode: slot 0 stays unknown
        {1, 1, {1, 1}, {999, 1}, 0},    // the aspect height truncates to 0
        {INT_MAX, 1, {}, {1, 999}, 0, {}, {INT_MAX / 2, INT_MAX / 2}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}},
    };
    for (const Row& r : rows) {
        VideoWidth = r.w, VideoHeight = r.h;
        ComputeNaturalRatio();
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

std::string Text(const Placement& p)
{
    return std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(p.width) + "x" + std::to_string(p.height);
}

// The default window (662 x 414 at 100 %) at each scale, scales outside 96..480 brought within:
// the children and the bar's widgets, then the splitter's limits, the narrowest video's, the hover
// box, the start marker's zone and the full-screen bar shown and hidden. A saved window's side goes
// to another scale by its client part, each scale with its own frame; a window on no monitor moves
// into the work area, shrunk where it is bigger.
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
