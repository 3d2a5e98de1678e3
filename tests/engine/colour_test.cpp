// Pictures in the colours their files say: the choice of matrix and range as a plain function,
// then tagged clips through the real engine to the window.
#include "engine/player/picture_colour.h"
#include "engine_test_support.h"

extern "C" {
#include <libavutil/pixfmt.h>
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
