// Files that real users have and that used to stall, silence, drift or blow up the engine, and
// damaged ones the media fuzz run found (tools/media-fuzz.sh makes them again): each made here
// from a build clip, then played to see that picture, sound and the end still come.
#include <algorithm>
#include <atomic>
#include <climits>
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

// An FLV file's tags (type 8 audio, 9 video, 18 script; time in ms), and tags back into a file.
struct FlvTag { uint8_t type; uint32_t time; Bytes data; };
std::vector<FlvTag> FlvTags(const Bytes& f) {
  std::vector<FlvTag> tags;
  auto u24 = [&](size_t at) { return uint32_t{f[at]} << 16 | uint32_t{f[at + 1]} << 8 | f[at + 2]; };
  for (size_t at = 9 + 4; at + 11 <= f.size() && at + 11 + u24(at + 1) <= f.size(); at += 11 + u24(at + 1) + 4)
    tags.push_back(FlvTag{f[at], u24(at + 4) | uint32_t{f[at + 7]} << 24,
                          Bytes(f.begin() + at + 11, f.begin() + at + 11 + u24(at + 1))});
  return tags;
}

Bytes FlvFile(const std::vector<FlvTag>& tags) {
  Bytes f = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
  auto put = [&](uint32_t v, int bytes) {
    while (bytes--) f.push_back(static_cast<uint8_t>(v >> (8 * bytes)));
  };
  for (const FlvTag& t : tags) {
    put(t.type, 1), put(static_cast<uint32_t>(t.data.size()), 3), put(t.time, 3), put(t.time >> 24, 1), put(0, 3);
    f.insert(f.end(), t.data.begin(), t.data.end());
    put(static_cast<uint32_t>(t.data.size() + 11), 4);
  }
  return f;
}

size_t Find(const Bytes& d, const char* box) { return std::search(d.begin(), d.end(), box, box + 4) - d.begin(); }

// The clip with every tag changed by edit.
Bytes Edited(const wchar_t* clip, void (*edit)(FlvTag&)) {
  std::vector<FlvTag> tags = FlvTags(ReadClip(clip));
  for (FlvTag& t : tags) edit(t);
  return FlvFile(tags);
}

// The H.263 picture header spells the size out 33 bits in.
template <uint16_t width, uint16_t height> void Resized(FlvTag& t) {
  if (t.type == 9) Bits(t.data, 8 + 33, 16, width), Bits(t.data, 8 + 49, 16, height);
}

// Two clips joined in one FLV, the second's tags shifted.
Bytes Spliced(const wchar_t* first, const wchar_t* second, uint32_t shiftMs) {
  std::vector<FlvTag> tags = FlvTags(ReadClip(first));
  for (FlvTag t : FlvTags(ReadClip(second))) {
    if (t.type == 18) continue;  // the first clip's metadata stays the file's
    t.time += shiftMs;
    tags.push_back(t);
  }
  return FlvFile(tags);
}

// The last frame claims hours; the container says 3.04 s.
Bytes HugeLastFrame() {
  Bytes d = ReadClip(L"last_alone.mp4");
  size_t stts = Find(d, "stts"), mdhd = Find(d, "mdhd");
  if (stts == d.size() || mdhd == d.size()) {
    ADD_FAILURE() << "no stts or mdhd box";
    return d;
  }
  Bits(d, (stts + 8 + 8 * Bits(d, (stts + 8) * 8, 32)) * 8, 32, 0x10000000);  // the last entry's delta
  Bits(d, (mdhd + 20) * 8, 32, Bits(d, (mdhd + 20) * 8, 32) + 0x10000000);    // and the track agrees
  return d;
}

// The clip's first size bytes (0: half of it), then garbage bytes of noise.
Bytes Cut(const wchar_t* clip, size_t size, size_t garbage = 0) {
  Bytes b = ReadClip(clip);
  b.resize(size ? size : b.size() / 2);
  for (size_t i = 0; i < garbage; ++i) b.push_back(uint8_t(i * 7919 % 251));
  return b;
}

Bytes Scrambled(const wchar_t* clip) {
  Bytes b = ReadClip(clip);
  for (size_t i = b.size() / 3; i < b.size(); i += 97) b[i] = uint8_t(b[i] * 31 + 7);
  return b;
}

}  // namespace

// Each file plays what it holds and ends, so that a list goes on past it: video that decodes
// nothing (a codec that rejects every packet, no parameter sets) or pictures past the size limit
// give way to the sound and the picture stays black, up to 8K plays; a spliced file (a jump in
// the timestamps, or a new picture size) plays through; a gap in the sound, the picture or both
// keeps its time; a huge last frame does not hold the end back; stamps far past the end or at
// random, or a file broken anywhere, end.
TEST(Streams, CraftedFilesPlayWhatTheyHoldAndEnd) {
  struct Expect {
    double seekAfter = -1;  // the time played before the seek (waited for at most 12 s)
    const wchar_t* seekTo = L"0";
    double sound = 0;  // seconds heard at least
    long frames = 0, framesAtMost = LONG_MAX;
    double shown = 0;  // the newest picture's time at least
    double timeBelow = 1e9, timeAbove = 0;  // at the end
    const wchar_t* height = nullptr;
  };
  const struct {
    const wchar_t* name;
    Bytes bytes;
    Expect e;
  } cases[] = {
      {L"rejected.flv", Edited(L"long_pcm.flv", [](FlvTag& t) {  // AVC sent to H.263
         if (t.type == 9) t.data[0] = (t.data[0] & 0xF0) | 2;
       }), {1.5, L"98", 3.0, 0, 0}},  // 100 s, larger than the reader holds: its end cannot rescue it
      {L"no_parameter_sets.flv", Edited(L"long_pcm.flv", [](FlvTag& t) {
         Bytes& d = t.data;
         if (t.type == 9 && d[1] == 0) d = {d[0], 0, 0, 0, 0, d[5], d[6], d[7], d[8], d[9], 0xE0, 0};
       }), {1.5, L"98", 3.0, 0, 0}},
      {L"8k.flv", Edited(L"sorenson_wide.flv", Resized<7680, 4320>), {.frames = 1}},
      {L"16k.flv", Edited(L"sorenson_wide.flv", Resized<16384, 8192>), {.sound = 2.0, .framesAtMost = 0}},
      {L"spliced_forward.flv", Spliced(L"h264_aac.flv", L"h264_aac.flv", 100000),
       {.sound = 5.0, .frames = 120, .height = L"240"}},  // of 6 s and 150 pictures
      {L"spliced_back.flv", Spliced(L"h264_aac.flv", L"h264_aac.flv", 0),
       {.sound = 5.0, .frames = 120, .height = L"240"}},
      {L"spliced_resized.flv", Spliced(L"sorenson_mp3.flv", L"sorenson_wide.flv", 3000),
       {.sound = 5.0, .frames = 120, .height = L"176"}},
      {L"picture_gap.flv", Edited(L"h264_aac.flv", [](FlvTag& t) {
         if (t.type == 9 && t.time >= 1000) t.time += 1500;
       }), {.shown = 4.3}},  // the last picture: 2.96 + 1.5
      {L"huge_last_frame.mp4", HugeLastFrame(), {.timeBelow = 3.2}},
      // Gaps in the stamps are kept: silence plays, the still picture stays, and the end comes
      // where the stamps put it.
      {L"gap_in_sound.flv", ReadClip(L"sound_gap.flv"), {.timeAbove = 5.4}},
      {L"gap_in_pictures_alone.mp4", ReadClip(L"picture_gap.mp4"), {.shown = 4.4, .timeAbove = 4.4}},
      {L"gap_in_both.flv", ReadClip(L"gap_both.flv"), {.shown = 5.9, .timeAbove = 5.9}},
      // A bogus jump of about an hour in the sound or in the pictures, or every tag stamped at
      // random; then a seek to the start, as the fuzz run makes: it lands anywhere in such a file.
      {L"sound_far_ahead.flv", Edited(L"sorenson_mp3.flv", [](FlvTag& t) {
         if (t.type == 8 && t.time > 1000) t.time += 4000000;
       }), {0.3}},
      {L"pictures_far_ahead.flv", Edited(L"sorenson_mp3.flv", [](FlvTag& t) {
         if (t.type == 9 && t.time > 1000) t.time += 4000000;
       }), {0.3}},
      {L"random_stamps.flv", Edited(L"sorenson_mp3.flv", [](FlvTag& t) {
         static uint32_t x = 1;
         t.time = x = x * 1103515245u + 12345u;
       }), {0.3}},
      // Files that cannot open show nothing and end; damaged ones play what they hold first.
      {L"empty.mp4", {}, {.framesAtMost = 0}},
      {L"moov_last_cut.mp4", Cut(L"h264_aac.mp4", 20000), {.framesAtMost = 0}},  // the index lost
      {L"ftyp_then_garbage.mp4", Cut(L"h264_aac.mp4", 32, 20000), {.framesAtMost = 0}},  // the ftyp box, 32 bytes
      {L"header_then_garbage.flv", Cut(L"h264_aac.flv", 13, 20000), {.framesAtMost = 0}},
      {L"cut.flv", Cut(L"h264_aac.flv", 0), {.sound = 1.0, .frames = 25}},  // the first half of 3 s
      {L"scrambled.flv", Scrambled(L"sorenson_mp3.flv"), {.sound = 0.5, .frames = 15}},  // whole for 1 s
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name);
    const Expect& e = c.e;
    Stage s;
    s.Listen();
    s.Set(L"state_file", WriteClip(c.name, c.bytes));
    if (e.seekAfter >= 0) {
      WaitFor([&] { return s.Number(L"ns.time") > e.seekAfter; }, 12);
      s.Set(L"state_seek", e.seekTo);
    }
    // Generous bounds: a busy machine decodes 8K slowly.
    EXPECT_TRUE(WaitFor([&] { return s.Counters().framesShown >= e.frames; }, 60));
    EXPECT_TRUE(s.WaitForEnd(60));
    EXPECT_GE(s.tap.Seconds(), e.sound);
    EXPECT_LE(s.Counters().framesShown, e.framesAtMost);
    EXPECT_GE(s.Counters().shownTime, e.shown);
    EXPECT_LT(s.Number(L"ns.time"), e.timeBelow);
    EXPECT_GE(s.Number(L"ns.time"), e.timeAbove);
    if (e.height) {
      EXPECT_EQ(s.Get(L"state_height"), e.height);
    }
  }
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

// A seek into a gap of both streams lands after its target: the clock starts where they land,
// so the picture shown there is the clock's and does not stand frozen for the overshoot.
TEST(Streams, ASeekThatOvershootsStartsWhereItLanded) {
  Stage s;
  s.PlayFile(L"gap_both.flv");  // nothing from 1 s to 4 s
  ASSERT_TRUE(s.WaitForTime(0.3));
  s.Set(L"state_seek", L"2");
  ASSERT_TRUE(s.WaitForTime(2.0));  // started
  EXPECT_GE(s.Number(L"ns.time"), 3.99);
}

// Pictures slow to come are not taken for a stream that decodes nothing: many frame threads
// holding more than a second of a 10 a second clip back, and a file whose first key picture
// comes after 3 s of pictures that cannot be decoded without one. One that comes after 11 s is
// given up, the sound playing alone, until its first picture. The picture shows from its first.
TEST(Streams, PicturesSlowToComeStillShow) {
  auto keysCut = [](double before) {  // key pictures (frame type 1, not the parameters) go
    std::vector<FlvTag> tags = FlvTags(ReadClip(L"late_key.flv"));
    std::erase_if(tags, [&](const FlvTag& t) {
      return t.type == 9 && t.data.size() > 1 && (t.data[0] >> 4) == 1 && t.data[1] == 1 && t.time < before * 1000;
    });
    return FlvFile(tags);
  };
  const struct { const wchar_t* name; Bytes bytes; int threads; double firstShown; long giveUps; } cases[] = {
      {L"ten_fps_16_threads.mp4", ReadClip(L"ten_fps.mp4"), 16, 0, 0},
      {L"key_at_3s.flv", keysCut(1), 0, 2.9, 0},
      {L"key_at_11s.flv", keysCut(4), 0, 10.9, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name);
    Stage s;
    s.Listen();
    MediaEngineSetDecoderThreads(s.engine, c.threads);
    s.Set(L"state_file", WriteClip(c.name, c.bytes));
    ASSERT_TRUE(WaitFor([&] { return s.Counters().framesShown > 0; }, 20));
    EXPECT_GE(s.Counters().shownTime, c.firstShown);
    EXPECT_EQ(s.Counters().pictureGiveUps, c.giveUps);
    ASSERT_TRUE(s.WaitForTime(c.firstShown + 1));
    EXPECT_GT(s.Counters().framesShown, 5);
    EXPECT_GT(s.tap.Seconds(), (c.firstShown + 1) / 2);  // the sound from the start
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
    WaitForSingleObject(quiet, 60000);  // then silence, until the test is over
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
  EXPECT_LT(GetTickCount64() - before, 20000u);  // long before the writer gives up
  SetEvent(quiet);
  writer.join();
  CloseHandle(quiet);
}
