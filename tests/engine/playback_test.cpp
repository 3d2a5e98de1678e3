// The engine through its operations, playing real clips: what the host reads back.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/player/media_engine_probe.h"
#include "engine_test_support.h"

namespace {

bool IsBlack(COLORREF c) { return GetRValue(c) < 16 && GetGValue(c) < 16 && GetBValue(c) < 16; }
bool IsRed(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }

std::wstring CopyClip(const wchar_t* clip, const wchar_t* name, size_t keep, bool scramble = false) {
  std::vector<uint8_t> bytes = ReadClip(clip);
  if (keep < bytes.size()) bytes.resize(keep);
  if (scramble)
    for (size_t i = bytes.size() / 3; i < bytes.size(); i += 97) bytes[i] = static_cast<uint8_t>(bytes[i] * 31 + 7);
  return WriteClip(name, bytes);
}

}  // namespace

TEST(Engine, StartsAsTheParentsFirstChildWithTheRootVariables) {
  Stage s;
  ASSERT_NE(s.engine, nullptr);
  RECT r;
  GetClientRect(s.Window(), &r);
  EXPECT_EQ(r.right, 800);
  EXPECT_EQ(r.bottom, 450);
  long version = 0;
  EXPECT_TRUE(SUCCEEDED(EngineVersion(s.engine, &version)));
  EXPECT_GE(version >> 16, 1);
  EXPECT_EQ(s.Get(L"state_width"), L"160");
  EXPECT_EQ(s.Get(L"state_height"), L"120");
  EXPECT_EQ(s.Get(L"state_volume"), L"100");
  EXPECT_EQ(s.Get(L"state_playstop"), L"0");
  EXPECT_EQ(s.Get(L"state_asp"), L"0.75");
  EXPECT_EQ(s.Get(L"state_file"), L"");
  EXPECT_EQ(s.Get(L"no_such_variable"), L"");
  EXPECT_EQ(s.Get(L"ns.time"), L"0");
  // The frame's own settings before the host writes any.
  EXPECT_EQ(s.Get(L"_quality"), L"LOW");
  EXPECT_EQ(s.Get(L"imovie.smoothing"), L"false");
  EXPECT_EQ(s.Get(L"imovie.deblocking"), L"1");
  // The fit ran at start: 4:3 in 800 x 450.
  EXPECT_EQ(s.Get(L"imovie._width"), L"600");
  EXPECT_EQ(s.Get(L"imovie._x"), L"100");
}

TEST(Engine, AspectPresetsAndTheVideosOwnRatio) {
  Stage s;
  s.Set(L"state_aspect", L"16009");
  EXPECT_EQ(s.Get(L"state_asp"), L"0.5625");
  EXPECT_EQ(s.Get(L"imovie._width"), L"800");
  EXPECT_EQ(s.Get(L"imovie._height"), L"450");
  s.Set(L"state_aspect", L"21009");
  EXPECT_EQ(s.Get(L"imovie._width"), L"800");
  EXPECT_NEAR(s.Number(L"imovie._y"), (450 - 800.0 * 9 / 21) / 2, 1e-9);
  s.Set(L"state_aspect", L"4003");
  EXPECT_EQ(s.Get(L"state_asp_width"), L"4");
  EXPECT_EQ(s.Get(L"state_asp_height"), L"3");
  s.Set(L"state_aspect", L"0");  // back to the video's own size: 160 x 120 before any file
  EXPECT_EQ(s.Get(L"state_asp_width"), L"160");
  EXPECT_EQ(s.Get(L"state_asp"), L"0.75");
  // A resize of the panel refits.
  s.Resize(400, 400);
  EXPECT_EQ(s.Get(L"imovie._width"), L"400");
  EXPECT_EQ(s.Get(L"imovie._height"), L"300");
  EXPECT_EQ(s.Get(L"imovie._y"), L"50");
}

TEST(Engine, PictureSettingsFollowTheirVariables) {
  Stage s;
  s.Set(L"state_deblocking", L"2");
  EXPECT_EQ(s.Get(L"imovie.deblocking"), L"5");
  s.Set(L"state_deblocking", L"0");
  EXPECT_EQ(s.Get(L"imovie.deblocking"), L"0");
  s.Set(L"state_quality", L"2");
  EXPECT_EQ(s.Get(L"_quality"), L"HIGH");
  s.Set(L"state_quality", L"7");
  EXPECT_EQ(s.Get(L"_quality"), L"HIGH");
  EXPECT_EQ(s.Get(L"state_quality"), L"7");  // the written text is stored unchanged
  s.Set(L"state_smoothing", L"1");
  EXPECT_EQ(s.Get(L"imovie.smoothing"), L"true");
}

TEST(Engine, EveryClipKindReportsDurationSizeAndMovingTime) {
  struct Case { const wchar_t* clip; int width, height; double duration; };
  for (Case c : {Case{L"sorenson_mp3.flv", 320, 240, 3}, Case{L"h264_aac.flv", 320, 240, 3},
                 Case{L"h264_aac.mp4", 320, 240, 3}, Case{L"h264_aac_faststart.mp4", 320, 240, 3},
                 Case{L"anamorphic.mp4", 320, 180, 2}, Case{L"video_only.mp4", 320, 240, 3},
                 Case{L"long.mp4", 160, 120, 12.9}}) {
    SCOPED_TRACE(testing::Message() << std::string(c.clip, c.clip + wcslen(c.clip)));
    Stage s;
    s.PlayFile(c.clip);
    ASSERT_TRUE(s.WaitForMetadata());
    EXPECT_NEAR(s.Number(L"state_duration"), c.duration, 0.06);
    EXPECT_EQ(HostInt(s.Get(L"state_duration")), static_cast<long>(c.duration));  // whole seconds
    EXPECT_EQ(HostInt(s.Get(L"state_width")), c.width);
    EXPECT_EQ(HostInt(s.Get(L"state_height")), c.height);
    EXPECT_TRUE(s.WaitForTime(0.3));
    // The fit follows the video's own ratio.
    EXPECT_NEAR(s.Number(L"imovie._width") / s.Number(L"imovie._height"), double(c.width) / c.height, 0.01);
    EXPECT_GT(MediaEngineGetCounters(s.engine).framesShown, 0);
  }
}

TEST(Engine, EndOfStreamThenSeekClearsIt) {
  Stage s;
  s.PlayFile(L"h264_aac.mp4");
  ASSERT_TRUE(s.WaitForMetadata());
  ASSERT_TRUE(s.WaitForTime(1.0));
  EXPECT_EQ(s.Get(L"state_playstop"), L"0");
  ASSERT_TRUE(s.WaitForEnd());
  EXPECT_GT(s.Number(L"ns.time"), 2.8);  // only after the last picture and sound
  s.Set(L"state_seek", L"1");
  ASSERT_TRUE(WaitFor([&] { return s.Get(L"state_playstop") == L"0"; }));
  EXPECT_TRUE(s.WaitForTime(1.3));
  // A target past the end ends the stream again.
  s.Set(L"state_seek", L"99");
  EXPECT_TRUE(s.WaitForEnd());
}

TEST(Engine, SeekGoesToTheExactSecond) {
  Stage s;
  s.PlayFile(L"long.mp4");
  ASSERT_TRUE(s.WaitForMetadata());
  ASSERT_TRUE(s.WaitForTime(0.2));
  s.Set(L"state_seek", L"5");
  EXPECT_EQ(HostInt(s.Get(L"ns.time")), 5);
  ASSERT_TRUE(s.WaitForTime(5.2));
  EXPECT_LT(s.Number(L"ns.time"), 6.5);
  // A seek written right after the file, before it has even opened.
  s.PlayFile(L"long.mp4");
  s.Set(L"state_seek", L"8");
  ASSERT_TRUE(s.WaitForTime(8.1));
  EXPECT_LT(s.Number(L"ns.time"), 9.5);
  s.Set(L"state_seek", L"-3");
  EXPECT_EQ(s.Get(L"ns.time"), L"0");
  EXPECT_TRUE(s.WaitForTime(0.1));
}

TEST(Engine, PauseHoldsTheTimeAndResumeMovesIt) {
  Stage s;
  s.PlayFile(L"long.mp4");
  ASSERT_TRUE(s.WaitForTime(0.5));
  s.Set(L"state_pause", L"1");
  double held = s.Number(L"ns.time");
  Pump(0.5);
  EXPECT_EQ(s.Number(L"ns.time"), held);
  s.Set(L"state_pause", L"0");
  EXPECT_TRUE(WaitFor([&] { return s.Number(L"ns.time") > held + 0.2; }));
}

TEST(Engine, WritingTheSameFileAgainRestartsIt) {
  Stage s;
  s.PlayFile(L"long.mp4");
  ASSERT_TRUE(s.WaitForTime(1.5));
  s.PlayFile(L"long.mp4");
  EXPECT_LT(s.Number(L"ns.time"), 0.5);
  ASSERT_TRUE(s.WaitForTime(0.1));
  EXPECT_LT(s.Number(L"ns.time"), 1.0);
  s.Set(L"state_stop", L"1");
  s.Set(L"state_stop", L"1");  // twice in a row: no harm
  EXPECT_EQ(s.Get(L"ns.time"), L"0");
}

// Behind another window procedure too (the host subclasses the engine's window).
TEST(Engine, PictureShowsCentredAndStopLeavesOnlyBlack) {
  Stage s;
  static WNDPROC previous;
  static int seen;
  seen = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      s.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        ++seen;
        return CallWindowProcW(previous, h, m, w, l);
      })));
  s.PlayFile(L"red.mp4");
  // 4:3 in 800 x 450: the picture spans x 100..700, black bars left and right.
  ASSERT_TRUE(WaitFor([&] { return IsRed(s.Pixel(400, 225)); }));
  EXPECT_TRUE(IsRed(s.Pixel(110, 10)));
  EXPECT_TRUE(IsBlack(s.Pixel(50, 225)));
  EXPECT_TRUE(IsBlack(s.Pixel(750, 225)));
  EXPECT_GT(seen, 0);
  // A repaint draws the last picture again.
  InvalidateRect(s.Window(), nullptr, TRUE);
  s.Set(L"state_pause", L"1");
  Pump(0.1);
  EXPECT_TRUE(IsRed(s.Pixel(400, 225)));
  s.Set(L"state_stop", L"1");
  EXPECT_TRUE(WaitFor([&] { return IsBlack(s.Pixel(400, 225)); }, 2));
  Pump(0.3);
  EXPECT_TRUE(IsBlack(s.Pixel(400, 225)));
}

TEST(Engine, VolumeScalesTheSamples) {
  SoundTap tap;
  Stage s;
  MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
  s.PlayFile(L"long.mp4");
  ASSERT_TRUE(s.WaitForTime(0.5));
  Pump(0.3);
  float full = tap.peak.load();
  ASSERT_GT(full, 0.05f);
  struct Case { const wchar_t* volume; double scale; };
  for (Case c : {Case{L"50", 0.5}, Case{L"0", 0}, Case{L"250", 1.0}}) {  // 250: clamped to 100
    s.Set(L"state_volume", c.volume);
    Pump(0.3);  // what was already queued at the old volume passes
    tap.Reset();
    Pump(0.4);
    EXPECT_NEAR(tap.peak.load() / full, c.scale, 0.05) << "volume " << c.scale;
  }
  MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
}

// Sound alone, or beside a picture in a codec outside the build: it plays to its end.
TEST(Engine, SoundWithoutAPicturePlaysToItsEnd) {
  for (const wchar_t* clip : {L"audio_only.mp4", L"foreign_video.mp4"}) {
    SCOPED_TRACE(static_cast<int>(clip[0]));
    Stage s;
    s.PlayFile(clip);
    ASSERT_TRUE(s.WaitForMetadata());
    EXPECT_NEAR(s.Number(L"state_duration"), 3, 0.1);
    EXPECT_EQ(s.Get(L"state_width"), L"");  // no picture to play: no size in the metadata
    EXPECT_TRUE(s.WaitForEnd());
    EXPECT_GT(s.Number(L"ns.time"), 2.8);
  }
}

TEST(Engine, BadFilesNeverHangAndUnopenablePathsGiveNoSignal) {
  Stage s;
  s.PlayFile(L"no-such-file.mp4");
  Pump(0.5);
  EXPECT_EQ(s.Get(L"state_playstop"), L"0");
  EXPECT_EQ(s.Get(L"state_width"), L"160");
  s.Set(L"state_file", CopyClip(L"h264_aac.mp4", L"empty.mp4", 0));
  Pump(0.5);
  EXPECT_EQ(s.Get(L"state_playstop"), L"0");
  s.Set(L"state_file", CopyClip(L"h264_aac.mp4", L"moov_last_cut.mp4", 20000));  // index lost
  Pump(0.5);
  EXPECT_EQ(s.Get(L"state_playstop"), L"0");
  // A cut FLV plays what it holds and ends.
  std::ifstream in(MediaPath(L"h264_aac.flv").c_str(), std::ios::binary | std::ios::ate);
  size_t size = static_cast<size_t>(in.tellg());
  s.Set(L"state_file", CopyClip(L"h264_aac.flv", L"cut.flv", size / 2));
  EXPECT_TRUE(s.WaitForEnd());
  s.Set(L"state_playstop", L"0");
  s.Set(L"state_file", CopyClip(L"sorenson_mp3.flv", L"scrambled.flv", size_t(-1), true));
  EXPECT_TRUE(s.WaitForEnd());
  // A path with Japanese characters.
  s.Set(L"state_file", CopyClip(L"h264_aac_faststart.mp4", L"\u52d5\u753b\u30c6\u30b9\u30c8.mp4", size_t(-1)));
  s.Set(L"state_duration", L"0");
  EXPECT_TRUE(s.WaitForMetadata());
  EXPECT_TRUE(s.WaitForTime(0.2));
}

TEST(Engine, RapidCommandsNeverDeadlockAndReleaseJoinsQuickly) {
  Stage s;
  std::wstring a = MediaPath(L"long.mp4"), b = MediaPath(L"h264_aac.flv");
  ULONGLONG start = GetTickCount64();
  for (int i = 0; i < 200; ++i) {
    s.Set(L"state_file", i % 2 ? a : b);
    s.Set(L"state_stop", L"1");
    s.Set(L"state_file", i % 2 ? b : a);
    s.Set(L"state_seek", std::to_wstring(i % 7));
    s.Set(L"state_pause", i % 3 ? L"1" : L"0");
    if (i % 20 == 0) Pump(0.01);
  }
  // Generous: a thousand operations that never wait on a file or a decoder.
  EXPECT_LT(GetTickCount64() - start, 3000u);
  s.Set(L"state_pause", L"0");
  s.Set(L"state_seek", L"2");
  EXPECT_TRUE(s.WaitForTime(2.2));
  ULONGLONG before = GetTickCount64();
  Release(s.engine);
  s.engine = nullptr;
  EXPECT_LT(GetTickCount64() - before, 1000u);
  EXPECT_EQ(GetWindow(s.parent, GW_CHILD), nullptr);
}

TEST(Engine, ReleaseLeavesTheHostsQuitMessageInTheQueue) {
  Stage s;
  s.PlayFile(L"long.mp4");
  ASSERT_TRUE(s.WaitForMetadata());
  s.Set(L"state_seek", L"3");  // news on its way to the window while it goes
  PostQuitMessage(7);
  Release(s.engine);
  s.engine = nullptr;
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}
