// Sound in the device's own speaker layout and rate.
#include <cmath>

#include "engine/player/sound_convert.h"
#include "engine_test_support.h"

// No output channel's weights add up to more than 1, the loudest to 1; the device's mask decides.
TEST(SoundMix, EveryLayoutMixesIntoTheDevicesSpeakersWithinFullScale) {
  constexpr double kHalf = 0.7071, kRest = 0.4142;  // -3 dB; 1 / (1 + 2 x -3 dB)
  struct Weight { AVChannel out, in; double weight; };
  const struct { const char* what; uint64_t in, mask; int channels; uint64_t device; std::vector<Weight> weights; } cases[] = {
      {"5.1 into stereo", AV_CH_LAYOUT_5POINT1, 0x3, 2, AV_CH_LAYOUT_STEREO,
       {{AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_LEFT, kRest}, {AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_CENTER, kRest * kHalf},
        {AV_CHAN_FRONT_LEFT, AV_CHAN_SIDE_LEFT, kRest * kHalf}, {AV_CHAN_FRONT_RIGHT, AV_CHAN_FRONT_LEFT, 0}}},
      {"7.1 into stereo", AV_CH_LAYOUT_7POINT1, 0x3, 2, AV_CH_LAYOUT_STEREO, {}},
      {"5.1 into a 5.1 device with back speakers", AV_CH_LAYOUT_5POINT1, 0x3F, 6, AV_CH_LAYOUT_5POINT1_BACK,
       {{AV_CHAN_BACK_LEFT, AV_CHAN_SIDE_LEFT, 1}, {AV_CHAN_FRONT_CENTER, AV_CHAN_FRONT_CENTER, 1},
        {AV_CHAN_LOW_FREQUENCY, AV_CHAN_LOW_FREQUENCY, 1}}},
      {"7.1 into a 5.1 device", AV_CH_LAYOUT_7POINT1, 0x60F, 6, AV_CH_LAYOUT_5POINT1, {}},
      {"stereo into stereo", AV_CH_LAYOUT_STEREO, 0x3, 2, AV_CH_LAYOUT_STEREO,
       {{AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_LEFT, 1}, {AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_RIGHT, 0}}},
      {"mono into stereo", AV_CH_LAYOUT_MONO, 0x3, 2, AV_CH_LAYOUT_STEREO,
       {{AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_CENTER, kHalf}, {AV_CHAN_FRONT_RIGHT, AV_CHAN_FRONT_CENTER, kHalf}}},
      {"mono into a 5.1 device", AV_CH_LAYOUT_MONO, 0x60F, 6, AV_CH_LAYOUT_5POINT1,
       {{AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_CENTER, kHalf}, {AV_CHAN_FRONT_CENTER, AV_CHAN_FRONT_CENTER, 0}}},
      {"a device mask that does not fit its count", AV_CH_LAYOUT_STEREO, 0x3F, 2, AV_CH_LAYOUT_STEREO, {}},
      {"a device without a mask", AV_CH_LAYOUT_5POINT1, 0, 6, AV_CH_LAYOUT_5POINT1_BACK, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SoundConverter converter;
    SetSoundOutput(&converter, 48000, c.channels, c.mask);
    const AVChannelLayout& out = converter.out;
    EXPECT_EQ(out.order == AV_CHANNEL_ORDER_NATIVE ? out.u.mask : 0, c.device);
    AVChannelLayout in{};
    av_channel_layout_from_mask(&in, c.in);
    std::vector<double> matrix;
    ASSERT_TRUE(MixMatrix(in, out, &matrix));
    auto weight = [&](int o, int i) { return matrix[i + o * in.nb_channels]; };
    double loudest = 0;
    for (int o = 0; o < out.nb_channels; ++o) {
      double sum = 0;
      for (int i = 0; i < in.nb_channels; ++i) sum += std::fabs(weight(o, i));
      EXPECT_LE(sum, 1 + 1e-9) << "output channel " << o;
      loudest = std::max(loudest, sum);
    }
    EXPECT_NEAR(loudest, in.nb_channels == 1 ? kHalf : 1, 1e-4);
    for (const Weight& w : c.weights) {
      int o = av_channel_layout_index_from_channel(&out, w.out), i = av_channel_layout_index_from_channel(&in, w.in);
      EXPECT_NEAR(weight(o, i), w.weight, 1e-4) << "channel " << w.in << " into " << w.out;
    }
  }
}

// What reaches the device from 0.2 s to 1 s: a loud 5.1 film (it peaked at 1.9) unclipped and still
// loud; mono alike on both speakers; 8 to 192 kHz at their pitch (a loaded machine may stretch the
// sound by 5 % to follow the clock; a rate taken for another, 44.1 kHz for 48, is 9 % or more off).
TEST(SoundMix, EveryLayoutAndRateIsHeardUnclippedAtItsPitch) {
  const struct { const wchar_t* clip; float loudest; double pitch; bool mono; } rows[] = {
      {L"loud_5_1.mp4", 0.4f, 0, false},         {L"audio_only.mp4", 0.07f, 0, true},
      {L"tone_8000.mp4", 0.07f, 1000, true},     {L"tone_44100.mp4", 0.07f, 1000, true},
      {L"tone_192000.mp4", 0.07f, 1000, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.clip));
    Stage s;
    s.Listen();
    s.PlayFile(row.clip);
    ASSERT_TRUE(s.WaitForTime(0.2));
    s.tap.Reset();
    ASSERT_TRUE(s.WaitForTime(1));
    const SoundTap& t = s.tap;
    EXPECT_TRUE(t.Seconds() > 0.4 && t.peak < 1 && t.left > row.loudest && t.right > row.loudest)
        << t.Seconds() << " s, peaks " << t.peak.load() << " " << t.left.load() << " " << t.right.load();
    EXPECT_NEAR(row.pitch ? t.rises.load() / t.Seconds() : 0, row.pitch, 60);
    EXPECT_TRUE(!row.mono || std::fabs(t.right - t.left) < 0.005);
  }
}
