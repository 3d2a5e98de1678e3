// The sound through the engine's audio tap.
#include <algorithm>

#include "engine_test_support.h"

// While the clock moves on 0.6 s, never back, about that much sound comes at the sine's 1/8 peak.
static void ExpectHeard(Stage& s, const char* when) {
  double from = s.Number(L"ns.time"), lowest = from, t = from;
  s.tap.Reset();
  ASSERT_TRUE(WaitFor([&] { return lowest = std::min(lowest, t = s.Number(L"ns.time")), t > from + 0.6; }))
      << when;
  EXPECT_TRUE(s.tap.Seconds() > 0.4 && s.tap.peak > 0.07f && s.tap.peak < 0.2f && lowest > from - 0.01)
      << when << ": " << s.tap.Seconds() << " s at " << s.tap.peak.load() << ", from " << lowest;
}

// Each device (WASAPI, waveOut, the silent clock) plays each file at the volume; a lost one returns.
TEST(Sound, EveryFileSeekStopVolumeAndLostDevicePlaysWithSound) {
  for (int device : {1, 2, 3}) {
    SCOPED_TRACE(testing::Message() << "device " << device);
    Stage s;
    s.Listen();
    MediaEngineUseAudioDevice(s.engine, device);
    s.PlayFile(L"h264_aac.mp4");
    ExpectHeard(s, "the first file");
    ASSERT_EQ(s.Counters().audioDevice, device) << "the device cannot open here";
    ASSERT_TRUE(s.WaitForEnd());
    Pump(0.2);  // the ended file has settled (its sound paused)
    s.PlayFile(L"tail.mp4");  // a second of pictures, 120 s of sound: read in parts
    ExpectHeard(s, "the next file after one that ended");
    s.Set(L"state_pause", L"1");
    Pump(0.3);
    s.Set(L"state_pause", L"0");
    ExpectHeard(s, "after a pause");
    s.Set(L"state_seek", L"6");
    ExpectHeard(s, "after a seek into the sound alone");  // it starts at the target
    EXPECT_LT(s.Counters().packetsHeldPeak, 2500);
    s.Set(L"state_stop", L"1");
    Pump(0.2);
    s.PlayFile(L"long.mp4");
    ExpectHeard(s, "played again after a stop");
    float full = 0;
    for (auto [volume, scale] : {std::pair{L"100", 1.0}, {L"50", 0.5}, {L"0", 0.0}, {L"250", 1.0}}) {
      s.Set(L"state_volume", volume);
      Pump(0.3);  // what was already queued at the old volume passes
      s.tap.Reset();
      Pump(0.4);
      full = full ? full : s.tap.peak.load();
      EXPECT_NEAR(s.tap.peak / full, scale, 0.05) << "volume " << Utf8(volume);
    }
    if (device == 3) continue;  // the silent clock is never lost
    // Every device goes (the sound server stopped) while one file ends and the next begins.
    MediaEngineCounters before = s.Counters();
    MediaEngineSetAudioDeviceGone(s.engine, true);
    EXPECT_TRUE(WaitFor([&] { return s.Counters().audioDevice == 3; }));
    s.PlayFile(L"h264_aac.mp4");
    ExpectHeard(s, "on the silent clock");
    MediaEngineSetAudioDeviceGone(s.engine, false);
    EXPECT_TRUE(WaitFor([&] { return s.Counters().audioDevice == device; }, 5));
    ExpectHeard(s, "after the device came back");
    EXPECT_GT(s.Counters().framesShown, before.framesShown + 5);
  }
}
