// Pictures in the colours their files say: the choice of matrix and range as a plain function,
// then tagged clips through the real engine to the window.
#include <set>

#include "engine/player/picture_colour.h"
#include "engine/player/picture_convert.h"
#include "engine_test_support.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

// The tag when there is one; untagged, BT.709 from 1280 columns or 720 lines up, else BT.601.
TEST(Colour, MatrixAndRangeFollowTheTagsElseTheSize) {
  const struct { ColourTags tags; int matrix; bool full; } cases[] = {
      {{.space = AVCOL_SPC_BT709, .width = 320, .height = 180}, AVCOL_SPC_BT709, false},
      {{.space = AVCOL_SPC_SMPTE170M, .width = 1920, .height = 1080}, AVCOL_SPC_BT470BG, false},
      {{.space = AVCOL_SPC_BT470BG, .width = 1920, .height = 1080}, AVCOL_SPC_BT470BG, false},
      {{.space = AVCOL_SPC_FCC, .width = 1920, .height = 1080}, AVCOL_SPC_FCC, false},
      {{.space = AVCOL_SPC_SMPTE240M, .width = 320, .height = 180}, AVCOL_SPC_SMPTE240M, false},
      {{.space = AVCOL_SPC_BT2020_NCL, .width = 320, .height = 180}, AVCOL_SPC_BT2020_NCL, false},
      {{.space = AVCOL_SPC_BT2020_CL, .width = 320, .height = 180}, AVCOL_SPC_BT2020_NCL, false},
      {{.width = 1280, .height = 720}, AVCOL_SPC_BT709, false},
      {{.width = 1280, .height = 536}, AVCOL_SPC_BT709, false},
      {{.width = 960, .height = 720}, AVCOL_SPC_BT709, false},
      {{.width = 1279, .height = 719}, AVCOL_SPC_BT470BG, false},
      {{.width = 720, .height = 576}, AVCOL_SPC_BT470BG, false},
      {{.space = AVCOL_SPC_YCGCO, .width = 320, .height = 180}, AVCOL_SPC_BT470BG, false},  // no coefficients
      {{.primaries = AVCOL_PRI_BT2020, .width = 640, .height = 360}, AVCOL_SPC_BT2020_NCL, false},
      {{.range = AVCOL_RANGE_JPEG, .width = 320, .height = 180}, AVCOL_SPC_BT470BG, true},
      {{.range = AVCOL_RANGE_MPEG, .width = 320, .height = 180}, AVCOL_SPC_BT470BG, false},
      {{.format = AV_PIX_FMT_YUVJ420P, .width = 320, .height = 180}, AVCOL_SPC_BT470BG, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "space " << c.tags.space << " range " << c.tags.range << " primaries "
                                    << c.tags.primaries << " " << c.tags.width << "x" << c.tags.height);
    PictureColour colour = ChooseColour(c.tags);
    EXPECT_EQ(colour.matrix, c.matrix);
    EXPECT_EQ(colour.fullRange, c.full);
  }
}

// Each clip holds one red, 192,32,32, encoded as its tags say (or, untagged, as its size implies);
// the window shows it within rounding. Read with the wrong matrix or range it is 6 to 16 off.
TEST(Colour, TaggedClipsShowTheirOwnColours) {
  const struct { const wchar_t* clip; int r, g, b; } cases[] = {
      {L"colour_bt709_sd.mp4", 191, 32, 31},
      {L"colour_bt601_hd.mp4", 191, 32, 31},
      {L"colour_fcc_hd.mp4", 191, 32, 31},
      {L"colour_smpte240m_sd.mp4", 191, 32, 31},
      {L"colour_bt2020_sd.mp4", 191, 32, 31},
      {L"colour_untagged_hd.mp4", 191, 32, 31},
      {L"colour_untagged_sd.mp4", 191, 32, 31},
      {L"colour_full_bt709.mp4", 191, 32, 31},
      {L"colour_bt709_10bit.mp4", 192, 32, 32},
  };
  Stage s;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clip);
    long painted = s.Counters().framesPainted;
    s.PlayFile(c.clip);
    ASSERT_TRUE(WaitFor([&] { return s.Counters().framesPainted > painted; }));
    Pump(0.2);  // drawn again at the size fitted to this clip
    COLORREF p = s.Pixel(400, 225);
    EXPECT_NEAR(GetRValue(p), c.r, 3);
    EXPECT_NEAR(GetGValue(p), c.g, 3);
    EXPECT_NEAR(GetBValue(p), c.b, 3);
  }
}

// A grey ramp over the whole limited range of a 10- or 12-bit picture reaches all 256 levels of
// the window's 8 bits; rounded to 8 bits before the matrix, its 220 steps would miss 36 of them.
TEST(Colour, DeepPicturesAreConvertedAtFullPrecision) {
  for (AVPixelFormat format : {AV_PIX_FMT_YUV420P10, AV_PIX_FMT_YUV420P12}) {
    int shift = format == AV_PIX_FMT_YUV420P10 ? 2 : 4, width = 1024;
    AVFrame* f = av_frame_alloc();
    f->format = format;
    f->width = width;
    f->height = 2;
    ASSERT_EQ(av_frame_get_buffer(f, 0), 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < width; ++x)
        reinterpret_cast<uint16_t*>(f->data[0] + y * f->linesize[0])[x] = ((16 << shift) + (219 << shift) * x / (width - 1));
    for (int plane : {1, 2})
      for (int x = 0; x < width / 2; ++x) reinterpret_cast<uint16_t*>(f->data[plane])[x] = 128 << shift;
    PictureConverter c;
    std::vector<uint8_t> bgra(width * 2 * 4);
    ASSERT_TRUE(ConvertPicture(&c, f, width, 2, SWS_POINT, bgra.data(), width * 4));
    std::set<int> levels;
    for (int x = 0; x < width; ++x) levels.insert(bgra[x * 4 + 1]);
    EXPECT_EQ(levels.size(), 256u) << (format == AV_PIX_FMT_YUV420P10 ? "10" : "12") << " bits";
    av_frame_free(&f);
  }
}
