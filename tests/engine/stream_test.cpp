// Files that used to stall, silence or blow up the engine, made here from the build's clips.
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

// FLV clips joined (the first's metadata only), each tag (8 sound, 9 picture) edited or dropped.
struct FlvTag { uint8_t type; uint32_t time; Bytes data; };
using TagEdit = std::function<bool(FlvTag&, int clip)>;
Bytes Flv(std::vector<const wchar_t*> clips, const TagEdit& edit) {
  Bytes out = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
  auto put = [&](uint32_t v, int bytes) {
    while (bytes--) out.push_back(static_cast<uint8_t>(v >> (8 * bytes)));
  };
  for (int n = 0; n < static_cast<int>(clips.size()); ++n) {
    Bytes f = ReadClip(clips[n]);
    auto u24 = [&](size_t at) { return uint32_t{f[at]} << 16 | uint32_t{f[at + 1]} << 8 | f[at + 2]; };
    for (size_t at = 13; at + 11 <= f.size() && at + 11 + u24(at + 1) <= f.size(); at += 15 + u24(at + 1)) {
      auto data = f.begin() + at + 11;
      FlvTag t{f[at], u24(at + 4) | uint32_t{f[at + 7]} << 24, Bytes(data, data + u24(at + 1))};
      if ((n && t.type == 18) || !edit(t, n)) continue;
      put(t.type, 1), put(uint32_t(t.data.size()), 3), put(t.time, 3), put(t.time >> 24, 1), put(0, 3);
      out.insert(out.end(), t.data.begin(), t.data.end());
      put(uint32_t(t.data.size() + 11), 4);
    }
  }
  return out;
}

TagEdit Shift(uint32_t ms) { return [=](FlvTag& t, int clip) { return t.time += clip * ms, true; }; }
TagEdit Resize(int width, int height) {  // the H.263 picture header spells the size out 33 bits in
  return [=](FlvTag& t, int) {
    return t.type != 9 || (Bits(t.data, 41, 16, width), Bits(t.data, 57, 16, height), true);
  };
}
TagEdit FarAhead(uint8_t type) {  // a bogus jump of about an hour
  return [=](FlvTag& t, int) { return t.time += t.type == type && t.time > 1000 ? 4000000 : 0, true; };
}

// The last frame claims hours; the container says 3.04 s.
Bytes HugeLastFrame() {
  Bytes d = ReadClip(L"last_alone.mp4");
  auto find = [&](const char* box) { return std::search(d.begin(), d.end(), box, box + 4) - d.begin(); };
  size_t stts = find("stts"), mdhd = find("mdhd");
  if (stts == d.size() || mdhd == d.size()) return ADD_FAILURE() << "no stts or mdhd box", d;
  Bits(d, (stts + 8 + 8 * Bits(d, (stts + 8) * 8, 32)) * 8, 32, 0x10000000);  // the last entry's delta
  Bits(d, (mdhd + 20) * 8, 32, Bits(d, (mdhd + 20) * 8, 32) + 0x10000000);    // and the track agrees
  return d;
}

}  // namespace

// Each crafted file plays what it holds and ends where its stamps say, so that a list goes on.
TEST(Streams, CraftedFilesPlayWhatTheyHoldAndEnd) {
  struct Expect {
    double seekAfter = -1;  // the time played before the seek
    const wchar_t* seekTo = L"0";
    double sound = 0;  // seconds heard at least (about 2/3: a busy machine drops late sound)
    long frames = 0, framesAtMost = LONG_MAX;
    double shown = 0, timeBelow = 1e9, timeAbove = 0;  // the newest picture's time at least; the end
    const wchar_t* height = nullptr;
    long threads = 0, giveUps = -1;  // giveUps -1: any
    double landsAt = 0;  // the time at least once the seek has started
  };
  auto keysFrom = [](uint32_t ms) {  // only the key pictures (frame type 1, not parameters) from ms on
    return Flv({L"late_key.flv"}, [=](FlvTag& t, int) {
      return t.type != 9 || t.data.size() < 2 || t.data[0] >> 4 != 1 || t.data[1] != 1 || t.time >= ms;
    });
  };
  auto avcAsH263 = [](FlvTag& t, int) { return t.type != 9 || (t.data[0] = (t.data[0] & 0xF0) | 2, true); };
  const wchar_t *both = L"h264_aac.flv", *h263 = L"sorenson_mp3.flv", *wide = L"sorenson_wide.flv";
  const Expect spliced{.sound = 4.0, .frames = 120, .height = L"240"};
  const struct { std::wstring path; Expect e; } cases[] = {
      // 100 s, more than the reader holds: its end cannot rescue it.
      {WriteClip(L"rejected.flv", Flv({L"long_pcm.flv"}, avcAsH263)), {1.5, L"98", 2.5, 0, 0}},
      {WriteClip(L"8k.flv", Flv({wide}, Resize(7680, 4320))), {.frames = 1}},  // 16K: past the limit
      {WriteClip(L"16k.flv", Flv({wide}, Resize(16384, 8192))), {.sound = 1.0, .framesAtMost = 0}},
      {WriteClip(L"spliced_forward.flv", Flv({both, both}, Shift(100000))), spliced},  // of 6 s, 150 pictures
      {WriteClip(L"spliced_back.flv", Flv({both, both}, Shift(0))), spliced},
      {WriteClip(L"spliced_resized.flv", Flv({h263, wide}, Shift(3000))),
       {.sound = 4.0, .frames = 120, .height = L"176"}},
      {WriteClip(L"huge_last_frame.mp4", HugeLastFrame()), {.timeBelow = 3.2}},
      {Clip(L"sound_gap.flv"), {.timeAbove = 5.4}},  // silence plays in the gap
      {Clip(L"picture_gap.mp4"), {.shown = 4.4, .timeAbove = 4.4}},  // the still picture stays, no sound
      // Nothing from 1 s to 4 s: a seek into it starts where both streams land.
      {Clip(L"gap_both.flv"),
       {.seekAfter = 0.3, .seekTo = L"2", .shown = 5.9, .timeAbove = 5.9, .landsAt = 3.99}},
      // Pictures slow to come are not given up; a first key picture after 11 s is, until it comes.
      {Clip(L"ten_fps.mp4"), {.sound = 2.0, .frames = 25, .shown = 2.8, .threads = 16, .giveUps = 0}},
      {WriteClip(L"key_at_3s.flv", keysFrom(1000)), {.sound = 8, .frames = 20, .shown = 11.5, .giveUps = 0}},
      {WriteClip(L"key_at_11s.flv", keysFrom(4000)), {.sound = 8, .frames = 20, .shown = 11.5, .giveUps = 1}},
      // Then a seek to the start, as the fuzz run makes: it lands anywhere in such a file.
      {WriteClip(L"sound_far_ahead.flv", Flv({h263}, FarAhead(8))), {0.3}},
      {WriteClip(L"pictures_far_ahead.flv", Flv({h263}, FarAhead(9))), {0.3}},
      {WriteClip(L"header_then_garbage.flv", Damaged(both, 13, 20000)), {.framesAtMost = 0}},  // cannot open
      {WriteClip(L"cut.flv", Damaged(both, 0)), {.sound = 0.7, .frames = 25}},  // the first half of 3 s
      {WriteClip(L"scrambled.flv", Damaged(h263, 0, 0, true)), {.sound = 0.4, .frames = 15}},  // 1 s whole
  };
  for (const auto& [path, e] : cases) {
    SCOPED_TRACE(Utf8(path));
    Stage s;
    s.Listen();
    if (e.threads) MediaEngineSetDecoderThreads(s.engine, e.threads);
    s.Set(L"state_file", path);
    if (e.seekAfter >= 0) s.WaitForTime(e.seekAfter, 12), s.Set(L"state_seek", e.seekTo);
    double landed = e.landsAt ? (s.WaitForTime(std::wcstod(e.seekTo, nullptr)), s.Number(L"ns.time")) : 0;
    EXPECT_TRUE(WaitFor([&] { return s.Counters().framesShown >= e.frames; }, 60));  // 8K decodes slowly
    EXPECT_TRUE(s.WaitForEnd(60));
    MediaEngineCounters n = s.Counters();
    double heard = s.tap.Seconds(), time = s.Number(L"ns.time");
    EXPECT_TRUE(heard >= e.sound && n.framesShown <= e.framesAtMost && n.shownTime >= e.shown &&
                time < e.timeBelow && time >= e.timeAbove && (!e.height || s.Get(L"state_height") == e.height) &&
                (e.giveUps < 0 || n.pictureGiveUps == e.giveUps) && landed >= e.landsAt)
        << "at " << landed << " after the seek; " << heard << " s heard; " << n.framesShown << " shown, to "
        << n.shownTime << "; end " << time;
  }
}

// Release cancels a read of a file that stopped answering (a quiet pipe for a vanished share).
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
    WaitForSingleObject(quiet, 60000);
    CloseHandle(pipe);
  });
  Stage s;
  s.Set(L"state_file", name);
  EXPECT_TRUE(WaitFor([&] { return sent >= clip.size() / 3; }));
  Pump(0.5);  // still probing the streams, the reader waits for more
  ULONGLONG before = GetTickCount64();
  Release(s.engine);
  s.engine = nullptr;
  EXPECT_LT(GetTickCount64() - before, 20000u);  // long before the writer gives up
  SetEvent(quiet);
  writer.join();
  CloseHandle(quiet);
}
