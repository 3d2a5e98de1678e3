// The sound through the engine's audio tap: it reaches the device file after file, and survives
// the device going away.
#include <gtest/gtest.h>

#include "engine/player/media_engine_probe.h"
#include "engine_test_support.h"

namespace {

constexpr float kLevel = 0.088f;  // the test clips' sine (peak 1/8), mono spread over two channels

// While the clock moves on by 0.6 s, about that much sound reaches the device at the clip's level.
void ExpectHeard(Stage& s, SoundTap& tap, const char* when) {
  SCOPED_TRACE(when);
  double from = s.Number(L"ns.time");
  tap.Reset();
  ASSERT_TRUE(s.WaitForTime(from + 0.6));
  EXPECT_GT(tap.Seconds(), 0.4);
  EXPECT_NEAR(tap.peak.load(), kLevel, 0.015f);
}

}  // namespace

// Each device in turn; one that cannot open here (no sound server) is left out.
TEST(Sound, EveryFileSeekAndStopPlaysWithSound) {
  for (int device : {1, 2, 3}) {
    SCOPED_TRACE(testing::Message() << "device " << device);
    SoundTap tap;
    Stage s;
    MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
    MediaEngineUseAudioDevice(s.engine, device);
    s.PlayFile(L"h264_aac.mp4");
    ExpectHeard(s, tap, "the first file");
    if (MediaEngineGetCounters(s.engine).audioDevice != device) {
      std::printf("device %d cannot open here: left out\n", device);
      continue;
    }
    ASSERT_TRUE(s.WaitForEnd());
    Pump(0.2);  // the ended file has settled (its sound paused)
    s.PlayFile(L"long.mp4");
    ExpectHeard(s, tap, "the next file after one that ended");
    s.Set(L"state_pause", L"1");
    Pump(0.3);
    s.Set(L"state_pause", L"0");
    ExpectHeard(s, tap, "after a pause");
    s.Set(L"state_seek", L"6");
    ExpectHeard(s, tap, "after a seek");
    s.Set(L"state_stop", L"1");
    Pump(0.2);
    s.PlayFile(L"long.mp4");
    ExpectHeard(s, tap, "played again after a stop");
    MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
  }
}

TEST(Sound, ALostDeviceIsOpenedAgainWhileThePictureGoesOn) {
  SoundTap tap;
  Stage s;
  MediaEngineSetAudioTap(s.engine, &SoundTap::Tap, &tap);
  s.PlayFile(L"long.mp4");
  ExpectHeard(s, tap, "before");
  MediaEngineCounters before = MediaEngineGetCounters(s.engine);
  MediaEngineLoseAudioDevice(s.engine);
  ExpectHeard(s, tap, "on the silent clock");
  // The same kind of device again (after a short delay when it is a real one).
  EXPECT_TRUE(WaitFor([&] { return MediaEngineGetCounters(s.engine).audioDevice == before.audioDevice; }, 5));
  EXPECT_GT(MediaEngineGetCounters(s.engine).audioOpens, before.audioOpens);
  ExpectHeard(s, tap, "after");
  EXPECT_GT(MediaEngineGetCounters(s.engine).framesShown, before.framesShown + 5);
  MediaEngineSetAudioTap(s.engine, nullptr, nullptr);
}
