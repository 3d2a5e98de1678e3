// Files that real users have and that used to stall, silence, drift or blow up the engine: each
// made here from a build clip, then played to see that picture, sound and the end still come.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine_test_support.h"

namespace {

// Reads count bits at a bit offset, most significant first; writes value there when one is given.
uint32_t Bits(Bytes& d, size_t bit, int count, int64_t value = -1) {
  uint32_t old = 0;
  for (int i = count - 1; i >= 0; --i, ++bit) {
    uint8_t mask = static_cast<uint8_t>(0x80 >> (bit % 8));
    old = old << 1 | ((d[bit / 8] & mask) != 0);
    if (value >= 0) d[bit / 8] = (value >> i) & 1 ? d[bit / 8] | mask : d[bit / 8] & ~mask;
  }
  return old;
}

// The clip with every video tag changed by edit.
std::wstring EditVideo(const wchar_t* clip, void (*edit)(Bytes&)) {
  std::vector<FlvTag> tags = FlvTags(ReadClip(clip));
  for (FlvTag& t : tags)
    if (t.type == 9) edit(t.data);
  return WriteClip(L"edited.flv", FlvFile(tags));
}

size_t Find(const Bytes& d, const char* box) { return std::search(d.begin(), d.end(), box, box + 4) - d.begin(); }

}  // namespace

// Video that decodes nothing (a codec that rejects every packet, no parameter sets) or pictures
// past the size limit give way to the sound, to the end; the picture stays black. Up to 8K plays.
TEST(Streams, VideoThatDecodesNothingLetsTheSoundPlayToTheEnd) {
  static uint16_t width, height;
  struct Case { const wchar_t* clip; void (*edit)(Bytes&); uint16_t width, height; bool pictures; };
  auto rejected = [](Bytes& d) { d[0] = (d[0] & 0xF0) | 2; };  // AVC sent to H.263
  auto noParameterSets = [](Bytes& d) {
    if (d[1] == 0) d = {d[0], 0, 0, 0, 0, d[5], d[6], d[7], d[8], d[9], 0xE0, 0};
  };
  auto resized = [](Bytes& d) {  // the H.263 picture header spells the size out 33 bits in
    Bits(d, 8 + 33, 16, width);
    Bits(d, 8 + 49, 16, height);
  };
  for (Case c : {Case{L"long_pcm.flv", rejected}, Case{L"long_pcm.flv", noParameterSets},
                 Case{L"sorenson_wide.flv", resized, 7680, 4320, true},
                 Case{L"sorenson_wide.flv", resized, 16384, 8192, false}}) {
    SCOPED_TRACE(testing::Message() << c.width);
    width = c.width, height = c.height;
    Stage s;
    s.Listen();
    s.Set(L"state_file", EditVideo(c.clip, c.edit));
    if (c.pictures) {
      EXPECT_TRUE(WaitFor([&] { return s.Counters().framesShown > 0; }, 20));
      continue;
    }
    ASSERT_TRUE(s.WaitForTime(1.5, 12));
    EXPECT_GT(s.tap.Seconds(), 1.0);
    if (!c.width) s.Set(L"state_seek", L"98");  // a file larger than the reader holds: its end cannot rescue it
    EXPECT_TRUE(s.WaitForEnd(12));
    EXPECT_GT(s.tap.Seconds(), 2.0);
    EXPECT_EQ(s.Counters().framesShown, 0);
  }
}

// The last frame claims hours; the container says 3.04 s: the file ends there.
TEST(Streams, AHugeLastFrameDurationDoesNotHoldTheEndBack) {
  Bytes d = ReadClip(L"last_alone.mp4");
  size_t stts = Find(d, "stts"), mdhd = Find(d, "mdhd");
  ASSERT_LT(stts, d.size());
  Bits(d, (stts + 8 + 8 * Bits(d, (stts + 8) * 8, 32)) * 8, 32, 0x10000000);  // the last entry's delta
  Bits(d, (mdhd + 20) * 8, 32, Bits(d, (mdhd + 20) * 8, 32) + 0x10000000);    // and the track agrees
  Stage s;
  s.Set(L"state_file", WriteClip(L"huge_last_frame.mp4", d));
  EXPECT_TRUE(s.WaitForEnd(10));
  EXPECT_LT(s.Number(L"ns.time"), 3.2);
}

// Sound long after the picture has ended: the reader takes a bounded part of it in, and a seek
// past the last picture starts at the target, with sound, and never jumps back.
TEST(Streams, ASoundOnlyTailIsReadInPartsAndSeeksStartAtTheTarget) {
  struct Case { const wchar_t* clip; double target; };
  for (Case c : {Case{L"short_tail.mp4", 2}, Case{L"tail.mp4", 5}}) {  // tail: 120 s, 5,168 packets
    SCOPED_TRACE(c.target);
    Stage s;
    s.Listen();
    s.PlayFile(c.clip);
    ASSERT_TRUE(s.WaitForTime(1.2));
    EXPECT_LT(s.Counters().packetsHeldPeak, 2500);
    s.Set(L"state_seek", std::to_wstring(c.target));
    double lowest = c.target;
    EXPECT_TRUE(WaitFor([&] {
      lowest = std::min(lowest, s.Number(L"ns.time"));
      return s.Number(L"ns.time") > c.target + 0.4;
    }));
    EXPECT_GE(lowest, c.target - 0.01);
    EXPECT_GT(s.tap.Seconds(), 0.2);
  }
}

// A decoder too slow for the clip (slowed down here on purpose): the picture keeps up anyway by
// dropping late pictures and skipping the ones nothing refers to.
TEST(Streams, LateVideoCatchesUpWithTheClock) {
  Stage s;
  MediaEngineSetDecodeDelay(s.engine, 60);  // 16 pictures a second for a 25 a second clip
  s.PlayFile(L"bframes.mp4");
  ASSERT_TRUE(s.WaitForTime(6, 15));
  EXPECT_LT(s.Number(L"ns.time") - s.Counters().shownTime, 1.0);
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
    Stage s;
    s.Listen();
    s.Set(L"state_file", WriteClip(L"spliced.flv", FlvFile(tags)));
    EXPECT_TRUE(s.WaitForEnd(15));
    EXPECT_GT(s.tap.Seconds(), 5.0);  // of 6
    EXPECT_GT(s.Counters().framesShown, 120);  // of 150
    EXPECT_EQ(s.Get(L"state_height"), c.height);
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
  EXPECT_GT(s.Counters().shownTime, 4.3);  // the last picture: 2.96 + 1.5
}

// Release while the reader waits on a file that stopped answering (a pipe whose writer went
// quiet stands in for a vanished share): the read is cancelled and Release returns.
TEST(Streams, ReleaseDoesNotWaitForABlockedRead) {
  const wchar_t* name = L"\\\\.\\pipe\\nimbrel-engine-stalled";
  HANDLE pipe = CreateNamedPipeW(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  HANDLE quiet = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<size_t> sent{0};
  Bytes clip = ReadClip(L"h264_aac.flv");
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
