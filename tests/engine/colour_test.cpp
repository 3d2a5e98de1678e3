// Pictures in the colours their files say.
#include <algorithm>
#include <array>
#include <set>

#include "engine/player/picture_colour.h"
#include "engine/player/picture_convert.h"
#include "engine/player/tone_map.h"
#include "engine_test_support.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

// The tag, else BT.709 from 1280 columns or 720 lines up; PQ and HLG's peak, else 1000 nits.
TEST(Colour, ChoiceFollowsTheTagsElseTheSize) {
  const struct { ColourTags tags; PictureColour colour; } rows[] = {
      {{.space = AVCOL_SPC_BT709, .width = 320, .height = 180}, {.matrix = AVCOL_SPC_BT709}},
      {{.space = AVCOL_SPC_SMPTE170M, .width = 1920, .height = 1080}, {.matrix = AVCOL_SPC_BT470BG}},
      {{.space = AVCOL_SPC_BT2020_CL, .width = 320, .height = 180}, {.matrix = AVCOL_SPC_BT2020_NCL}},
      {{.space = AVCOL_SPC_YCGCO, .width = 320, .height = 180}, {.matrix = AVCOL_SPC_BT470BG}},  // no coefficients
      {{.width = 1280, .height = 536}, {.matrix = AVCOL_SPC_BT709}},
      {{.width = 960, .height = 720}, {.matrix = AVCOL_SPC_BT709}},
      {{.width = 1279, .height = 719}, {.matrix = AVCOL_SPC_BT470BG}},
      {{.range = AVCOL_RANGE_JPEG, .width = 320, .height = 180}, {.fullRange = true}},
      {{.format = AV_PIX_FMT_YUVJ420P, .width = 320, .height = 180}, {.fullRange = true}},
      {{.format = AV_PIX_FMT_YUV420P10, .width = 320, .height = 180}, {.deep = true}},
      {{.primaries = AVCOL_PRI_BT2020, .width = 640, .height = 360},
       {.matrix = AVCOL_SPC_BT2020_NCL, .wideGamut = true}},
      {{.transfer = AVCOL_TRC_SMPTE2084, .width = 3840, .height = 2160},
       {.matrix = AVCOL_SPC_BT709, .transfer = Transfer::Pq, .peakNits = 1000}},
      {{.transfer = AVCOL_TRC_SMPTE2084, .width = 3840, .height = 2160, .peakNits = 4000},
       {.matrix = AVCOL_SPC_BT709, .transfer = Transfer::Pq, .peakNits = 4000}},
      {{.transfer = AVCOL_TRC_SMPTE2084, .width = 3840, .height = 2160, .peakNits = 20},
       {.matrix = AVCOL_SPC_BT709, .transfer = Transfer::Pq, .peakNits = 100}},
      {{.transfer = AVCOL_TRC_ARIB_STD_B67, .width = 3840, .height = 2160, .peakNits = 4000},
       {.matrix = AVCOL_SPC_BT709, .transfer = Transfer::Hlg, .peakNits = 1000}},
  };
  for (const auto& r : rows) EXPECT_TRUE(ChooseColour(r.tags) == r.colour) << "row " << &r - rows;
  // A picture's peak: its content light level, else its mastering display's.
  AVFrame* f = av_frame_alloc();
  AVMasteringDisplayMetadata* display = av_mastering_display_metadata_create_side_data(f);
  display->has_luminance = 1, display->max_luminance = av_make_q(4000, 1);
  EXPECT_EQ(TagsOf(f).peakNits, 4000);
  av_content_light_metadata_create_side_data(f)->MaxCLL = 1500;
  EXPECT_EQ(TagsOf(f).peakNits, 1500);
  av_frame_free(&f);
}

// The light step's curves where the standards fix them, and the tone curve's shape.
TEST(Colour, LightCurvesFollowTheStandards) {
  const double peak = 1000 / kSdrWhiteNits;
  const struct { const char* what; double got, want, within; } cases[] = {
      {"PQ 0", PqToNits(0), 0, 1e-9},                          {"PQ 1", PqToNits(1), 10000, 1e-6},
      {"PQ 0.5806: reference white", PqToNits(0.5806), 203, 0.5}, {"PQ 0.7518", PqToNits(0.7518), 1000, 1},
      {"HLG 0.5: a twelfth", HlgToScene(0.5), 1.0 / 12, 1e-9},   {"HLG 1", HlgToScene(1), 1, 1e-6},
      {"under the knee", ToneCurve(0.45, peak), 0.45, 0},  {"all within SDR", ToneCurve(0.9, 1), 0.9, 0},
      {"reference white kept below the top", ToneCurve(1, peak), 0.765, 0.005},
      {"500 nits apart from the top", ToneCurve(500 / kSdrWhiteNits, peak), 0.938, 0.005},
      {"the peak: SDR white", ToneCurve(peak, peak), 1, 1e-9}, {"past it", ToneCurve(3 * peak, peak), 1, 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(c.got, c.want, c.within) << c.what;
  for (double x = 0; x < peak; x += 0.01) ASSERT_LT(ToneCurve(x, peak), ToneCurve(x + 0.01, peak)) << x;
  // Out of gamut: into 0..1 towards its luminance, which stays; within: unchanged.
  auto luma = [](const float* c) { return 0.2126f * c[0] + 0.7152f * c[1] + 0.0722f * c[2]; };
  for (auto rgb : {std::array<float, 3>{1.4f, -0.1f, 0.05f}, {-0.2f, 0.9f, 0.3f}, {0.3f, 0.5f, 0.1f}}) {
    std::array<float, 3> fitted = rgb;
    FitGamut(fitted.data());
    bool inside = std::ranges::min(rgb) >= 0 && std::ranges::max(rgb) <= 1;
    EXPECT_NEAR(luma(fitted.data()), luma(rgb.data()), 1e-5);
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(fitted[i] >= 0 && fitted[i] <= 1 && (!inside || std::fabs(fitted[i] - rgb[i]) < 1e-6)) << i;
  }
}

// Each clip's red, 192,32,32, as its tags say (a wrong matrix or range is 6 to 16 off); the wide
// clips' patches (see wide_clip) as SDR shows them, highlights apart below the top.
TEST(Colour, TaggedClipsShowTheirOwnColours) {
  const struct { const wchar_t* clip; int x, r, g, b; } cases[] = {
      {L"colour_full_bt709.mp4", 400, 191, 32, 31},  // the tagged matrix and range
      {L"colour_untagged_hd.mp4", 400, 191, 32, 31},
      {L"colour_bt709_10bit.mp4", 400, 192, 32, 32},
      {L"colour_pq.mp4", 133, 192, 33, 33},
      {L"colour_pq.mp4", 400, 248, 248, 248},
      {L"colour_hlg.mp4", 133, 175, 52, 43},
      {L"colour_bt2020_sdr.mp4", 133, 99, 17, 17},
  };
  Stage s;
  for (const auto& c : cases) {
    long painted = s.Counters().framesPainted;
    s.PlayFile(c.clip);
    ASSERT_TRUE(WaitFor([&] { return s.Counters().framesPainted > painted; }));
    Pump(0.2);  // drawn again at the size fitted to this clip
    COLORREF p = s.Pixel(c.x, 225);
    int got[] = {GetRValue(p), GetGValue(p), GetBValue(p)}, want[] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 3) << Utf8(c.clip) << " at " << c.x << ": " << i;
  }
}

// A 10- or 12-bit limited-range grey ramp reaches all 256 levels (rounded first: only 220).
TEST(Colour, DeepPicturesAreConvertedAtFullPrecision) {
  for (auto [format, shift] : {std::pair{AV_PIX_FMT_YUV420P10, 2}, {AV_PIX_FMT_YUV420P12, 4}}) {
    AVFrame* f = av_frame_alloc();
    f->format = format, f->width = 1024, f->height = 1;
    ASSERT_EQ(av_frame_get_buffer(f, 0), 0);
    auto plane = [&](int p) { return reinterpret_cast<uint16_t*>(f->data[p]); };
    for (int x = 0; x < 1024; ++x) {
      plane(0)[x] = (16 << shift) + (219 << shift) * x / 1023;
      plane(1)[x / 2] = plane(2)[x / 2] = 128 << shift;  // grey
    }
    PictureConverter c;
    std::vector<uint8_t> bgra(1024 * 4);
    ASSERT_TRUE(ConvertPicture(&c, f, 1024, 1, SWS_POINT, bgra.data(), 1024 * 4));
    std::set<int> levels;
    for (int x = 0; x < 1024; ++x) levels.insert(bgra[x * 4 + 1]);
    EXPECT_EQ(levels.size(), 256u) << 8 + shift << " bits";
    av_frame_free(&f);
  }
}
