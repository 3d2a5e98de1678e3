// Today's containers and sound files, played to their end: their picture, their sound (at its
// pitch), a sound file's cover in the panel; and each cut short.
#include <cmath>

#include "engine_test_support.h"

namespace {

bool Near(COLORREF c, COLORREF want) {
  return std::abs(GetRValue(c) - GetRValue(want)) < 16 && std::abs(GetGValue(c) - GetGValue(want)) < 16 &&
         std::abs(GetBValue(c) - GetBValue(want)) < 16;
}

}  // namespace

// width: the picture's (0: none, the host reads no size); cover: the colour of a sound file's
// picture, fitted with its 4:3 kept into the 800 x 450 panel (black beyond 100..700), else black.
// tracks.mkv: its first picture track has no decoder here (the second shows), and its second
// sound track, 1320 Hz, is the one marked default.
TEST(Containers, EachPlaysToItsEndWithPictureAndSound) {
  constexpr COLORREF kBlack = RGB(0, 0, 0), kCover = RGB(32, 64, 192);
  const struct { const wchar_t* clip; int width; double pitch; COLORREF cover; } rows[] = {
      {L"vp9_opus.mkv", 160, 440, kBlack},   {L"av1_opus.webm", 160, 440, kBlack},
      {L"h264_aac.mov", 160, 440, kBlack},   {L"mpeg4_mp3.avi", 160, 440, kBlack},
      {L"h264_aac.ts", 160, 440, kBlack},    {L"h264_ac3.m2ts", 160, 440, kBlack},
      {L"mpeg2_mp2.mpg", 160, 440, kBlack},  {L"cover.mp3", 0, 440, kCover},
      {L"cover.m4a", 0, 440, kCover},        {L"cover.flac", 0, 440, kCover},
      {L"tone.ogg", 0, 440, kBlack},         {L"tone.opus", 0, 440, kBlack},
      {L"tone.wav", 0, 440, kBlack},         {L"tracks.mkv", 160, 1320, kBlack},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.clip);
    Stage s;
    s.Listen();
    s.PlayFile(row.clip);
    ASSERT_TRUE(WaitFor([&] { return s.Number(L"state_duration") > 0; }));
    ASSERT_TRUE(s.WaitForEnd());
    EXPECT_GT(s.Number(L"ns.time"), 1.3);
    EXPECT_EQ(s.Get(L"state_width"), row.width ? std::to_wstring(row.width) : L"");
    EXPECT_EQ(s.Counters().framesShown > 0, row.width || row.cover != kBlack);
    if (!row.width) {  // the cover stays after the end
      EXPECT_TRUE(WaitFor([&] { return Near(s.Pixel(400, 225), row.cover); }, 2));
      EXPECT_TRUE(Near(s.Pixel(90, 225), kBlack));
    }
    // Lossy codecs' quiet start crosses zero at random: within a quarter still tells 440 from 1320.
    EXPECT_NEAR(s.tap.rises.load() / s.tap.Seconds(), row.pitch, row.pitch / 4);
    // Cut in half, it plays what it holds and ends: the list goes on.
    Bytes half = ReadClip(row.clip);
    half.resize(half.size() / 2);
    Stage cut;
    cut.Set(L"state_file", WriteClip((L"half_" + std::wstring(row.clip)).c_str(), half));
    EXPECT_TRUE(cut.WaitForEnd());
  }
}
