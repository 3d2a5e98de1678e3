// Each container and sound file, played to its end: its duration and size, the picture fitted,
// its sound (at its pitch), a sound file's cover in the panel; and each cut short.
#include <algorithm>
#include <cmath>

#include "engine_test_support.h"

// width x height as displayed (0: no picture, sound alone or beside a foreign codec); centre: the
// colour the panel keeps there after the end (none: a test picture), a picture fitted with its 4:3
// into the 800 x 450 panel (black beyond 100..700). tracks.mkv: its first picture track has no
// decoder here, its second sound track (1320 Hz) is the default.
TEST(Containers, EachPlaysToItsEndWithPictureAndSound) {
  constexpr COLORREF kAny = CLR_INVALID, kBlack = RGB(0, 0, 0), kCover = RGB(32, 64, 192);
  constexpr COLORREF kRed = RGB(255, 0, 0);
  auto alike = [](COLORREF c, COLORREF want) {
    return std::abs(GetRValue(c) - GetRValue(want)) < 16 && std::abs(GetGValue(c) - GetGValue(want)) < 16 &&
           std::abs(GetBValue(c) - GetBValue(want)) < 16;
  };
  static WNDPROC previous;  // the host's subclass on the engine's window
  auto proc = [](HWND h, UINT m, WPARAM w, LPARAM l) { return CallWindowProcW(previous, h, m, w, l); };
  const struct { const wchar_t* clip; int width, height; double duration, pitch; COLORREF centre; } rows[] = {
      {L"sorenson_mp3.flv", 320, 240, 3, 440, kAny}, {L"h264_aac.mp4", 320, 240, 3, 440, kAny},
      {L"anamorphic.mp4", 320, 180, 2, 0, kAny},     {L"foreign_video.mp4", 0, 0, 3, 440, kBlack},
      {L"red.mp4", 160, 120, 4, 0, kRed},            {L"vp9_opus.mkv", 160, 120, 1.5, 440, kAny},
      {L"av1_opus.webm", 160, 120, 1.5, 440, kAny},  {L"h264_aac.mov", 160, 120, 1.5, 440, kAny},
      {L"mpeg4_mp3.avi", 160, 120, 1.5, 440, kAny},  {L"h264_aac.ts", 160, 120, 1.5, 440, kAny},
      {L"h264_ac3.m2ts", 160, 120, 1.5, 440, kAny},  {L"mpeg2_mp2.mpg", 160, 120, 1.5, 440, kAny},
      {L"cover.mp3", 0, 0, 1.5, 440, kCover},        {L"cover.m4a", 0, 0, 1.5, 440, kCover},
      {L"cover.flac", 0, 0, 1.5, 440, kCover},       {L"tone.ogg", 0, 0, 1.5, 440, kBlack},
      {L"tone.opus", 0, 0, 1.5, 440, kBlack},        {L"tone.wav", 0, 0, 1.5, 440, kBlack},
      {L"tracks.mkv", 160, 120, 1.5, 1320, kAny},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.clip);
    Stage s;
    s.Listen();
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(s.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+proc)));
    s.PlayFile(row.clip);
    ASSERT_TRUE(WaitFor([&] { return s.Number(L"state_duration") > 0; }));
    EXPECT_NEAR(s.Number(L"state_duration"), row.duration, 0.1);
    std::wstring size = row.width ? std::to_wstring(row.width) + L"x" + std::to_wstring(row.height) : L"x";
    EXPECT_EQ(s.Get(L"state_width") + L"x" + s.Get(L"state_height"), size);
    ASSERT_TRUE(s.WaitForEnd());
    EXPECT_GT(s.Number(L"ns.time"), row.duration - 0.2);
    EXPECT_EQ(s.Counters().framesShown > 0, row.width || row.centre != kBlack);
    double fitted = s.Number(L"imovie._width") / s.Number(L"imovie._height");
    EXPECT_NEAR(row.width ? fitted : 0, row.width ? double(row.width) / row.height : 0, 0.01);
    // The picture stays and is drawn again when asked; stop leaves black, nothing kept.
    s.Set(L"state_pause", L"1");
    InvalidateRect(s.Window(), nullptr, TRUE);
    auto at = [&](int x, int y, COLORREF want) { return want == kAny || alike(s.Pixel(x, y), want); };
    EXPECT_TRUE(WaitFor([&] { return at(400, 225, row.centre) && at(110, 10, row.centre); }, 2));
    EXPECT_TRUE(row.centre == kAny || (at(90, 225, kBlack) && at(710, 225, kBlack)));
    s.Set(L"state_stop", L"1");
    EXPECT_TRUE(WaitFor([&] { return at(400, 225, kBlack) && !s.Counters().pictureBytes; }, 2) &&
                (Pump(0.3), at(400, 225, kBlack)));
    // Lossy codecs' quiet start crosses zero at random: within a quarter still tells 440 from 1320.
    EXPECT_NEAR(s.tap.rises.load() / std::max(s.tap.Seconds(), 1e-3), row.pitch, row.pitch / 4);
    // Cut in half, it plays what it holds and ends: the list goes on.
    Stage cut;
    cut.Set(L"state_file", WriteClip((L"half_" + std::wstring(row.clip)).c_str(), Damaged(row.clip, 0)));
    EXPECT_TRUE(cut.WaitForEnd());
  }
}
