// Files that real users have and that used to stall, silence, drift or blow up the engine: each
// made here from a build clip, then played to see that picture, sound and the end still come.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine/player/media_engine_probe.h"
#include "engine_test_support.h"

namespace {

long Shown(Stage& s) { return MediaEngineGetCounters(s.engine).framesShown; }

// Reads or writes count bits at a bit offset, most significant first.
uint32_t Bits(const std::vector<uint8_t>& d, size_t bit, int count) {
  uint32_t v = 0;
  for (int i = 0; i < count; ++i, ++bit) v = v << 1 | (d[bit / 8] >> (7 - bit % 8) & 1);
  return v;
}
void PutBits(std::vector<uint8_t>& d, size_t bit, int count, uint32_t v) {
  for (int i = count - 1; i >= 0; --i, ++bit) {
    uint8_t mask = static_cast<uint8_t>(0x80 >> (bit % 8));
    d[bit / 8] = (v >> i) & 1 ? d[bit / 8] | mask : d[bit / 8] & ~mask;
  }
}

// The clip with every video tag changed by edit.
std::wstring EditVideo(const wchar_t* clip, const wchar_t* name, void (*edit)(std::vector<uint8_t>&)) {
  std::vector<FlvTag> tags = FlvTags(ReadClip(clip));
  for (FlvTag& t : tags)
    if (t.type == 9) edit(t.data);
  return WriteClip(name, FlvFile(tags));
}

size_t Find(const std::vector<uint8_t>& d, const char* box) {
  return std::search(d.begin(), d.end(), box, box + 4) - d.begin();
}

}  // namespace

// A video stream that decodes nothing gives way to the sound; the picture stays black. The file
// is larger than the reader holds, so its end cannot rescue it.
TEST(Streams, VideoThatDecodesNothingLetsTheSoundPlayToTheEnd) {
  struct Case { const wchar_t* name; void (*edit)(std::vector<uint8_t>&); };
  for (Case c : {Case{L"rejected.flv", [](std::vector<uint8_t>& d) { d[0] = (d[0] & 0xF0) | 2; }},  // AVC sent to H.263
                 Case{L"no_parameter_sets.flv", [](std::vector<uint8_t>& d) {
                   if (d[1] == 0) d = {d[0], 0, 0, 0, 0, d[5], d[6], d[7], d[8], d[9], 0xE0, 0};  // no SPS, no PPS
                 }}}) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.name[0]));
    SoundTap tap;
    Stage s;
    MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
    s.Set(L"state_file", EditVideo(L"long_pcm.flv", c.name, c.edit));
    ASSERT_TRUE(s.WaitForTime(1.5));
    EXPECT_GT(tap.Seconds(), 1.0);
    s.Set(L"state_seek", L"98");
    EXPECT_TRUE(s.WaitForEnd());
    EXPECT_EQ(Shown(s), 0);
    MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
  }
}

// The last frame claims hours; the container says 3.04 s: the file ends there.
TEST(Streams, AHugeLastFrameDurationDoesNotHoldTheEndBack) {
  std::vector<uint8_t> d = ReadClip(L"last_alone.mp4");
  size_t stts = Find(d, "stts"), mdhd = Find(d, "mdhd");
  ASSERT_LT(stts, d.size());
  PutBits(d, (stts + 8 + 8 * Bits(d, (stts + 8) * 8, 32)) * 8, 32, 0x10000000);  // the last entry's delta
  PutBits(d, (mdhd + 20) * 8, 32, Bits(d, (mdhd + 20) * 8, 32) + 0x10000000);     // and the track agrees
  Stage s;
  s.Set(L"state_file", WriteClip(L"huge_last_frame.mp4", d));
  EXPECT_TRUE(s.WaitForEnd(10));
  EXPECT_LT(s.Number(L"ns.time"), 3.2);
}

// Up to 8K pictures play; a larger one plays its sound alone instead of taking gigabytes.
TEST(Streams, PicturesOverTheSizeLimitPlayTheirSoundAlone) {
  struct Case { uint16_t width, height; bool pictures; };
  for (Case c : {Case{7680, 4320, true}, Case{16384, 8192, false}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    static Case current;
    current = c;
    SoundTap tap;
    Stage s;
    MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
    // The H.263 picture header spells the size out 33 bits in (after the FLV byte).
    s.Set(L"state_file", EditVideo(L"sorenson_wide.flv", L"resized.flv", [](std::vector<uint8_t>& d) {
      PutBits(d, 8 + 33, 16, current.width);
      PutBits(d, 8 + 49, 16, current.height);
    }));
    if (c.pictures) {
      EXPECT_TRUE(WaitFor([&] { return Shown(s) > 0; }, 20));
    } else {
      EXPECT_TRUE(s.WaitForEnd(12));
      EXPECT_GT(tap.Seconds(), 2.0);
      EXPECT_EQ(Shown(s), 0);
    }
    MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
  }
}

// Sound long after the picture has ended: the reader takes a bounded part of it in, and a seek
// past the last picture starts at the target, with sound, and never jumps back.
TEST(Streams, ASoundOnlyTailIsReadInPartsAndSeeksStartAtTheTarget) {
  struct Case { const wchar_t* clip; double target; };
  for (Case c : {Case{L"short_tail.mp4", 2}, Case{L"tail.mp4", 5}}) {  // tail: 120 s, 5,168 packets
    SCOPED_TRACE(c.target);
    SoundTap tap;
    Stage s;
    MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
    s.PlayFile(c.clip);
    ASSERT_TRUE(s.WaitForTime(1.2));
    EXPECT_LT(MediaEngineGetCounters(s.engine).packetsHeldPeak, 2500);
    s.Set(L"state_seek", std::to_wstring(c.target));
    double lowest = c.target;
    EXPECT_TRUE(WaitFor([&] {
      lowest = std::min(lowest, s.Number(L"ns.time"));
      return s.Number(L"ns.time") > c.target + 0.4;
    }));
    EXPECT_GE(lowest, c.target - 0.01);
    EXPECT_GT(tap.Seconds(), 0.2);
    MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
  }
}

// A decoder too slow for the clip (slowed down here on purpose): the picture keeps up anyway by
// dropping late pictures and skipping the ones nothing refers to.
TEST(Streams, LateVideoCatchesUpWithTheClock) {
  Stage s;
  MediaEngineSetDecodeDelay(s.engine, 60);  // 16 pictures a second for a 25 a second clip
  s.PlayFile(L"bframes.mp4");
  ASSERT_TRUE(s.WaitForTime(6, 15));
  EXPECT_LT(s.Number(L"ns.time") - MediaEngineGetCounters(s.engine).shownTime, 1.0);
}

// Two clips joined in one FLV: a jump in the timestamps, or a new picture size, plays through.
TEST(Streams, SplicedFilesPlayThroughTheSplice) {
  struct Case { const wchar_t *first, *second; uint32_t shiftMs; const wchar_t* height; };
  for (Case c : {Case{L"h264_aac.flv", L"h264_aac.flv", 100000, L"240"},   // far forward
                 Case{L"h264_aac.flv", L"h264_aac.flv", 0, L"240"},        // back to the start
                 Case{L"sorenson_mp3.flv", L"sorenson_wide.flv", 3000, L"176"}}) {  // new size
    SCOPED_TRACE(c.shiftMs);
    std::vector<FlvTag> tags = FlvTags(ReadClip(c.first));
    for (FlvTag t : FlvTags(ReadClip(c.second))) {
      if (t.type == 18) continue;  // the first clip's metadata stays the file's
      t.time += c.shiftMs;
      tags.push_back(t);
    }
    SoundTap tap;
    Stage s;
    MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
    s.Set(L"state_file", WriteClip(L"spliced.flv", FlvFile(tags)));
    EXPECT_TRUE(s.WaitForEnd(15));
    EXPECT_GT(tap.Seconds(), 5.0);  // of 6
    EXPECT_GT(Shown(s), 120);       // of 150
    EXPECT_EQ(s.Get(L"state_height"), c.height);
    MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
  }
}

// A gap in the picture alone is no jump: the pictures after it keep their time beside the sound.
TEST(Streams, AGapInThePictureAloneKeepsItsTime) {
  std::vector<FlvTag> tags = FlvTags(ReadClip(L"h264_aac.flv"));
  for (FlvTag& t : tags)
    if (t.type == 9 && t.time >= 1000) t.time += 1500;
  Stage s;
  s.Set(L"state_file", WriteClip(L"picture_gap.flv", FlvFile(tags)));
  EXPECT_TRUE(s.WaitForEnd(15));
  EXPECT_GT(MediaEngineGetCounters(s.engine).shownTime, 4.3);  // the last picture: 2.96 + 1.5
}

// Release while the reader waits on a file that stopped answering (a pipe whose writer went
// quiet stands in for a vanished share): the read is cancelled and Release returns.
TEST(Streams, ReleaseDoesNotWaitForABlockedRead) {
  const wchar_t* name = L"\\\\.\\pipe\\nimbrel-engine-stalled";
  HANDLE pipe = CreateNamedPipeW(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  HANDLE quiet = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<size_t> sent{0};
  std::vector<uint8_t> clip = ReadClip(L"h264_aac.flv");
  std::thread writer([&] {
    DWORD n = 0;
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED)
      for (size_t at = 0; at < clip.size() / 3 && WriteFile(pipe, &clip[at], 4096, &n, nullptr); at += n) sent = at + n;
    WaitForSingleObject(quiet, 10000);  // then silence, until the test is over
    CloseHandle(pipe);
  });
  Stage s;
  s.Set(L"state_file", name);
  // A second of the clip has gone through: still probing the streams, the reader waits for more.
  EXPECT_TRUE(WaitFor([&] { return sent >= clip.size() / 3; }));
  Pump(0.5);
  ULONGLONG before = GetTickCount64();
  Release(s.engine);
  s.engine = nullptr;
  EXPECT_LT(GetTickCount64() - before, 2500u);
  SetEvent(quiet);
  writer.join();
  CloseHandle(quiet);
}
